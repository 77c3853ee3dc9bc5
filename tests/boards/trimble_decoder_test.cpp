// The Trimble adapter and decoder: frame classification and the packet
// checks, each GSOF record into the store with its change bits, multi-page
// reassembly and its bounds, the replies, the board's NMEA handling, and a
// simulated stream through Em_Gnss(1, 1) in one block and byte by byte.
#include <gtest/gtest.h>

#include <ksparse/em_gnss.h>

#include <string>
#include <utility>
#include <vector>

#include "board_test_support.h"
#include "boards/trimble/trimble_decoder.h"
#include "tools/sim/nmea_sim.h"
#include "tools/sim/rtcm_sim.h"
#include "tools/sim/trimble_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;
using Frames = std::vector<Sim::Frame>;
constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kSatCounts = 0x40000000;
constexpr std::uint32_t kEpoch = MsgBit::kRmcSeen | MsgBit::kSolution | MsgBit::kNmeaPosition | MsgBit::kDop |
                                 MsgBit::kGstSeen | MsgBit::kPosition;

struct TrimbleBoard : Board {
  TrimbleBoard() : Board(CreateTrimbleAdapter(-1)) {}
  TrimbleDecoder& decoder() { return *static_cast<TrimbleDecoder*>(adapter->decoder); }
  // Every page of a GSOF message; the flags of the last.
  std::uint32_t Message(const Frames& records, unsigned page_bytes = 252) {
    for (const Sim::Frame& page : Sim::GsofMessage(records, 0, page_bytes)) EXPECT_TRUE(Feed(page));
    return decoder().msg_flags;
  }
};

Frames Epoch() {
  Sim::GsofTimeFields t;
  t.week = 1356, t.milliseconds = 86400000 + 3723500, t.flags2 = 5;  // 2006-01-02 01:02:03.5, RTK fixed
  Sim::GsofSigmaFields s;
  s.east = 3, s.north = 4, s.up = 12;
  return {Sim::GsofTime(t), Sim::GsofLlh(0.5, 2.0, 30.0), Sim::GsofDop(1.5f, 0.75f, 1.25f, 0.5f), Sim::GsofSigma(s)};
}

// The Trimble adapter's frame starts, searched for after a refused candidate.
constexpr const char* kStarts = "\x02$\xD3";

TEST(TrimbleFrame, ClassifiesAndChecksPackets) {
  TrimbleBoard b;
  const Sim::Frame ack = Sim::DcolPacket(0x55, {1, 2});
  // Kept until the length byte and then the announced packet are there.
  EXPECT_TRUE(!b.Feed(ack.data(), 2) && b.frame().length == 2);
  EXPECT_TRUE(!b.Feed(ack.data() + 2, 3) && b.frame().length == 5);
  EXPECT_TRUE(b.Feed(ack.data() + 5, ack.size() - 5) && b.frame().length == 0);
  // Any last byte passes, and bytes after the packet go with it; a bad
  // checksum or a type the decoder does not take is dropped.
  Sim::Frame etx = ack, bad = ack, twice = ack;
  etx.back() = 0x7F, bad[4] ^= 1;
  twice.insert(twice.end(), ack.begin(), ack.end());
  for (const Sim::Frame& f : {etx, twice}) EXPECT_TRUE(b.Feed(f) && b.frame().length == 0);
  EXPECT_TRUE(b.Refused(bad, kStarts));
  EXPECT_TRUE(!b.Feed(Sim::DcolPacket(0x41, {})) && b.frame().length == 0);

  // CMR types, RTCM 3 (any length the six zero bits allow), GP and GL
  // sentences; GN sentences and other starts are dropped.
  const BoardDecoder& d = b.decoder();
  const Sim::Rtcm1004Satellite sat = Sim::Rtcm1004Observation(5, 2.2e7, 2.2e7, 1, 1, 45, 40);
  const Sim::Frame rtcm = Sim::Rtcm1004({}, std::vector<Sim::Rtcm1004Satellite>(20, sat));
  ASSERT_NE(rtcm[1], 0);
  for (const Sim::Frame& f : {Sim::Frame{0x02, 0x00, 0x98, 0x05, 0x10}, rtcm})
    EXPECT_TRUE(b.Feed(f) && d.msg_flags == MsgBit::kDiffData && b.frame().length == 0);
  EXPECT_TRUE(b.Feed(std::string("$GLGSV,1,1,00*65\r\n")));
  for (const std::string f : {"$GNGGA,1*55\r\n", "\xD3\x04\x01", "x\x02\x55"})
    EXPECT_TRUE(b.Refused(f, kStarts)) << f;

  // The decoder refuses packets shorter than their length byte says.
  const Sim::Frame p = Sim::DcolPacket(0x55, {1, 2, 3});
  EXPECT_FALSE(b.adapter->DecodeMessage(nullptr, 0x55, 9) || b.adapter->DecodeMessage(p.data(), 0x55, 0) ||
               b.adapter->DecodeMessage(p.data(), 0x55, 8));
}

