// The NovAtel decoder: frame check (length, CRC-32) and classification, the
// bounds every log decoder keeps, BESTPOS, PSRDOP, REFSTATION, the
// ephemeris logs, RANGECMP and RANGE into the observation list with slips,
// the signal strengths merged into held GSV satellite tables, and the real
// OEMV recording through the adapter and through Em_Gnss(1, 2).
#include <gtest/gtest.h>

#include <ksparse/em_gnss.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "board_test_support.h"
#include "boards/gnss_utils.h"
#include "boards/novatel/novatel_adapter.h"
#include "boards/novatel/novatel_wire.h"
#include "support/test_paths.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;

Sim::Frame Position() {
  Sim::BestPosFields f;
  f.latitude = 31.5;
  return Sim::BestPos({}, f);
}

// The NovAtel adapter's frame starts, searched for after a refused candidate.
constexpr const char* kStarts = "\xAA$\xD3\x02";

TEST(NovAtelFrame, Crc32LengthsAndPieces) {
  EXPECT_EQ(NovAtel::Crc32(reinterpret_cast<const unsigned char*>("123456789"), 9), 0x2DFD2D88u);
  NovAtelBoard b;
  const Sim::Frame log = Position();
  // Pieces are kept until the announced length is there.
  for (std::size_t cut : {2u, 27u, 100u}) {
    EXPECT_TRUE(!b.Feed(log.data(), cut) && b.frame().length == cut) << cut;
    EXPECT_TRUE(b.Feed(log.data() + cut, log.size() - cut) && b.frame().length == 0) << cut;
    EXPECT_NEAR(b.decoder().latitude, 31.5 * kDeg, 1e-15);
  }
  // Refused at the false start: one byte more than header + body + CRC (not
  // split), a bad CRC, a header length other than 28 (the body cannot be
  // located, so such a log is not taken).
  b.decoder().latitude = 0;
  Sim::Frame longer = log, bad = log, header29 = log;
  longer.push_back(0);
  bad[40] ^= 1;
  header29[3] = 29;
  for (const Sim::Frame& f : {longer, bad, header29})
    EXPECT_TRUE(b.Refused(f, kStarts) && b.decoder().latitude == 0.0);

  // A body length that can never fit the frame buffer is refused at once;
  // the largest that fits is waited for.
  for (unsigned body : {65535u, 2017u, 2016u}) {
    Sim::Frame lying = log;
    lying[8] = static_cast<std::uint8_t>(body);
    lying[9] = static_cast<std::uint8_t>(body >> 8);
    if (body == 2016) {
      EXPECT_TRUE(!b.Feed(lying) && b.frame().length == lying.size());
    } else {
      EXPECT_TRUE(b.Refused(lying, kStarts)) << body;
    }
    b.frame().Clear();
  }
}

TEST(NovAtelFrame, ClassifiesOtherFrames) {
  NovAtelBoard b;
  EXPECT_TRUE(b.Refused(std::string("\x55\x01\x02\x03", 4), kStarts));  // unknown start

  const Sim::Rtcm1004Satellite sat = Sim::Rtcm1004Observation(5, 2.2e7, 2.2e7, 1, 1, 45, 40);
  EXPECT_TRUE(b.Feed(Sim::Rtcm1004({}, {sat})) && b.decoder().msg_flags == MsgBit::kDiffData);
  // The board sends only messages below 256 bytes (second byte 0); a frame
  // with length bits there is dropped like any unknown frame.
  const Sim::Frame long_rtcm = Sim::Rtcm1004({}, std::vector<Sim::Rtcm1004Satellite>(20, sat));
  ASSERT_NE(long_rtcm[1], 0);
  EXPECT_TRUE(b.Refused(long_rtcm, kStarts));
  EXPECT_TRUE(b.Feed(std::string("\x02\x00\x93\x05\x10\x20", 6)));  // CMR
  EXPECT_EQ((U{b.decoder().msg_flags, b.frame().length}), (U{MsgBit::kDiffData, 0}));
}

