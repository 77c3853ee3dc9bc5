#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cstring>

#include "facade/raw_recording.h"
#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {
namespace {

class Queries : public testing::Test {
 protected:
  Queries() : gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND), adapter(new RecordingAdapter()) {
    EmGnssTestAccess::SetAdapter(gnss, adapter);
  }
  BoardDecoder& store() { return *adapter->decoder; }

  Em_Gnss gnss;
  RecordingAdapter* adapter;
};

TEST_F(Queries, PositionCombinesGettersAndTimeWords) {
  BoardDecoder& d = store();
  d.latitude = 0.1, d.longitude = -0.2, d.height = 12.5, d.diff_age = 1.5, d.solution_code = 11;
  d.year = 2026, d.month = 12, d.day = 6, d.hour = 31, d.minute = 59, d.second = 58.25;
  d.status_word = 0xABCD1234, d.extra_word = 0x5566;
  d.sigma_horizontal = 0.02, d.sigma_vertical = 0.03, d.rms = 0.4;
  POS_INFO pos = {};
  gnss.Get_Gnss_Pos(&pos);
  EXPECT_EQ(+pos.latitude, 0.1);
  EXPECT_EQ(+pos.longitude, -0.2);
  EXPECT_EQ(+pos.height, 12.5);
  EXPECT_EQ(+pos.solution, 11u);
  EXPECT_EQ(+pos.diff_age, 1.5);
  EXPECT_EQ(+pos.hour, 31);
  EXPECT_EQ(+pos.second, 58.25);
  EXPECT_EQ(+pos.status_word, 0xABCD1234u);
  EXPECT_EQ(+pos.extra_word, 0x5566u);
  EXPECT_EQ(+pos.hprec, 0.02);
  EXPECT_EQ(+pos.vprec, 0.03);
  EXPECT_EQ(+pos.rms, 0.4);

  Time_Str t = {};
  gnss.Get_Gnss_Time(&t);
  EXPECT_EQ(+t.year, 2026);
  EXPECT_EQ(+t.minute, 59);
  EXPECT_EQ(+t.second, 58.25);

  Precisions p = {};
  gnss.Get_Gnss_Precision(&p);
  EXPECT_EQ(+p.hprec, 0.02);
  EXPECT_EQ(+p.rms, 0.4);
}

TEST_F(Queries, SatelliteListsUseTheStagingArea) {
  SatTable& glonass = store().tables[kTableGlonass];
  glonass.count = 2;
  glonass.sats[0].prn = 38;
  glonass.sats[1].prn = 45;
  SATLLITE_STR out[32];
  std::memset(out, 0xEE, sizeof(out));
  unsigned int count = 0;
  gnss.Get_Gnss_SatInfo(2, &count, out);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(+out[0].prn, 38);
  EXPECT_EQ(+out[1].prn, 45);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(&out[2])[0], 0xEE);  // nothing beyond the count
  const unsigned char* stage = reinterpret_cast<const unsigned char*>(EmGnssTestAccess::Stage(gnss));
  EXPECT_EQ(stage[2 * sizeof(SATLLITE_STR)], 0x30);  // the rest of the stage is filled with 0x30

  gnss.Get_Gnss_SatInfo(6, &count, out);
  EXPECT_EQ(count, 0u);
  gnss.Get_Gnss_SatInfo(0, &count, out);
  EXPECT_EQ(count, 0u);
  store().tables[kTableFifth].count = 33;
  count = 7;
  gnss.Get_Gnss_SatInfo(5, &count, out);
  EXPECT_EQ(count, 0u);
}

TEST_F(Queries, SatelliteUseRaisesTheFirstCount) {
  store().sats_tracked = 3;
  store().sats_in_solution = 9;
  SAT_USE use = {77, 77};
  gnss.Get_Gnss_SatUse(1, &use);
  EXPECT_EQ(+use.first, 77u);
  gnss.Get_Gnss_SatUse(0, &use);
  EXPECT_EQ(+use.first, 9u);
  EXPECT_EQ(+use.second, 9u);
  EXPECT_EQ(store().sats_tracked, 9u);
}

TEST_F(Queries, TimeZoneAcceptsZeroToTwentyFour) {
  gnss.Set_TimeZone(24);
  EXPECT_EQ(gnss.Get_TimeZone(), 24);
  gnss.Set_TimeZone(0);
  EXPECT_EQ(gnss.Get_TimeZone(), 0);
  gnss.Set_TimeZone(-1);
  EXPECT_EQ(gnss.Get_TimeZone(), 8);
  gnss.Set_TimeZone(25);
  EXPECT_EQ(gnss.Get_TimeZone(), 8);
}

TEST_F(Queries, EphemerisOfTheLastDecodedSatellite) {
  store().eph[2].sat = 3;
  store().eph[2].iode = 17;
  store().eph[170].sat = 171;
  em_eph_t eph = {};
  unsigned int system = 0;
  store().last_eph_sat = 100;
  gnss.Get_Gnss_Ephemeris(&system, &eph);
  EXPECT_EQ(system, 0u);
  EXPECT_EQ(+eph.sat, 0);

  store().last_eph_sat = 3;
  gnss.Get_Gnss_Ephemeris(&system, &eph);
  EXPECT_EQ(system, 1u);
  EXPECT_EQ(+eph.iode, 17);

  store().last_eph_sat = 171;
  gnss.Get_Gnss_Ephemeris(&system, &eph);
  EXPECT_EQ(system, 4u);
  EXPECT_EQ(+eph.sat, 171);

  for (int sat : {0, 33, 160, 197, 221, -5}) {
    store().last_eph_sat = sat;
    system = 0;
    gnss.Get_Gnss_Ephemeris(&system, &eph);
    EXPECT_EQ(system, 0u) << sat;
  }
}

TEST_F(Queries, ObservationsAreBoundedAndTheRestZeroed) {
  store().obs_count = 2;
  store().obs[0].sat = 5;
  store().obs[1].p[0] = 2.5e7;
  store().obs[2].sat = 9;  // beyond the count: not copied
  em_obs_t obs;
  std::memset(&obs, 0xAB, sizeof(obs));
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_EQ(+obs.n, 2u);
  EXPECT_EQ(+obs.data[0].sat, 5);
  EXPECT_EQ(+obs.data[1].p[0], 2.5e7);
  EXPECT_EQ(+obs.data[2].sat, 0);
  EXPECT_EQ(+obs.data[117].sat, 0);

  store().obs_count = 5000;
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_EQ(+obs.n, BoardDecoder::kObsCapacity);
}

TEST(RecordingName, HourIsShiftedAndSpacePadded) {
  char name[64];
  Recording::GeneratedName(name, sizeof(name), 2011, 3, 5, 1, 2, 3);
  EXPECT_STREQ(name, "201135 923.bin");
  Recording::GeneratedName(name, sizeof(name), 2011, 12, 25, 17, 40, 59);
  EXPECT_STREQ(name, "20111225254059.bin");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