TEST(TrimbleFrame, Replies) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  // The elevation-mask reply: its 16-bit fields turned little-endian.
  std::vector<std::uint8_t> reply(49, 0);
  reply[0] = 12, reply[2] = 1, reply[3] = 2, reply[29] = 3, reply[30] = 4;
  ASSERT_TRUE(b.Feed(Sim::DcolPacket(0x4B, reply)));
  EXPECT_EQ((U{d.msg_flags, b.adapter->ReportedElevMask(), d.elev_mask_reply[2], d.elev_mask_reply[3],
               d.elev_mask_reply[29], d.elev_mask_reply[30], d.last_type, d.last_length}),
            (U{MsgBit::kElevMask, 12, 2, 1, 4, 3, 0x4B, 55}));
  ASSERT_TRUE(b.Feed(Sim::DcolPacket(0x4B, {7})));
  EXPECT_EQ((U{d.elev_mask_reported, d.elev_mask_reply[2], d.elev_mask_reply[30]}), (U{7, 0, 0}));
  // Replies 0x07 and 0x09: the packet's first 21 bytes, zero-filled.
  const Sim::Frame long_reply = Sim::DcolPacket(0x07, std::vector<std::uint8_t>(30, 0xAB));
  ASSERT_TRUE(b.Feed(long_reply) && d.msg_flags == 0);
  EXPECT_EQ(Sim::Frame(d.reply_0709, d.reply_0709 + 21), Sim::Frame(long_reply.begin(), long_reply.begin() + 21));
}

// ---------------------------------------------------------------- GSOF records

TEST(TrimbleGsof, EpochRecordsFillTheStore) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  d.time_zone = 8;
  EXPECT_EQ(b.Message(Epoch()), kEpoch);
  EXPECT_EQ((U{d.year, d.month, d.day, d.hour, d.minute, d.week, d.solution_code}), (U{2006, 1, 2, 9, 2, 1356, 11}));
  ExpectNear({d.second, d.latitude, d.longitude, d.height, d.pdop, d.hdop, d.vdop, d.tdop, d.sigma_horizontal,
              d.sigma_vertical, d.rms},
             {3.5, 0.5, 2.0, 30.0, 1.5, 0.75, 1.25, 0.5, 5.0, 12.0, 0.68 * 13});
  double xyz[3];
  Gnss::GeodeticToEcef(0.5, 2.0, 30.0, xyz);
  ExpectNear({d.ecef[0], d.ecef[1], d.ecef[2]}, {xyz[0], xyz[1], xyz[2]});

  // A coordinate outside its range is stored but not converted.
  for (const std::pair<double, double>& ll : {std::make_pair(kPi / 2, 1.0), std::make_pair(0.1, -kPi)}) {
    EXPECT_EQ(b.Message({Sim::GsofLlh(ll.first, ll.second, 5.0)}), MsgBit::kNmeaPosition);
    ExpectNear({d.latitude, d.longitude, d.ecef[0], d.ecef[2]}, {ll.first, ll.second, xyz[0], xyz[2]});
  }
  // The solution code from the position flags: no position, then the kinds
  // (high bits of the second byte ignored).
  const int codes[][3] = {{0x00, 4, 3}, {0x04, 3, 6}, {0x04, 15, 8}, {0x04, 8, 0}, {0xFF, 0xF4, 10}};
  for (const auto& c : codes) {
    Sim::GsofTimeFields t;
    t.flags1 = static_cast<std::uint8_t>(c[0]), t.flags2 = static_cast<std::uint8_t>(c[1]);
    b.Message({Sim::GsofTime(t)});
    EXPECT_EQ(+d.solution_code, static_cast<unsigned>(c[2])) << c[0] << " " << c[1];
  }
}