TEST(NovAtelFrame, LogsShorterThanTheyAnnounceAreRejected) {
  NovAtelBoard b;
  for (const Sim::Frame& log : {Sim::RangeCmp({}, {Sim::RangeCmpRecord{}, Sim::RangeCmpRecord{}}),
                                 Sim::Range({}, {Sim::RangeRecord{}, Sim::RangeRecord{}})}) {
    Sim::Frame body(log.begin() + 28, log.end() - 4);
    body[0] = 3;  // three records announced, two present
    EXPECT_FALSE(b.Feed(Sim::NovAtelLog(log[4], {}, body)));
  }
  // Fixed parts one byte short.
  const std::pair<unsigned, unsigned> fixed[] = {{NovAtel::kIdBestPos, 72}, {NovAtel::kIdPsrDop, 28},
                                                 {NovAtel::kIdRefStation, 28}, {NovAtel::kIdGpsEphem, 204},
                                                 {NovAtel::kIdEphem1047, 204}, {NovAtel::kIdRawEphem, 102},
                                                 {NovAtel::kIdRangeCmp, 4}, {NovAtel::kIdRange, 4}};
  for (const auto& f : fixed)
    EXPECT_TRUE(!b.Feed(Sim::NovAtelLog(f.first, {}, Sim::Frame(f.second - 1, 0))) && b.decoder().msg_flags == 0)
        << f.first;
  // The decoder refuses frames that do not hold what their header says.
  const Sim::Frame log = Position();
  BoardAdapter& a = *b.adapter;
  EXPECT_FALSE(a.DecodeMessage(nullptr, 42, 104) || a.DecodeMessage(log.data(), 0, 104) ||
               a.DecodeMessage(log.data(), 42, 103) || a.DecodeMessage(log.data(), 42, 31));
}

TEST(NovAtelFrame, Version) {
  NovAtelBoard b;
  Sim::VersionComponent c;
  c.model = "OEMV3";
  EXPECT_TRUE(b.Feed(Sim::Version({}, {c})));
  EXPECT_STREQ(reinterpret_cast<const char*>(b.decoder().version_info + 4), "OEMV3");
}

// ---------------------------------------------------------------- logs

// A log header of GPS week 1562 at `ms` milliseconds of the week.
Sim::NovAtelHeader Epoch(std::uint32_t ms) {
  Sim::NovAtelHeader h;
  h.week = 1562;
  h.milliseconds = ms;
  return h;
}

Sim::Frame BestPos(std::uint32_t type, std::uint32_t status, float age) {
  Sim::BestPosFields f;
  f.position_type = type, f.solution_status = status, f.diff_age = age;
  return Sim::BestPos({}, f);
}

TEST(NovAtelBestPos, FillsPositionTimeAndPrecision) {
  NovAtelBoard b;
  b.decoder().time_zone = 8;
  Sim::BestPosFields f;
  f.lat_sigma = 3, f.lon_sigma = 4, f.height_sigma = 6, f.diff_age = 2.5f, f.in_solution = 9, f.gps_glonass_mask = 0x33;
  ASSERT_TRUE(b.Feed(Sim::BestPos(Epoch(515220999), f)));  // Friday 23:07:00.999
  const NovAtelDecoder& d = b.decoder();
  EXPECT_EQ(d.msg_flags, 0x40000000u | 0x1000000 | 0x800000 | 0x20000 | 0x20000000 | 0x10000 | 0x10000000);
  EXPECT_EQ((D{d.sigma_horizontal, d.sigma_vertical, d.diff_age, d.week_seconds}), (D{5.0, 6.0, 2.5, 515220.0}));
  EXPECT_DOUBLE_EQ(d.rms, 3.4);
  EXPECT_EQ((U{d.sats_in_solution, d.signals_used}), (U{9, 0x10000000u | 0x20000000 | 0x80000000 | 0x1000000}));
  // 2009-12-18 23:07:00 GPS time; the zone goes onto the hour unwrapped.
  EXPECT_EQ((D{1.0 * d.year, 1.0 * d.month, 1.0 * d.day, 1.0 * d.hour, 1.0 * d.minute, d.second}),
            (D{2009, 12, 18, 31, 7, 0.0}));
}

