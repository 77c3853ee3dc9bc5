// RANGECMP and RANGE into the observation list; slips; the signal strengths
// merged into held GSV satellite tables.
#include <gtest/gtest.h>

#include <vector>

#include "boards/gnss_utils.h"
#include "novatel_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::NovAtelBoard;

Sim::NovAtelHeader Epoch(std::uint32_t ms) {
  Sim::NovAtelHeader h;
  h.week = 1562;
  h.milliseconds = ms;
  return h;
}

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
  for (std::uint32_t i = 0; i < d.obs_count; ++i) {
    EXPECT_EQ(d.obs[i].time, t.time);
    EXPECT_EQ(d.obs[i].sec, t.sec);
  }
  const em_obsd_t* g5 = Find(d, 5);
  ASSERT_NE(g5, nullptr);
  for (int k = 0; k < 2; ++k) {
    const Sim::RangeCmpRecord& r = rs[k];
    EXPECT_EQ(g5->p[k], r.pseudorange);
    EXPECT_NEAR(g5->l[k], r.phase, 1.0 / 512);  // rolled over back to the full phase
    EXPECT_NEAR(g5->d[k], r.doppler, 1.0 / 512);
    EXPECT_EQ(g5->snr[k], r.cn0);
    EXPECT_EQ(g5->lli[k], 0);
  }
  EXPECT_EQ(g5->code[0], 1);
  EXPECT_EQ(g5->code[1], 19);
  const em_obsd_t* g7 = Find(d, 7);  // L2C: second frequency, a quarter cycle on
  ASSERT_NE(g7, nullptr);
  EXPECT_EQ(g7->code[1], 14);
  EXPECT_NEAR(g7->l[1], rs[2].phase + 0.25, 1.0 / 512);
  EXPECT_EQ(g7->p[0], 0.0);
  EXPECT_TRUE(Find(d, 46) && Find(d, 170) && Find(d, 133));  // GLONASS, BeiDou 10, SBAS
  const em_obsd_t* g9 = Find(d, 9);
  ASSERT_NE(g9, nullptr);
  EXPECT_EQ(g9->lli[0], 2);
  EXPECT_TRUE(g9->p[0] == 0.0 && g9->l[0] == 0.0 && g9->d[0] == 0.0f);  // code and phase unlocked
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
  EXPECT_EQ(Find(d, 5)->lli[0], 1);
  EXPECT_EQ(Find(d, 5)->lli[1], 0);
  EXPECT_EQ(Find(d, 7)->lli[0], 1);  // 2.0 - 65535.97 + 0.05 <= 1: the saturated value counts as before
  EXPECT_EQ(Find(d, 8)->lli[0], 1);
}

TEST(NovAtelRangeCmp, SixtyFourObservationsAtMost) {
  NovAtelBoard b;
  std::vector<Sim::RangeCmpRecord> rs;
  for (unsigned prn = 1; prn <= 70; ++prn) rs.push_back(Record(prn, 4, 0));
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(0), rs)));
  EXPECT_EQ(b.decoder().obs_count, 64u);
  EXPECT_EQ(b.decoder().obs[63].sat, 160 + 64);
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
  EXPECT_EQ(d.msg_flags, MsgBit::kObservations);
  ASSERT_EQ(d.obs_count, 3u);
  EXPECT_TRUE(d.obs[0].sat == 3 && d.obs[0].p[1] == 2.0e7 + 1 && d.obs[0].l[1] == -1.0e8 - 1);
  EXPECT_EQ(d.obs[0].snr[1], 41);
  EXPECT_TRUE(d.obs[1].sat == 8 && d.obs[1].p[1] == 0.0);
  EXPECT_TRUE(d.obs[2].d[0] == 103.0f && d.obs[2].d[1] == 104.0f);
  EXPECT_EQ(d.obs[2].time, Gnss::GpsToTime(1562, 1.0).time);
}

TEST(NovAtelGsv, SbasSplitHeldGroupsAndSignalMerge) {
  NovAtelBoard b;
  NovAtelDecoder& d = b.decoder();
  b.Sentence(NmeaCode::kGpGsv, "$GPGSV,2,1,06,05,40,100,44,07,20,200,40,35,30,150,38,09,10,050,30*70\r\n");
  b.Sentence(NmeaCode::kGpGsv, "$GPGSV,2,2,06,12,60,300,50,48,50,010,42*7A\r\n");
  EXPECT_EQ(d.msg_flags, 0u);  // held for the observations
  EXPECT_EQ(d.gps_sat_bits, 0x8u);
  ASSERT_EQ(d.Table(kTableGps).count, 4u);
  ASSERT_EQ(d.Table(kTableSbas).count, 2u);
  EXPECT_EQ(d.Table(kTableSbas).sats[0].prn, 122);
  EXPECT_EQ(d.Table(kTableSbas).sats[1].prn, 135);
  b.Sentence(NmeaCode::kBdGsv, "$BDGSV,1,1,02,10,45,120,40,11,30,200,35*6A\r\n");
  EXPECT_EQ(d.msg_flags, 0u);
  EXPECT_EQ(d.bds_sat_bits, 0x20u);
  EXPECT_EQ(d.Table(kTableBeidou).sats[1].prn, 171);

  std::vector<Sim::RangeCmpRecord> rs = {Record(5, 0, 0), Record(5, 0, 9), Record(10, 4, 0)};
  rs[0].cn0 = 47;
  rs[1].cn0 = 28;
  ASSERT_TRUE(b.Feed(Sim::RangeCmp(Epoch(0), rs)));
  EXPECT_EQ(d.msg_flags, MsgBit::kObservations | MsgBit::kGpsSats | MsgBit::kBeidouSats);
  EXPECT_EQ(d.gps_sat_bits, 0u);
  EXPECT_EQ(d.bds_sat_bits, 0u);
  const SATLLITE_STR& s5 = d.Table(kTableGps).sats[0];
  EXPECT_EQ(s5.snr, 47.0f);
  EXPECT_EQ(s5.snr2, 28.0f);
  EXPECT_EQ(s5.status, 1u);
  EXPECT_EQ(d.Table(kTableGps).sats[2].status, 0u);  // PRN 9 at 10 degrees
  EXPECT_EQ(d.Table(kTableBeidou).sats[0].snr, rs[2].cn0);

  // Not held: reported at the last message. A new group without SBAS
  // satellites leaves the SBAS table as it was.
  d.gps_sat_hold = 0;
  b.Sentence(NmeaCode::kGpGsv, "$GPGSV,1,1,01,17,40,100,44*4C\r\n");
  EXPECT_EQ(d.msg_flags, MsgBit::kGpsSats | MsgBit::kFourthSats);
  EXPECT_EQ(d.Table(kTableGps).count, 1u);
  EXPECT_EQ(d.Table(kTableSbas).count, 2u);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