TEST(TrimbleGsof, BaseFromPositionAndOffset) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  EXPECT_EQ(b.Message({Sim::GsofEcef(-2.8e6, 4.7e6, 3.3e6), Sim::GsofEcefDelta(100, -200, 0.5)}), MsgBit::kBaseInfo);
  ExpectNear({d.base_info.x, d.base_info.y, d.base_info.z, 1.0 * d.base_present},
             {-2.8e6 - 100, 4.7e6 + 200, 3.3e6 - 0.5, 1});
  // A position alone moves no base and clears the base-present byte.
  EXPECT_EQ(b.Message({Sim::GsofEcef(1, 2, 3)}), 0u);
  ExpectNear({d.ecef[0], d.base_info.x, 1.0 * d.base_present}, {1, -2.8e6 - 100, 0});
}

TEST(TrimbleGsof, RecordsOfOtherLengthsAndLyingLengths) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  // Known types at other lengths are passed over; unknown types too.
  EXPECT_EQ(b.Message({Sim::GsofRecord(9, std::vector<std::uint8_t>(15, 0x40)),
                       Sim::GsofRecord(1, std::vector<std::uint8_t>(11, 0)), Sim::GsofRecord(40, {1, 2, 3}),
                       Sim::GsofDop(2, 1, 1, 1)}),
            MsgBit::kDop);
  // A record claiming more bytes than the message holds ends the walk.
  Sim::Frame lying = Sim::GsofLlh(0.3, 0.3, 3);
  lying[1] = 250;
  EXPECT_EQ(b.Message({Sim::GsofDop(3, 1, 1, 1), lying}), MsgBit::kDop);
  EXPECT_EQ((D{d.pdop, d.latitude}), (D{3, 0}));
}

Sim::GsofSatellite Sat(std::uint8_t prn, std::uint8_t system, std::uint8_t l1, std::uint8_t l2) {
  Sim::GsofSatellite s;
  s.prn = prn, s.system = system, s.elevation = 45, s.azimuth = 300, s.l1_snr4 = l1, s.l2_snr4 = l2;
  return s;
}

TEST(TrimbleGsof, AllSatellitesByTable) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  EXPECT_EQ(b.Message({Sim::GsofAllSatellites({Sat(5, 0, 178, 121), Sat(3, 2, 160, 0), Sat(11, 3, 160, 160),
                                               Sat(33, 1, 149, 0)})}),
            MsgBit::kGpsSats | MsgBit::kGlonassSats | MsgBit::kFourthSats | kSatCounts);
  const SATLLITE_STR& gps = d.Table(kTableGps).sats[0];
  EXPECT_EQ((D{1.0 * gps.prn, 1.0 * gps.elevation, 1.0 * gps.azimuth, gps.snr, gps.snr2, 1.0 * gps.status}),
            (D{5, 45, 300, 44, 30, 1}));
  EXPECT_EQ((U{d.Table(kTableGps).count, d.Table(kTableGlonass).count, d.Table(kTableSbas).count, d.sats_tracked,
               d.Table(kTableGlonass).sats[0].prn, d.Table(kTableGlonass).sats[0].status,
               d.Table(kTableSbas).sats[0].prn}),
            (U{1, 1, 1, 3, 40, 0, 33}));

  // Only the tables the record carried change. A count beyond the record's
  // length reads only the satellites present.
  Sim::Frame record = Sim::GsofAllSatellites({Sat(7, 0, 100, 0), Sat(9, 0, 100, 0)});
  record[2] = 200;
  EXPECT_EQ(b.Message({record}), MsgBit::kGpsSats | kSatCounts);
  EXPECT_EQ((U{d.Table(kTableGps).count, d.Table(kTableGps).sats[1].prn, d.Table(kTableGlonass).count, d.sats_tracked}),
            (U{2, 9, 1, 4}));

  // Without the satellite-detail flag the record is passed over.
  d.sat_detail = 0;
  EXPECT_EQ(b.Message({Sim::GsofAllSatellites({Sat(8, 0, 100, 0)})}), 0u);
  EXPECT_EQ(d.Table(kTableGps).sats[0].prn, 7);
}