TEST(NovAtelBestPos, SolutionCodesAndResponses) {
  NovAtelBoard b;
  // Position type, solution status, differential age: solution code. Types
  // that leave the code unchanged keep what a position log sets first: 0.
  const struct { std::uint32_t type, status; float age; std::uint32_t code; } kCases[] = {
      {50, 0, 5, 11}, {50, 0, 25, 4}, {48, 0, 20, 11}, {32, 0, 5, 6}, {34, 0, 20.5f, 4},
      {1, 0, 0, 1},   {1, 13, 0, 1},  {1, 1, 0, 2},    {16, 0, 0, 4}, {17, 0, 0, 5},
      {18, 0, 0, 7},  {0, 0, 59, 3},  {51, 0, 0, 0},   {0, 0, 60, 0}, {19, 0, 0, 0}};
  for (const auto& c : kCases) {
    ASSERT_TRUE(b.Feed(BestPos(c.type, c.status, c.age)));
    EXPECT_EQ(b.decoder().solution_code, c.code) << c.type << "/" << c.status << "/" << c.age;
  }
  // A reply to a command: its body is the reply, the position is the last.
  ASSERT_TRUE(b.Feed(BestPos(50, 0, 5)));
  const double latitude = b.decoder().latitude;
  Sim::NovAtelHeader h;
  h.response = true;
  ASSERT_TRUE(b.Feed(Sim::NovAtelLog(42, h, {1, 0, 0, 0, 'O', 'K'})));
  EXPECT_TRUE(b.decoder().latitude == latitude && b.decoder().solution_code == 11u &&
              (b.decoder().msg_flags & MsgBit::kPosition) != 0);
}

TEST(NovAtelPsrDopAndRefStation, DopCutoffAndBasePosition) {
  NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  Sim::PsrDopFields f;
  f.gdop = 2.5f, f.pdop = 2.0f, f.hdop = 1.2f, f.tdop = 1.1f, f.cutoff = 12.9f, f.prns = {1, 5, 7};
  ASSERT_TRUE(b.Feed(Sim::PsrDop({}, f)));
  EXPECT_EQ(d.msg_flags, MsgBit::kDop | MsgBit::kElevMask);
  EXPECT_NEAR(d.vdop, 1.6, 1e-6);
  EXPECT_EQ((D{d.pdop, d.hdop, d.tdop, d.gdop}), (D{2.0, 1.2f, 1.1f, 2.5}));
  EXPECT_EQ((U{d.elev_mask_reported, b.adapter->ReportedElevMask()}), (U{12, 12}));
  // HDOP above PDOP, and a cut-off that is no number: bounded values.
  f.hdop = 3.0f;
  f.cutoff = std::nanf("");
  ASSERT_TRUE(b.Feed(Sim::PsrDop({}, f)));
  EXPECT_EQ((D{d.vdop, 1.0 * d.elev_mask_reported}), (D{0.0, 0.0}));

  Sim::RefStationFields r;
  r.x = -2850000.125, r.y = 4650000.5, r.z = 3290000.75;
  ASSERT_TRUE(b.Feed(Sim::RefStation({}, r)));
  EXPECT_EQ(d.msg_flags, MsgBit::kBaseInfo);
  EXPECT_EQ((D{d.base_info.x, d.base_info.y, d.base_info.z}), (D{r.x, r.y, r.z}));
}

// GPSEPHEM (7 and 1047) and RAWEPHEM store and raise a new issue only. The
// RAWEPHEM field values are compared with convbin on the real recording.
TEST(NovAtelEphemeris, LogsStoreNewIssuesOnly) {
  NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  const Sim::GpsEphemerisFields raw = ExtremeEphemeris();
  Sim::GpsEphemerisFields f = raw;
  f.toe += 0.75, f.fit = 0;  // reference times are taken in whole seconds; the log has no fit flag
  ASSERT_TRUE(b.Feed(Sim::GpsEphem({}, 12, f)));
  const em_eph_t& e = d.eph[11];
  EXPECT_EQ((U{d.msg_flags, d.last_eph_sat, e.sat, e.week}), (U{MsgBit::kEphemeris, 12, 12, f.week}));
  EXPECT_EQ(+e.toe.time, +e.ttr.time);
  ExpectEphemeris(e, f);
  f.iode = 72;
  ASSERT_TRUE(b.Feed(Sim::GpsEphem({}, 12, f, 1047)));
  EXPECT_EQ((U{d.msg_flags, d.eph[11].iode}), (U{MsgBit::kEphemeris, 72}));
  ASSERT_TRUE(b.Feed(Sim::RawEphem({}, 9, raw)));
  EXPECT_EQ((U{d.msg_flags, d.last_eph_sat, d.eph[8].sat}), (U{MsgBit::kEphemeris, 9, 9}));

  // Nothing new: the same issues again, satellite 0 (no slot), RAWEPHEM of
  // a satellite that is not GPS.
  const Sim::Frame unchanged[] = {Sim::GpsEphem({}, 12, f), Sim::RawEphem({}, 9, raw), Sim::GpsEphem({}, 0, f),
                                  Sim::RawEphem({}, 33, raw)};
  for (const Sim::Frame& log : unchanged) EXPECT_TRUE(b.Feed(log) && d.msg_flags == 0) << &log - unchanged;
  // Subframes out of order are no ephemeris.
  const Sim::Frame log = Sim::RawEphem({}, 10, raw);
  Sim::Frame body(log.begin() + 28, log.end() - 4);
  std::swap_ranges(body.begin() + 42, body.begin() + 72, body.begin() + 72);
  ASSERT_TRUE(b.Feed(Sim::NovAtelLog(41, {}, body)));
  EXPECT_EQ((U{d.msg_flags, d.eph[9].sat}), (U{0, 0}));
}

