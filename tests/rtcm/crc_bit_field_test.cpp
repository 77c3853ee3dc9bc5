// CRC-24Q and the bit-field reader shared by every RTCM 3 decoder.
#include <gtest/gtest.h>

#include <random>

#include "rtcm/bit_field.h"
#include "rtcm/crc24q.h"
#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace {

const unsigned char* Bytes(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

TEST(Crc24q, PublishedVectorsAndCheck) {
  EXPECT_EQ(Rtcm::Crc24q(Bytes("abc"), 3), 0x9FF359u);
  EXPECT_EQ(Rtcm::Crc24q(Bytes("123456789"), 9), 0xCDE703u);
  EXPECT_TRUE(Rtcm::CheckCrc24q(Bytes("123456789"), 9, 0xCDE703u));
  EXPECT_FALSE(Rtcm::CheckCrc24q(Bytes("123456789"), 9, 0xCDE702u));
  EXPECT_FALSE(Rtcm::CheckCrc24q(Bytes("123456789"), 8, 0xCDE703u));
  // No bytes: only an expected value of 0 matches, and nothing is read.
  EXPECT_TRUE(Rtcm::CheckCrc24q(nullptr, 0, 0));
  EXPECT_TRUE(Rtcm::CheckCrc24q(nullptr, -5, 0));
  EXPECT_FALSE(Rtcm::CheckCrc24q(nullptr, -1, 0x9FF359u));
}

// Every width 1..64 at every start offset within a byte, against the
// independent bit writer used to build test frames.
TEST(BitField, ReadsWhatTheWriterWrote) {
  std::mt19937_64 rng(7);
  for (unsigned width = 1; width <= 64; ++width) {
    for (unsigned lead = 0; lead < 8; ++lead) {
      const std::uint64_t mask = width == 64 ? ~0ull : (1ull << width) - 1;
      const std::uint64_t value = rng() & mask;
      Sim::BitWriter w;
      w.Put(rng(), lead);
      w.Put(value, width);
      w.AlignToByte();
      // Exactly sized copy: a read past the field's last byte would show
      // under the address sanitizer.
      std::vector<unsigned char> bytes(w.Bytes().begin(), w.Bytes().end());
      ASSERT_EQ(Rtcm::ReadUnsigned(bytes.data(), lead, width), value) << width << "/" << lead;
      // Sign extension by filling the bits above the field with its top bit.
      const bool negative = (value >> (width - 1)) & 1;
      const std::int64_t expected_signed = static_cast<std::int64_t>(negative ? value | ~mask : value);
      ASSERT_EQ(Rtcm::ReadSigned(bytes.data(), lead, width), expected_signed) << width << "/" << lead;
    }
  }
}

TEST(BitField, FullWidthAndFrameBounds) {
  const unsigned char top[9] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0xFF};
  EXPECT_EQ(Rtcm::ReadSigned(top, 0, 64), INT64_MIN);
  EXPECT_EQ(Rtcm::ReadSigned(top, 7, 64), 0x7F);  // a 64-bit field across nine bytes
  EXPECT_TRUE(Rtcm::FitsInFrame(1, 8));
  EXPECT_FALSE(Rtcm::FitsInFrame(1, 9));
  EXPECT_TRUE(Rtcm::FitsInFrame(0xFFFFFFFFu, 0x7FFFFFFF8ull));  // no 32-bit wrap of 8 x length
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
