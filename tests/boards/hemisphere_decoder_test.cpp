// Both Hemisphere adapters fed frames as an engine hands them over: the
// "$BIN" checks (pieces, checksum, lying lengths, line end, exclusive-or),
// the classification of other frames, every binary message and reply into
// the store with its change bits, and the second generation's NMEA epoch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "board_test_support.h"
#include "boards/hemisphere/hemisphere_decoder.h"
#include "tools/sim/hemisphere_sim.h"
#include "tools/sim/nmea_sim.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;

// Adapters as the engines set them up (GPS satellite groups held; the
// second generation also parses NMEA positions).
// Each generation's frame starts, searched for after a refused candidate.
struct First : Board {
  static constexpr const char* kStarts = "$";
  First() : Board(CreateHemisphereAdapter()) { decoder().gps_sat_hold = 1; }
  Hemisphere1Decoder& decoder() { return *static_cast<Hemisphere1Decoder*>(adapter->decoder); }
};
struct Second : Board {
  static constexpr const char* kStarts = "$\xD3\x02";
  Second() : Board(CreateHemisphere2Adapter()) {
    decoder().gps_sat_hold = decoder().glo_sat_hold = decoder().bds_sat_hold = decoder().parse_nmea = 1;
  }
  Hemisphere2Decoder& decoder() { return *static_cast<Hemisphere2Decoder*>(adapter->decoder); }
};

Sim::NmeaFix Gn() {
  Sim::NmeaFix f;
  f.talker = "GN";
  return f;
}

void SetDataLength(Sim::Frame& f, unsigned n) {
  f[6] = static_cast<std::uint8_t>(n);
  f[7] = static_cast<std::uint8_t>(n >> 8);
}

// The same checks hold for both generations, shown with a message each
// decodes into `field` (31.5 there) that needs `size` data bytes.
template <typename B>
void CheckBinFrames(const Sim::Frame& msg, double BoardDecoder::*field, double scale, unsigned size) {
  B b;
  BoardDecoder& d = b.decoder();
  for (std::size_t cut : {2u, 7u, 30u}) {  // pieces are kept until the whole message is there
    EXPECT_TRUE(!b.Feed(msg.data(), cut) && b.frame().length == cut) << cut;
    EXPECT_TRUE(b.Feed(msg.data() + cut, msg.size() - cut) && b.frame().length == 0) << cut;
    EXPECT_NEAR(d.*field, 31.5 * scale, 1e-15);
  }
  // Refused at the false start: a bad checksum, a data length one short
  // (the checksum is then read from the data). A good message too short
  // for its fields is dropped whole.
  d.*field = 0;
  Sim::Frame bad = msg, shorter = msg;
  bad[20] ^= 1;
  SetDataLength(shorter, static_cast<unsigned>(msg.size()) - 13);
  for (const Sim::Frame& f : {bad, shorter}) EXPECT_TRUE(b.Refused(f, B::kStarts) && d.*field == 0.0);
  EXPECT_TRUE(!b.Feed(Sim::HemisphereBin(msg[4], Sim::Frame(size - 1, 0))) && b.frame().length == 0);
  // The longest data length that fits the buffer is waited for; one more
  // is refused at once.
  Sim::Frame lying = msg;
  SetDataLength(lying, 2036);
  EXPECT_TRUE(!b.Feed(lying) && b.frame().length == lying.size());
  b.frame().Clear();
  for (unsigned n : {2037u, 65535u}) {
    SetDataLength(lying, n);
    EXPECT_TRUE(b.Refused(lying, B::kStarts)) << n;
  }
  // Unused messages are taken without a change; block 0 and frames that do
  // not hold what their header says are refused by the decoder.
  EXPECT_TRUE(b.Feed(Sim::HemisphereBin(96, Sim::Frame(40, 7))) && d.msg_flags == 0);
  BoardAdapter& a = *b.adapter;
  const unsigned n = static_cast<unsigned>(msg.size());
  EXPECT_FALSE(a.DecodeMessage(nullptr, msg[4], n) || a.DecodeMessage(msg.data(), 0, n) ||
               a.DecodeMessage(msg.data(), msg[4], n - 1) || a.DecodeMessage(msg.data(), msg[4], 0));
}