// ---------------------------------------------------------------- observations

Sim::RangeCmpRecord Record(unsigned prn, unsigned system, unsigned signal, double lock = 10.0) {
  return Sim::RangeCmpObservation(prn, system, signal, 21000000.5 + 1000.0 * prn, 150.0, 40 + prn % 10, lock);
}

const em_obsd_t* Find(const NovAtelDecoder& d, unsigned sat) {
  for (std::uint32_t i = 0; i < d.obs_count; ++i)
    if (d.obs[i].sat == sat) return &d.obs[i];
  return nullptr;
}

TEST(NovAtelRangeCmp, RecordsToObservations) {
  NovAtelBoard b;
  std::vector<Sim::RangeCmpRecord> rs = {Record(5, 0, 0), Record(5, 0, 9), Record(7, 0, 17), Record(46, 1, 0),
                                         Record(10, 4, 0), Record(133, 2, 0), Record(33, 0, 0), Record(8, 0, 2),
                                         Record(45, 1, 0), Record(9, 0, 0)};
  rs[8].parity_known = false;  // GLONASS without parity: skipped
  rs[9].parity_known = false;  // GPS without parity: taken, flagged
  rs[9].code_locked = false;
  rs[9].phase_locked = false;
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(515220000), rs)));
  const NovAtelDecoder& d = b.decoder();
  EXPECT_EQ(d.msg_flags, MsgBit::kObservations);
  ASSERT_EQ(d.obs_count, 6u);  // 5, 7, 46, 170, 133, 9
  const em_gtime_t t = Gnss::GpsToTime(1562, 515220.0);
  for (std::uint32_t i = 0; i < d.obs_count; ++i) EXPECT_TRUE(d.obs[i].time == t.time && d.obs[i].sec == t.sec);
  // Values of L1/L2P records are compared with convbin on the real recording.
  const em_obsd_t *g5 = Find(d, 5), *g7 = Find(d, 7);  // L2C: second frequency, a quarter cycle on
  ASSERT_TRUE(g5 && g7);
  EXPECT_EQ((U{g5->code[0], g5->code[1], g7->code[1]}), (U{1, 19, 14}));
  EXPECT_NEAR(+g7->l[1], rs[2].phase + 0.25, 1.0 / 512);
  EXPECT_EQ(+g7->p[0], 0.0);
  EXPECT_TRUE(Find(d, 46) && Find(d, 170) && Find(d, 133));  // GLONASS, BeiDou 10, SBAS
  const em_obsd_t* g9 = Find(d, 9);  // code and phase unlocked
  ASSERT_NE(g9, nullptr);
  EXPECT_TRUE(g9->lli[0] == 2 && g9->p[0] == 0.0 && g9->l[0] == 0.0 && g9->d[0] == 0.0f);
}

