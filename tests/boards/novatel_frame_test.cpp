// Frame classification, the NovAtel frame check (length, CRC-32) and the
// bounds every log decoder keeps.
#include <gtest/gtest.h>

#include <string>

#include "boards/novatel/novatel_adapter.h"
#include "boards/novatel/novatel_commands.h"
#include "boards/novatel/novatel_wire.h"
#include "novatel_test_support.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::NovAtelBoard;

Sim::Frame Body(const Sim::Frame& log) { return Sim::Frame(log.begin() + 28, log.end() - 4); }

Sim::Frame Position() {
  Sim::BestPosFields f;
  f.latitude = 31.5;
  return Sim::BestPos({}, f);
}

TEST(NovAtelFrame, Crc32) {
  const std::string check = "123456789";
  EXPECT_EQ(NovAtel::Crc32(reinterpret_cast<const unsigned char*>(check.data()), check.size()), 0x2DFD2D88u);
  const Sim::Frame log = Position();
  EXPECT_EQ(NovAtel::Crc32(log.data(), log.size()), 0u);
}

TEST(NovAtelFrame, IncompleteExactAndLonger) {
  NovAtelBoard b;
  const Sim::Frame log = Position();
  // Pieces are kept until the announced length is there.
  for (std::size_t cut : {2u, 27u, 100u}) {
    EXPECT_FALSE(b.Feed(log.data(), cut));
    EXPECT_EQ(b.frame().length, cut);
    EXPECT_TRUE(b.Feed(log.data() + cut, log.size() - cut));
    EXPECT_EQ(b.frame().length, 0u);
    EXPECT_NEAR(b.decoder().latitude, 31.5 * 0.017453292519943295, 1e-15);
  }
  // One byte more than header + body + CRC: refused, not split.
  b.decoder().latitude = 0;
  Sim::Frame longer = log;
  longer.push_back(0);
  EXPECT_FALSE(b.Feed(longer));
  EXPECT_EQ(b.frame().length, 0u);
  EXPECT_EQ(b.decoder().latitude, 0.0);
}

TEST(NovAtelFrame, RejectsBadCrcHeaderLengthAndLyingLengths) {
  NovAtelBoard b;
  Sim::Frame bad = Position();
  bad[40] ^= 1;
  EXPECT_FALSE(b.Feed(bad));
  EXPECT_EQ(b.frame().length, 0u);
  EXPECT_EQ(b.decoder().latitude, 0.0);

  Sim::Frame header29 = Position();
  header29[3] = 29;  // a header length other than 28 cannot be located
  EXPECT_FALSE(b.Feed(header29));
  EXPECT_EQ(b.frame().length, 0u);

  // A body length that can never fit the frame buffer is refused at once;
  // the largest that fits is waited for.
  for (unsigned body : {65535u, 2017u, 2016u}) {
    Sim::Frame lying = Position();
    lying[8] = static_cast<std::uint8_t>(body);
    lying[9] = static_cast<std::uint8_t>(body >> 8);
    EXPECT_FALSE(b.Feed(lying));
    EXPECT_EQ(b.frame().length, body == 2016 ? lying.size() : 0u) << body;
    b.frame().Clear();
  }
}

