// What every RTCM 3 message goes through first: CRC-24Q, the bit-field
// reader shared by the decoders, and classification by Prc_Prtcl_ID (range,
// handled numbers, the trace line and every length threshold at its
// boundary).
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <random>
#include <vector>

#include "rtcm/bit_field.h"
#include "rtcm/crc24q.h"
#include "tools/sim/bit_writer.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

const unsigned char* Text(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

TEST(Crc24q, PublishedVectorsAndCheck) {
  EXPECT_EQ((std::vector<std::uint32_t>{Rtcm::Crc24q(Text("abc"), 3), Rtcm::Crc24q(Text("123456789"), 9)}),
            (std::vector<std::uint32_t>{0x9FF359u, 0xCDE703u}));
  // No bytes: only an expected value of 0 matches, and nothing is read.
  EXPECT_TRUE(Rtcm::CheckCrc24q(Text("123456789"), 9, 0xCDE703u) && Rtcm::CheckCrc24q(nullptr, 0, 0) &&
              Rtcm::CheckCrc24q(nullptr, -5, 0));
  EXPECT_FALSE(Rtcm::CheckCrc24q(Text("123456789"), 9, 0xCDE702u) ||
               Rtcm::CheckCrc24q(Text("123456789"), 8, 0xCDE703u) || Rtcm::CheckCrc24q(nullptr, -1, 0x9FF359u));
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
      const std::vector<std::uint8_t> bytes = w.Bytes();
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
  // The second field lies across nine bytes; 8 x length must not wrap at 32 bits.
  EXPECT_EQ((std::vector<std::int64_t>{Rtcm::ReadSigned(top, 0, 64), Rtcm::ReadSigned(top, 7, 64)}),
            (std::vector<std::int64_t>{INT64_MIN, 0x7F}));
  EXPECT_TRUE(Rtcm::FitsInFrame(1, 8) && !Rtcm::FitsInFrame(1, 9) && Rtcm::FitsInFrame(0xFFFFFFFFu, 0x7FFFFFFF8ull));
}

// Exactly `length` bytes (no slack after them for an overrun to hit).
std::vector<unsigned char> Bytes(std::vector<std::uint8_t> frame, std::size_t length) {
  frame.resize(length);
  return frame;
}

bool Classify(unsigned number, std::vector<unsigned char> frame) {
  Em_TrsMtPrlRTCM rtcm;
  return rtcm.Prc_Prtcl_ID(number, frame.data(), static_cast<unsigned>(frame.size()));
}

TEST(RtcmClassify, RangeRecordingAndTrace) {
  Em_TrsMtPrlRTCM rtcm;
  std::vector<unsigned char> frame(20, 0);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(!rtcm.Prc_Prtcl_ID(1005, frame.data(), 20) && rtcm.LastMessageNumber() == 1005);  // in range, not handled
  // Out of range, still recorded.
  EXPECT_TRUE(!rtcm.Prc_Prtcl_ID(1000, frame.data(), 20) && rtcm.LastMessageNumber() == 1000);
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1069, frame.data(), 20));
  // No length check for 1004/1012; nothing given: not traced or recorded.
  EXPECT_TRUE(rtcm.Prc_Prtcl_ID(1004, frame.data(), 1) && rtcm.Prc_Prtcl_ID(1012, frame.data(), 1));
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1004, nullptr, 20) || rtcm.Prc_Prtcl_ID(1004, frame.data(), 0));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1005\r\n1000\r\n1069\r\n1004\r\n1012\r\n");
  EXPECT_EQ(rtcm.LastMessageNumber(), 1012u);
}

// 1033: five counters, each followed by its string. Strings of 2, 0, 1, 3, 4
// bytes need 96 + 8 x 10 = 176 bits (22 bytes).
std::vector<std::uint8_t> Message1033() {
  Sim::BitWriter w;
  w.Put(0, 24);
  w.Put(1033, 12);
  w.Put(0, 12);
  for (unsigned count : {2u, 0u, 1u, 3u, 4u}) {
    w.Put(count, 8);
    for (unsigned i = 0; i < count; ++i) w.Put('x', 8);
    if (count == 2) w.Put(0, 8);  // antenna setup id after the descriptor
  }
  return w.Bytes();
}

// Every frame shorter than the last bit a message needs is refused, for the
// fixed-length messages (checked against the bits of the message body) and
// for those whose counters tell their length (1021 and 1022 with names of
// 3 and 4 characters: 436 + 56 = 492 and 541 + 56 = 597 bits).
TEST(RtcmClassify, EveryLengthThresholdAtItsBoundary) {
  Sim::RtcmHelmertFields f;
  f.source_name = "ABC", f.target_name = "WXYZ";
  const struct { unsigned number; std::vector<std::uint8_t> frame; std::size_t needed; } kCases[] = {
      {1019, {}, 61}, {1023, {}, 73},           {1024, {}, 74},           {1025, {}, 25},
      {1026, {}, 30}, {1027, {}, 33},           {1021, Sim::Rtcm1021(f), 62}, {1022, Sim::Rtcm1022(f), 75},
      {1033, Message1033(), 22}};
  for (const auto& c : kCases) {
    for (std::size_t n = 1; n <= c.needed; ++n)
      EXPECT_EQ(Classify(c.number, Bytes(c.frame, n)), n == c.needed) << c.number << " in " << n << " bytes";
  }
  // Counters claiming more than the frame holds.
  std::vector<unsigned char> counters(6, 0);
  counters[4] = 0x0F;  // N = 30 at bit 36: M would lie at bit 281
  EXPECT_FALSE(Classify(1021, counters));
  std::vector<std::uint8_t> frame = Message1033();
  frame[6] = 200;
  EXPECT_FALSE(Classify(1033, frame));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