TEST(NovAtelRangeCmp, SlipsFromLockTimeAndHalfCycle) {
  NovAtelBoard b;
  std::vector<Sim::RangeCmpRecord> rs = {Record(5, 0, 0, 10.0), Record(5, 0, 9, 10.0), Record(7, 0, 0, 65535.96875),
                                         Record(8, 0, 0, 3.0)};
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(515220000), rs)));
  for (std::uint32_t i = 0; i < b.decoder().obs_count; ++i) EXPECT_EQ(b.decoder().obs[i].lli[0], 0);
  rs[0].lock_time = 10.5;          // grew less than the 1 s elapsed: slip
  rs[1].lock_time = 11.0;          // grew by the elapsed time: no slip
  rs[2].lock_time = 2.0;           // was saturated: no information
  rs[3].half_cycle_added = true;   // half-cycle flag changed: slip
  rs[3].lock_time = 4.0;
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(515221000), rs)));
  const NovAtelDecoder& d = b.decoder();
  // PRN 7: 2.0 - 65535.97 + 0.05 <= 1, the saturated value counts as before.
  EXPECT_EQ((U{Find(d, 5)->lli[0], Find(d, 5)->lli[1], Find(d, 7)->lli[0], Find(d, 8)->lli[0]}), (U{1, 0, 1, 1}));
}

TEST(NovAtelRangeCmp, SixtyFourObservationsAtMost) {
  NovAtelBoard b;
  std::vector<Sim::RangeCmpRecord> rs;
  for (unsigned prn = 1; prn <= 70; ++prn) rs.push_back(Record(prn, 4, 0));
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(0), rs)));
  EXPECT_EQ((U{b.decoder().obs_count, b.decoder().obs[63].sat}), (U{64, 160 + 64}));
}

TEST(NovAtelRange, PairsRecordsOfOneSatellite) {
  NovAtelBoard b;
  std::vector<Sim::RangeRecord> rs(5);
  const unsigned prns[] = {3, 3, 8, 9, 9};
  for (int i = 0; i < 5; ++i)
    rs[i].prn = prns[i], rs[i].pseudorange = 2.0e7 + i, rs[i].carrier = -1.0e8 - i, rs[i].doppler = 100.0f + i,
    rs[i].cn0 = 40.9f + i;
  ASSERT_TRUE(b.Feed(Sim::Range(Epoch(1000), rs)));
  const NovAtelDecoder& d = b.decoder();
  const em_obsd_t* o = d.obs;
  EXPECT_EQ((U{d.msg_flags, d.obs_count, o[0].sat, o[0].snr[1], o[1].sat, o[2].time}),
            (U{MsgBit::kObservations, 3, 3, 41, 8, Gnss::GpsToTime(1562, 1.0).time}));
  EXPECT_EQ((D{o[0].p[1], o[0].l[1], o[1].p[1], o[2].d[0], o[2].d[1]}), (D{2.0e7 + 1, -1.0e8 - 1, 0.0, 103, 104}));
}

TEST(NovAtelGsv, SbasSplitHeldGroupsAndSignalMerge) {
  NovAtelBoard b;
  NovAtelDecoder& d = b.decoder();
  b.Sentence(NmeaCode::kGpGsv, "$GPGSV,2,1,06,05,40,100,44,07,20,200,40,35,30,150,38,09,10,050,30*7B\r\n");
  b.Sentence(NmeaCode::kGpGsv, "$GPGSV,2,2,06,12,60,300,50,48,50,010,42*72\r\n");
  // Held for the observations: nothing raised yet.
  EXPECT_EQ((U{d.msg_flags, d.gps_sat_bits, d.Table(kTableGps).count, d.Table(kTableSbas).count}), (U{0, 0x8, 4, 2}));
  EXPECT_EQ((U{d.Table(kTableSbas).sats[0].prn, d.Table(kTableSbas).sats[1].prn}), (U{122, 135}));
  b.Sentence(NmeaCode::kBdGsv, "$BDGSV,1,1,02,10,45,120,40,11,30,200,35*6A\r\n");
  EXPECT_EQ((U{d.msg_flags, d.bds_sat_bits, d.Table(kTableBeidou).sats[1].prn}), (U{0, 0x20, 171}));

  std::vector<Sim::RangeCmpRecord> rs = {Record(5, 0, 0), Record(5, 0, 9), Record(10, 4, 0)};
  rs[0].cn0 = 47;
  rs[1].cn0 = 28;
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(0), rs)));
  EXPECT_EQ(d.msg_flags, MsgBit::kObservations | MsgBit::kGpsSats | MsgBit::kBeidouSats);
  const SATLLITE_STR& s5 = d.Table(kTableGps).sats[0];
  EXPECT_TRUE(s5.snr == 47.0f && s5.snr2 == 28.0f && s5.status == 1u);
  // Bits given out; PRN 9 at 10 degrees is not usable.
  EXPECT_EQ((U{d.gps_sat_bits, d.bds_sat_bits, d.Table(kTableGps).sats[2].status}), (U{0, 0, 0}));
  EXPECT_TRUE(d.Table(kTableBeidou).sats[0].snr == rs[2].cn0);

  // Not held: reported at the last message. A new group without SBAS
  // satellites leaves the SBAS table as it was.
  d.gps_sat_hold = 0;
  b.Sentence(NmeaCode::kGpGsv, "$GPGSV,1,1,01,17,40,100,44*4B\r\n");
  EXPECT_EQ((U{d.msg_flags, d.Table(kTableGps).count, d.Table(kTableSbas).count}),
            (U{MsgBit::kGpsSats | MsgBit::kFourthSats, 1, 2}));
}