TEST(TrimbleGsof, PagesReassembledWithinBounds) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  const Frames pages = Sim::GsofMessage(Epoch(), 0, 40);
  ASSERT_EQ(pages.size(), 3u);
  // Nothing is decoded before the last page.
  std::vector<std::uint32_t> flags;
  for (const Sim::Frame& p : pages) flags.push_back(b.Feed(p) ? d.msg_flags : 1);
  EXPECT_EQ(flags, (std::vector<std::uint32_t>{0, 0, kEpoch}));
  // A lost middle page drops the message and leaves the area empty; the
  // next message decodes.
  d.latitude = 0;
  EXPECT_TRUE(b.Feed(pages[0]) && b.Feed(pages[2]) && d.msg_flags == 0 && d.latitude == 0);
  EXPECT_EQ((U{d.gsof.used, d.gsof.pages}), (U{0, 0}));
  EXPECT_EQ(b.Message(Epoch(), 100), kEpoch);

  // A lone page claiming to be page 5 of 5 is dropped. Pages beyond the
  // area's 1000 bytes start it over; the message is then incomplete.
  EXPECT_TRUE(b.Feed(Sim::GsofPage(0, 5, 5, Sim::GsofDop(1, 1, 1, 1))) && d.msg_flags == 0 && d.gsof.used == 0);
  std::vector<std::uint32_t> used;
  for (std::uint8_t page = 0; page <= 4; ++page) {
    ASSERT_TRUE(b.Feed(Sim::GsofPage(0, page, 9, Sim::GsofRecord(40, std::vector<std::uint8_t>(250, 0)))));
    used.push_back(d.gsof.used);
  }
  EXPECT_EQ(used, (std::vector<std::uint32_t>{252, 504, 756, 252, 504}));
  EXPECT_EQ(d.gsof.pages, 2u);
  // Packets too short for the page header are accepted and change nothing.
  EXPECT_TRUE(b.Feed(Sim::DcolPacket(0x40, {0, 0})) && d.gsof.used == 504);
}

// ---------------------------------------------------------------- NMEA

TEST(TrimbleNmea, DispatchAndGsvTables) {
  TrimbleBoard b;
  TrimbleDecoder& d = b.decoder();
  const auto Sentence = [&](int code, const std::string& text) {
    return d.DecodeSentence(code, text.c_str(), static_cast<unsigned>(text.size()));
  };
  EXPECT_FALSE(Sentence(NmeaCode::kGnGga, "$GNGGA,,*48") || Sentence(NmeaCode::kBdGsv, "$BDGSV,1,1,0*58") ||
               Sentence(NmeaCode::kGnGll, "$GNGLL*00") || Sentence(NmeaCode::kGpGga, ""));
  EXPECT_TRUE(Sentence(NmeaCode::kGpGga, "$GPGGA,010203,,,,,1,,,,,,,,*67") && d.msg_flags == MsgBit::kGgaText);

  const std::string first = "$GPGSV,3,1,10,05,40,100,44,07,20,200,33,09,10,300,20,12,5,10,25*74";
  const std::string second = "$GPGSV,3,2,10,40,30,150,41,41,30,151,42,04,11,12,13*7F";
  const std::string third = "$GLGSV,3,3,10,70,60,250,45,71,61,251,46*66";
  // With NMEA parsing off the satellite sentences are taken and ignored.
  EXPECT_TRUE(Sentence(NmeaCode::kGpGsv, first) && d.Table(kTableGps).count == 0);

  d.parse_nmea = 1;
  d.Table(kTableBeidou).count = 3;
  // The first satellite's number picks the table for the whole sentence.
  Sentence(NmeaCode::kGpGsv, first);
  Sentence(NmeaCode::kGpGsv, "$GPGSV,3,2,10*79");  // too few fields: ignored
  EXPECT_EQ(d.msg_flags, 0u);
  Sentence(NmeaCode::kGpGsv, second);
  Sentence(NmeaCode::kGlGsv, third);
  EXPECT_EQ(d.msg_flags, MsgBit::kGpsSats | MsgBit::kGlonassSats | MsgBit::kFourthSats);
  EXPECT_EQ((U{d.Table(kTableGps).count, d.Table(kTableSbas).count, d.Table(kTableGlonass).count,
               d.Table(kTableBeidou).count, d.Table(kTableSbas).sats[2].prn, d.Table(kTableGlonass).sats[1].prn}),
            (U{4, 3, 2, 0, 4, 71}));
  const SATLLITE_STR& s = d.Table(kTableGps).sats[3];
  EXPECT_EQ((D{1.0 * s.prn, 1.0 * s.elevation, 1.0 * s.azimuth, s.snr}), (D{12, 5, 10, 25}));

  // Held: the group's end is noted instead of reported.
  d.gps_sat_hold = 1;
  Sentence(NmeaCode::kGpGsv, "$GPGSV,1,1,01,05,40,100,44*48");
  EXPECT_EQ((U{d.msg_flags, d.gps_sat_bits, d.Table(kTableGps).count, d.Table(kTableSbas).count}), (U{0, 8, 1, 0}));
}