TEST(HemisphereFrame, BinChecksBothGenerations) {
  Sim::HemispherePositionFields p;
  p.latitude = 31.5;
  CheckBinFrames<First>(Sim::HemispherePosition(p), &BoardDecoder::latitude, kDeg, 32);
  Sim::HemisphereTimeDopFields t;
  t.hdop = 31.5f;
  CheckBinFrames<Second>(Sim::HemisphereTimeDops(t), &BoardDecoder::hdop, 1, 92);
}

TEST(HemisphereFrame, WhatEachGenerationTakes) {
  First first;
  Second second;
  for (Board* b : {static_cast<Board*>(&first), static_cast<Board*>(&second)}) {
    EXPECT_TRUE(!b->Feed("$G") && b->frame().length == 2);  // start not there yet
    b->frame().Clear();
    // Unknown starts and other "$" sentences are passed over as handled.
    for (const std::string& f : {std::string("\x55\x01\x02\x03", 4), std::string("$PASHR,POS,0*24\r\n")})
      EXPECT_TRUE(b->Feed(f) && b->frame().length == 0 && b->decoder().msg_flags == 0);
  }
  // GN and BD talkers and differential frames are the second generation's.
  const std::string gn = Sim::NmeaGga(Gn()), cmr("\x02\x00\x93\x05\x10\x20", 6);
  const Sim::Frame rtcm = Sim::Rtcm1004({}, {Sim::Rtcm1004Observation(5, 2.2e7, 2.2e7, 1, 1, 45, 40)});
  EXPECT_TRUE(first.Feed(gn) && first.Feed(rtcm) && first.Feed(cmr));
  EXPECT_EQ((U{first.decoder().gga_length, first.decoder().msg_flags}), (U{0, 0}));
  EXPECT_TRUE(second.Feed(gn) && second.decoder().gga_length == gn.size());
  for (const std::string& f : {std::string(rtcm.begin(), rtcm.end()), cmr})
    EXPECT_TRUE(second.Feed(f) && second.decoder().msg_flags == MsgBit::kDiffData);

  // Only the second insists on the closing CR LF; only the first refuses a
  // message whose bytes cancel out under exclusive-or (as the standard
  // engine does).
  Sim::Frame swapped = Sim::HemisphereBin(96, {1, 2, 3}), folded;
  std::swap(swapped[swapped.size() - 1], swapped[swapped.size() - 2]);
  for (unsigned v = 0; folded.empty(); ++v) {
    const Sim::Frame f = Sim::HemisphereBin(96, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
    unsigned char x = 0;
    for (std::uint8_t c : f) x ^= c;
    if (x == 0) folded = f;
  }
  EXPECT_TRUE(first.Feed(swapped) && first.Refused(folded, First::kStarts));
  EXPECT_TRUE(second.Refused(swapped, Second::kStarts) && second.Feed(folded));
}

// ---------------------------------------------------------------- first generation

// The position message's values are read through Em_Gnss in the stream test.
TEST(HemisphereFirst, Dops) {
  First b;
  const Hemisphere1Decoder& d = b.decoder();
  Sim::HemisphereDopFields f;
  f.tracked_mask = 0x80F0F001, f.used_mask = 0x7, f.hdop = 1.2, f.vdop = 2.3;
  ASSERT_TRUE(b.Feed(Sim::HemisphereDops(f)));
  EXPECT_EQ((U{d.sats_tracked, d.sats_used, d.msg_flags}), (U{10, 3, 0}));
  ExpectNear({d.hdop, d.vdop}, {1.2, 2.3}, 1e-15);
}

TEST(HemisphereFirst, ChannelsMarkTheHeldGpsGroup) {
  First b;
  Hemisphere1Decoder& d = b.decoder();
  const Sim::Frame channels = Sim::HemisphereChannels(
      2400, 1.0, {{3, 0x40, 45, 120}, {7, 0x3F, -5, 358}, {40, 0x40, 10, 10}, {0, 0x40, 10, 10}, {12, 0x40, 30, 30}});
  // The GSV group is not complete yet: the table is rebuilt, no message.
  ASSERT_TRUE(b.Feed(channels));
  EXPECT_EQ(d.msg_flags, 0u);
  ASSERT_EQ(d.channels.count, 3u);  // satellites 40 and 0 are not GPS channels
  const SATLLITE_STR& c = d.channels.sats[1];
  EXPECT_EQ((U{c.prn, c.elevation, c.azimuth, c.status, d.channels.sats[2].prn}), (U{7, -5, 358, 0, 12}));

  const std::string group =
      Sim::NmeaGsv("GP", {{3, 45, 120, 44}, {7, 20, 200, 38}, {12, 10, 300, 25}, {30, 5, 10, 20}});
  for (std::size_t at = 0, end; at < group.size(); at = end) {
    end = group.find('\n', at) + 1;
    EXPECT_TRUE(b.Feed(group.substr(at, end - at)) && d.msg_flags == 0);
  }
  EXPECT_EQ(d.gps_sat_bits, 0x8u);
  ASSERT_TRUE(b.Feed(channels));
  EXPECT_EQ((U{d.msg_flags, d.gps_sat_bits}), (U{MsgBit::kGpsSats, 0}));
  const SatTable& gps = d.Table(kTableGps);
  EXPECT_EQ((U{gps.count, gps.sats[0].status, gps.sats[1].status, gps.sats[2].status, gps.sats[3].status}),
            (U{4, 1, 0, 1, 0}));
  EXPECT_TRUE(!b.Feed(Sim::HemisphereBin(99, Sim::Frame(299, 0))) && d.channels.count == 3);
}

TEST(HemisphereFirst, Replies) {
  First b;
  const BoardDecoder& d = b.decoder();
  // A reply is kept until its first seven characters are there, then taken
  // as held, without waiting for its line end.
  const std::string mask = "$>JSHOW,ELEVMASK,10\r\n";
  EXPECT_TRUE(!b.Feed(mask.substr(0, 6)) && b.frame().length == 6);
  EXPECT_TRUE(b.Feed(mask.substr(6)) && b.frame().length == 0);
  EXPECT_EQ((U{d.elev_mask_reported, d.msg_flags}), (U{10, MsgBit::kElevMask}));
  // Other JSHOW lines and receiver information are taken without a change;
  // a mask no board has is not stored.
  for (const char* body : {"JSHOW,ASC,GPGGA,1.0", "JI,12345,1,7,26/02/2026,01/01/3006,6.3,47", "JSHOW,MASK,95"})
    EXPECT_TRUE(b.Feed(Sim::HemisphereReply(body)) && d.msg_flags == 0 && d.elev_mask_reported == 10) << body;
  // Other replies are dropped; so is a line without an end after 128 bytes.
  EXPECT_TRUE(!b.Feed(Sim::HemisphereReply("JRTK,17,1,2,3")) && b.frame().length == 0);
  EXPECT_TRUE(b.Feed("$>JSHOW,MASK,7" + std::string(114, ' ')) && d.elev_mask_reported == 7);
}

// ---------------------------------------------------------------- second generation

TEST(HemisphereSecond, TimeDopsAndReplies) {
  Second b;
  Sim::HemisphereTimeDopFields f;
  f.seconds = 345600.75, f.week = 2400, f.hdop = 0.75f, f.vdop = 1.0f, f.tdop = 2.4f;
  ASSERT_TRUE(b.Feed(Sim::HemisphereTimeDops(f)));
  const Hemisphere2Decoder& d = b.decoder();
  EXPECT_EQ((U{d.week, d.status_word, d.extra_word, d.msg_flags}), (U{2400, 345600, 2400, MsgBit::kDop}));
  ExpectNear({d.week_seconds, d.hdop, d.vdop, d.pdop, d.tdop, d.gdop},
             {345600, 0.75, 1.0, 1.25, 2.4, std::hypot(1.25, 2.4)}, 1e-6);
  f.seconds = std::numeric_limits<double>::quiet_NaN();
  ASSERT_TRUE(b.Feed(Sim::HemisphereTimeDops(f)));
  EXPECT_EQ(d.status_word, 0u);
  EXPECT_TRUE(!b.Feed(Sim::HemisphereBin(3, Sim::Frame(91, 0))) && d.week == 2400);

  ASSERT_TRUE(b.Feed(Sim::HemisphereReply("JRTK,17,31.5,-121.25,20.5")));
  double xyz[3];
  Gnss::GeodeticToEcef(31.5 * kDeg, -121.25 * kDeg, 20.5, xyz);
  EXPECT_EQ((D{d.base_info.x, d.base_info.y, d.base_info.z, 1.0 * d.msg_flags}),
            (D{xyz[0], xyz[1], xyz[2], MsgBit::kBaseInfo}));
  // Another reply number, a coordinate off the grid or a missing field
  // store nothing.
  for (const char* body : {"JRTK,18,10,10,10", "JRTK,17,91,0,0", "JRTK,17,0,-180.5,0", "JRTK,17,10,10,",
                           "JRTK,17,nan,0,0", "JI,12345,1"})
    EXPECT_TRUE(!b.Feed(Sim::HemisphereReply(body)) && d.msg_flags == 0 && d.base_info.x == xyz[0]) << body;
  ASSERT_TRUE(b.Feed(Sim::HemisphereReply("JSHOW,MASK,12.7")));
  EXPECT_EQ((U{d.elev_mask_reported, d.msg_flags}), (U{12, MsgBit::kElevMask}));
}

TEST(HemisphereSecond, NmeaEpochAndQualityTable) {
  Second b;
  Hemisphere2Decoder& d = b.decoder();
  const auto feed = [&](const std::string& sentence) {
    EXPECT_TRUE(b.Feed(sentence));
    return d.msg_flags;
  };
  const auto gga = [](int quality) {
    Sim::NmeaFix f = Gn();
    f.quality = quality;
    return Sim::NmeaGga(f);
  };
  const std::string rmc = Sim::NmeaRmc(Gn()), gst = Sim::NmeaGst(Gn());
  EXPECT_EQ(feed(gga(4)), MsgBit::kGgaText | MsgBit::kNmeaPosition | MsgBit::kSolution);
  EXPECT_EQ(feed(rmc), MsgBit::kRmc | MsgBit::kRmcSeen);
  EXPECT_EQ(feed(gst), MsgBit::kGstSeen | MsgBit::kPosition);
  EXPECT_EQ(feed(gst), MsgBit::kGstSeen);  // the epoch starts over
  // An RMC without a course brings no motion: no epoch.
  feed(gga(1));
  EXPECT_EQ(feed(Sim::NmeaWrap("GNRMC,120000.00,A,3110.0,N,12118.0,E,0.5,,010326,,,A")), MsgBit::kRmc);
  EXPECT_EQ(feed(gst), MsgBit::kGstSeen);
  EXPECT_EQ(d.epoch_seen, Hemisphere2Decoder::kSeenGga | Hemisphere2Decoder::kSeenQuality);

  // Without NMEA parsing only the text and RMC bits remain.
  d.parse_nmea = 0;
  d.epoch_seen = 0;
  EXPECT_EQ((U{feed(gga(4)), feed(rmc), feed(gst)}), (U{MsgBit::kGgaText, MsgBit::kRmc, 0}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