// ---------------------------------------------------------------- the real recording

// Every BESTPOS decoded to the log's own fields through the adapter, and the
// whole recording end to end through Em_Gnss(1, 2). Skipped when the capture
// is absent.
void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
  static_cast<std::vector<std::pair<int, unsigned>>*>(const_cast<void*>(context))->emplace_back(kind, value);
}

TEST(NovAtelCapture, EveryBestPosMatchesItsFieldsAndEmGnssAgrees) {
  const std::string capture = CapturePath("oemv_200911218.gps");
  if (capture.empty()) GTEST_SKIP() << "oemv_200911218.gps not present";
  const std::string bytes = ReadFile(capture);
  NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  int positions = 0;
  for (const std::string& log : SplitNovAtelLogs(bytes)) {
    // The only log above the frame buffer's 2048 bytes is one nobody decodes.
    if (log.size() > FrameBuffer::kCapacity) continue;
    ASSERT_TRUE(b.Feed(log)) << LogId(log);
    if (LogId(log) != 42) continue;
    ++positions;
    // Latitude, longitude, height plus undulation, satellites tracked, week.
    EXPECT_EQ((D{d.latitude, d.longitude, d.height, 1.0 * d.sats_tracked, 1.0 * d.week}),
              (D{At<double>(log, 28 + 8) * kDeg, At<double>(log, 28 + 16) * kDeg,
                 At<double>(log, 28 + 24) + At<float>(log, 28 + 32), 1.0 * static_cast<unsigned char>(log[28 + 64]),
                 1.0 * At<std::uint16_t>(log, 14)}));
  }
  EXPECT_EQ(positions, 49);

  // The same bytes through Em_Gnss(1, 2) in blocks of 2000 (the receive
  // buffer compacts only above 18480 bytes held, so larger blocks may find
  // it full). A rejected frame (the oversized logs) ends a ParseData call,
  // so a few calls per block drain every block.
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  std::vector<std::pair<int, unsigned>> messages;
  const _CALLBACKS_RECEIVER callbacks = {&OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &messages);
  std::string copy = bytes;
  for (std::size_t at = 0; at < copy.size(); at += 2000) {
    const unsigned n = static_cast<unsigned>(std::min<std::size_t>(2000, copy.size() - at));
    gnss.RcvData(reinterpret_cast<unsigned char*>(&copy[at]), n);
    for (int i = 0; i < 4; ++i) gnss.ParseData();
  }
  // Positions, observations and new ephemerides are reported; logs that
  // change nothing raise no callback.
  int epochs = 0, ephemerides = 0;
  positions = 0;
  for (const auto& m : messages) {
    EXPECT_EQ(m.first, MSG_GNSS);
    positions += (m.second & MsgBit::kPosition) != 0;
    epochs += (m.second & MsgBit::kObservations) != 0;
    ephemerides += (m.second & MsgBit::kEphemeris) != 0;
  }
  EXPECT_EQ((std::vector<int>{static_cast<int>(messages.size()), positions, epochs, ephemerides}),
            (std::vector<int>{49 + 46 + 9, 49, 46, 9}));
  // The queries answer with the last position and the last epoch.
  POS_INFO pos{};
  static em_obs_t obs;
  gnss.Get_Gnss_Pos(&pos);
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_TRUE(pos.latitude == d.latitude && pos.height == d.height && pos.solution == d.solution_code);
  EXPECT_EQ(+pos.year, 2009);
  ASSERT_EQ(+obs.n, d.obs_count);
  EXPECT_EQ(std::memcmp(obs.data, d.obs, obs.n * sizeof(em_obsd_t)), 0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