TEST(NovAtelFrame, ClassifiesOtherFrames) {
  NovAtelBoard b;
  EXPECT_FALSE(b.Feed(std::string("\x55\x01\x02\x03", 4)));  // unknown start: dropped
  EXPECT_EQ(b.frame().length, 0u);

  Sim::Rtcm1004Header h;
  const Sim::Frame rtcm = Sim::Rtcm1004(h, {Sim::Rtcm1004Observation(5, 2.2e7, 2.2e7, 1, 1, 45, 40)});
  EXPECT_TRUE(b.Feed(rtcm));
  EXPECT_EQ(b.decoder().msg_flags, MsgBit::kDiffData);
  // The board sends only messages below 256 bytes (second byte 0); a frame
  // with length bits there is dropped like any unknown frame.
  std::vector<Sim::Rtcm1004Satellite> many(20, Sim::Rtcm1004Observation(5, 2.2e7, 2.2e7, 1, 1, 45, 40));
  const Sim::Frame long_rtcm = Sim::Rtcm1004(h, many);
  ASSERT_NE(long_rtcm[1], 0);
  EXPECT_FALSE(b.Feed(long_rtcm));
  EXPECT_EQ(b.frame().length, 0u);

  EXPECT_TRUE(b.Feed(std::string("\x02\x00\x93\x05\x10\x20", 6)));  // CMR
  EXPECT_EQ(b.decoder().msg_flags, MsgBit::kDiffData);
  EXPECT_EQ(b.frame().length, 0u);

  EXPECT_TRUE(b.Feed("$GPGGA,010203.00,3110.4906,N,12123.2134,E,1,08,1.0,10.0,M,5.0,M,,*47\r\n"));
  EXPECT_NE(b.decoder().msg_flags & MsgBit::kGgaText, 0u);
}

TEST(NovAtelFrame, LogsShorterThanTheyAnnounceAreRejected) {
  NovAtelBoard b;
  for (const Sim::Frame& log : {Sim::RangeCmp({}, {Sim::RangeCmpRecord{}, Sim::RangeCmpRecord{}}),
                                 Sim::Range({}, {Sim::RangeRecord{}, Sim::RangeRecord{}})}) {
    Sim::Frame body = Body(log);
    body[0] = 3;  // three records announced, two present
    EXPECT_FALSE(b.Feed(Sim::NovAtelLog(log[4], {}, body)));
  }
  // Fixed parts one byte short.
  const std::pair<unsigned, unsigned> fixed[] = {{NovAtel::kIdBestPos, 72}, {NovAtel::kIdPsrDop, 28},
                                                 {NovAtel::kIdRefStation, 28}, {NovAtel::kIdGpsEphem, 204},
                                                 {NovAtel::kIdEphem1047, 204}, {NovAtel::kIdRawEphem, 102},
                                                 {NovAtel::kIdRangeCmp, 4}, {NovAtel::kIdRange, 4}};
  for (const auto& f : fixed) {
    EXPECT_FALSE(b.Feed(Sim::NovAtelLog(f.first, {}, Sim::Frame(f.second - 1, 0)))) << f.first;
    EXPECT_EQ(b.decoder().msg_flags, 0u);
  }
  // The decoder refuses frames that do not hold what their header says.
  const Sim::Frame log = Position();
  EXPECT_FALSE(b.adapter->DecodeMessage(nullptr, 42, 104));
  EXPECT_FALSE(b.adapter->DecodeMessage(log.data(), 0, 104));
  EXPECT_FALSE(b.adapter->DecodeMessage(log.data(), 42, 103));
  EXPECT_FALSE(b.adapter->DecodeMessage(log.data(), 42, 31));
}

TEST(NovAtelFrame, KeptIgnoredLogsAndFactory) {
  NovAtelBoard b;
  Sim::VersionComponent c;
  c.model = "OEMV3";
  EXPECT_TRUE(b.Feed(Sim::Version({}, {c})));
  EXPECT_STREQ(reinterpret_cast<const char*>(b.decoder().version_info + 4), "OEMV3");
  // Logs this decoder has no use for are consumed without changes.
  for (unsigned id : {NovAtel::kIdSatVis, 83u, 999u}) {
    EXPECT_TRUE(b.Feed(Sim::NovAtelLog(id, {}, Sim::Frame(12, 1))));
    EXPECT_EQ(b.decoder().msg_flags, 0u);
  }
  for (std::uint32_t generation : {0u, 1u, 2u, 7u}) {
    std::unique_ptr<BoardAdapter> a(CreateNovAtelAdapter(generation));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->oem_type, static_cast<std::uint32_t>(OEM_NOVATEL));
    EXPECT_EQ(static_cast<NovAtelCommandSet*>(a->commands)->board_generation, generation == 1 ? 1u : 2u);
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