// ---------------------------------------------------------------- end to end

using Messages = std::vector<std::pair<int, unsigned>>;

void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
  static_cast<Messages*>(const_cast<void*>(context))->emplace_back(kind, value);
}

// The stream through Em_Gnss(1, 1) in blocks of `block` bytes: the messages
// reported, then the position, base and satellite queries' values.
std::pair<Messages, D> Stream(Sim::Frame stream, std::size_t block) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_TRIMBLE);
  Messages messages;
  const _CALLBACKS_RECEIVER callbacks = {&OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &messages);
  for (std::size_t at = 0; at < stream.size(); at += block) {
    gnss.RcvData(&stream[at], static_cast<unsigned>(std::min(block, stream.size() - at)));
    gnss.ParseData();
  }
  POS_INFO pos{};
  BASEINFO base{};
  SATLLITE_STR sats[32];
  unsigned count = 0;
  gnss.Get_Gnss_Pos(&pos);
  gnss.Get_Gnss_Baseinfo(base);
  gnss.Get_Gnss_SatInfo(1, &count, sats);
  return {messages, {pos.latitude, pos.hprec, pos.vprec, 1.0 * pos.solution, 1.0 * pos.hour, base.x, base.z,
                     1.0 * gnss.Get_Gnss_ElevMask(), 1.0 * count, 1.0 * sats[1].prn}};
}

TEST(TrimbleStream, OneBlockAndByteByByteAgree) {
  // A GGA (its position and time then overwritten by GSOF), a GSOF epoch in
  // three pages, the mask reply, RTCM 3, an acknowledgement (no message),
  // a base and the satellites.
  Sim::NmeaFix fix;
  fix.latitude_deg = 10;
  const std::string gga = Sim::NmeaGga(fix);
  Frames parts = {Sim::Frame(gga.begin(), gga.end())};
  for (const Frames& group : {Sim::GsofMessage(Epoch(), 1, 60),
                              Frames{Sim::DcolPacket(0x4B, std::vector<std::uint8_t>(49, 15)),
                                     Sim::Rtcm1004({}, {Sim::Rtcm1004Observation(5, 2.2e7, 2.2e7, 1, 1, 45, 40)}),
                                     Sim::DcolPacket(0x55, {})},
                              Sim::GsofMessage({Sim::GsofEcef(10, 20, 30), Sim::GsofEcefDelta(1, 2, 3)}, 2),
                              Sim::GsofMessage({Sim::GsofAllSatellites({Sat(5, 0, 178, 121), Sat(6, 0, 100, 0)})})})
    parts.insert(parts.end(), group.begin(), group.end());
  Sim::Frame stream;
  for (const Sim::Frame& p : parts) stream.insert(stream.end(), p.begin(), p.end());

  const auto whole = Stream(stream, stream.size());
  EXPECT_EQ(whole.first, (Messages{{MSG_GNSS, MsgBit::kGgaText},
                                   {MSG_GNSS, kEpoch},
                                   {MSG_GNSS, MsgBit::kElevMask},
                                   {MSG_GNSS, MsgBit::kDiffData},
                                   {MSG_GNSS, MsgBit::kBaseInfo},
                                   {MSG_GNSS, MsgBit::kGpsSats | kSatCounts}}));
  ExpectNear(whole.second, {0.5, 5, 12, 11, 1, 9, 27, 15, 2, 6});
  const auto bytes = Stream(stream, 1);
  EXPECT_TRUE(bytes.first == whole.first && bytes.second == whole.second);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
