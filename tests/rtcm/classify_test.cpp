// Message classification by Prc_Prtcl_ID: range, handled numbers, the trace
// line and every length threshold at its boundary.
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <vector>

#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

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
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1005, frame.data(), 20));  // in range, not handled
  EXPECT_EQ(rtcm.LastMessageNumber(), 1005u);
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1000, frame.data(), 20));  // out of range, still recorded
  EXPECT_EQ(rtcm.LastMessageNumber(), 1000u);
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1069, frame.data(), 20));
  EXPECT_TRUE(rtcm.Prc_Prtcl_ID(1004, frame.data(), 1));    // no length check for 1004/1012
  EXPECT_TRUE(rtcm.Prc_Prtcl_ID(1012, frame.data(), 1));
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1004, nullptr, 20));       // nothing given: not traced or recorded
  EXPECT_FALSE(rtcm.Prc_Prtcl_ID(1004, frame.data(), 0));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1005\r\n1000\r\n1069\r\n1004\r\n1012\r\n");
  EXPECT_EQ(rtcm.LastMessageNumber(), 1012u);
}

// Fixed-length messages, checked against the bits of the message body:
// smallest accepted length in bytes, one less rejected.
TEST(RtcmClassify, FixedThresholds) {
  const struct { unsigned number, bytes; } kCases[] = {
      {1019, 61}, {1023, 73}, {1024, 74}, {1025, 25}, {1026, 30}, {1027, 33}};
  for (const auto& c : kCases) {
    EXPECT_TRUE(Classify(c.number, std::vector<unsigned char>(c.bytes, 0))) << c.number;
    EXPECT_FALSE(Classify(c.number, std::vector<unsigned char>(c.bytes - 1, 0))) << c.number;
  }
}

TEST(RtcmClassify, DatumNameLengthsDecideThe1021And1022Threshold) {
  Sim::RtcmHelmertFields f;
  f.source_name = "ABC";
  f.target_name = "WXYZ";
  // 436 + 8 x 7 = 492 bits: 62 bytes hold them, 61 do not.
  EXPECT_TRUE(Classify(1021, Bytes(Sim::Rtcm1021(f), 62)));
  EXPECT_FALSE(Classify(1021, Bytes(Sim::Rtcm1021(f), 61)));
  // 541 + 56 = 597 bits: 75 bytes.
  EXPECT_TRUE(Classify(1022, Bytes(Sim::Rtcm1022(f), 75)));
  EXPECT_FALSE(Classify(1022, Bytes(Sim::Rtcm1022(f), 74)));
  // A frame that ends inside the names or before the target-name counter.
  std::vector<unsigned char> counters(6, 0);
  counters[4] = 0x0F;  // N = 30 at bit 36: M would lie at bit 281
  EXPECT_FALSE(Classify(1021, counters));
  EXPECT_FALSE(Classify(1022, Bytes(Sim::Rtcm1021(f), 5)));
}

// 1033: five counters, each followed by its string. Strings of 2, 0, 1, 3, 4
// bytes need 96 + 8 x 10 = 176 bits (22 bytes).
TEST(RtcmClassify, Message1033Counters) {
  Sim::BitWriter w;
  w.Put(0, 24);
  w.Put(1033, 12);
  w.Put(0, 12);
  bool first = true;
  for (unsigned count : {2u, 0u, 1u, 3u, 4u}) {
    w.Put(count, 8);
    for (unsigned i = 0; i < count; ++i) w.Put('x', 8);
    if (first) w.Put(0, 8);  // antenna setup id after the descriptor
    first = false;
  }
  std::vector<unsigned char> frame = w.Bytes();
  ASSERT_EQ(frame.size(), 22u);
  EXPECT_TRUE(Classify(1033, frame));
  for (std::size_t n = 1; n < 22; ++n) EXPECT_FALSE(Classify(1033, Bytes(frame, n))) << n;
  // A counter claiming more bytes than the frame has.
  frame[6] = 200;
  EXPECT_FALSE(Classify(1033, frame));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
