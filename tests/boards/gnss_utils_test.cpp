// GNSS utilities: time values against the C library's UTC conversions,
// GPS week handling, WGS-84 coordinates, big-endian readers and
// LNAV subframes from the simulator's encoder.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <ctime>
#include <random>
#include <utility>
#include <vector>

#include "board_test_support.h"
#include "boards/gnss_utils.h"
#include "tools/sim/gps_subframe_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Gnss;
using namespace Testing;

// The reference calendar is the C library's, which ends in January 2038
// where time_t has 32 bits (32-bit ARM Linux).
constexpr bool kWideTime = sizeof(std::time_t) >= 8;

std::tm Utc(std::int64_t count) {
  const std::time_t t = static_cast<std::time_t>(count);
  std::tm out{};
#if defined(_WIN32)
  gmtime_s(&out, &t);
#else
  gmtime_r(&t, &out);
#endif
  return out;
}

TEST(GnssTimeTest, GpsEpochAndFractions) {
  const em_gtime_t epoch = GpsToTime(0, 0.0), t = GpsToTime(0, 1.5);
  EXPECT_EQ((U{epoch.time, t.time}), (U{315964800, 315964801}));
  EXPECT_EQ(+epoch.time, +EpochToTime(1980, 1, 6, 0, 0, 0).time);
  EXPECT_EQ((D{epoch.sec, t.sec}), (D{0.0, 0.5}));
  const std::int64_t week7 = GpsToTime(7, 0.0).time;  // out of range: 0 s
  EXPECT_EQ((U{GpsToTime(7, 2e9).time, GpsToTime(7, std::nan("")).time}), (U{week7, week7}));

  std::int32_t week = 0, before = 0;
  const double sow = TimeToGps(GpsToTime(2400, 345600.25), &week);
  EXPECT_EQ((D{sow, TimeToGps(GpsToTime(0, -1.0), &before), 1.0 * week, 1.0 * before}),
            (D{345600.25, 604799.0, 2400, -1}));  // also before the epoch
  EXPECT_DOUBLE_EQ(TimeDiff(GpsToTime(1, 0.25), GpsToTime(0, 604799.75)), 0.5);
}

TEST(GnssTimeTest, EpochToTimeMatchesUtcCalendarAndCarries) {
  std::mt19937 rng(11);
  const unsigned years = kWideTime ? 130 : 68;
  for (int i = 0; i < 2000; ++i) {
    const int y = 1970 + static_cast<int>(rng() % years), mo = 1 + static_cast<int>(rng() % 12);
    const int d = 1 + static_cast<int>(rng() % 28), h = static_cast<int>(rng() % 24);
    const int mi = static_cast<int>(rng() % 60), s = static_cast<int>(rng() % 60);
    const em_gtime_t t = EpochToTime(y, mo, d, h, mi, s + 0.125);
    const std::tm tm = Utc(t.time);
    ASSERT_EQ((U{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}),
              (U{y, mo, d, h, mi, s}));
    ASSERT_EQ(+t.sec, 0.125);
  }
  // Day 30 of February 2024, month 15 of 2023 and second 60.5 carry into 2024-03-01.
  const std::int64_t base = EpochToTime(2024, 3, 1, 0, 0, 0).time;
  const em_gtime_t leap = EpochToTime(2024, 2, 29, 23, 59, 60.5);
  EXPECT_EQ((U{EpochToTime(2024, 2, 30, 0, 0, 0).time, EpochToTime(2023, 15, 1, 0, 0, 0).time, leap.time,
               EpochToTime(2024, 3, 1, 0, 0, -1.0).time}),
            (U{base, base, base, base - 1}));
  EXPECT_EQ(+leap.sec, 0.5);
}

TEST(GnssTimeTest, WeekToCalendarAgreesWithUtcForEveryDay) {
  const Calendar c = WeekToCalendar(1356, 0.0);
  EXPECT_EQ((D{1.0 * c.year, 1.0 * c.month, 1.0 * c.day, 1.0 * c.hour, 1.0 * c.minute, c.second}),
            (D{2006, 1, 1, 0, 0, 0}));
  // Every day from the GPS epoch to 2099, at a time that moves through the day.
  for (std::uint32_t day = 0; day < (kWideTime ? 43800u : 21190u); ++day) {
    const std::uint32_t week = day / 7;
    const double sow = (day % 7) * 86400.0 + (day * 3607 % 86400) + 0.5;
    const Calendar got = WeekToCalendar(week, sow);
    const std::tm want = Utc(GpsToTime(week, sow).time);
    ASSERT_EQ((U{got.year, got.month, got.day, got.hour, got.minute}),
              (U{want.tm_year + 1900, want.tm_mon + 1, want.tm_mday, want.tm_hour, want.tm_min})) << day;
    ASSERT_EQ(got.second, want.tm_sec + 0.5) << day;
  }
  EXPECT_EQ(WeekToCalendar(1356, 1e12).day, 1);  // out-of-range seconds count as 0
}

TEST(GnssTimeTest, AdjustWeekPicksTheNearestFullWeek) {
  // A clock before week 1560 counts as 1560.
  EXPECT_EQ((U{AdjustWeekTo(0, 2048), AdjustWeekTo(1023, 2048), AdjustWeekTo(512, 2048), AdjustWeekTo(513, 2048),
               AdjustWeekTo(300, 1000), AdjustWeekTo(555, -5)}),
            (U{2048, 2047, 2560, 1537, 1324, 1579}));
  const std::int32_t now = AdjustWeek(0), w = AdjustWeek(1000);  // from the system clock
  EXPECT_EQ((U{now % 1024, w % 1024, now >= 2048, std::abs(w - now) <= 1024}), (U{0, 1000, 1, 1}));
}

TEST(GnssUtilsTest, GeodeticToEcefAndReaders) {
  double xyz[3];
  GeodeticToEcef(0, 0, 0, xyz);
  EXPECT_EQ(D(xyz, xyz + 3), (D{6378137.0, 0.0, 0.0}));
  GeodeticToEcef(1.5707963267948966, 0, 100, xyz);  // the pole
  EXPECT_NEAR(xyz[2], 6356752.314245 + 100, 1e-6);  // polar radius plus height
  GeodeticToEcef(0, 0, 0, nullptr);

  const unsigned char be[8] = {0xC0, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18};
  EXPECT_EQ(ReadBe64(be), -3.141592653589793);
  EXPECT_EQ((U{ReadBe32(be), ReadBe16(be), ReadBe16U(be)}), (U{-1073143301, -16375, 0xC009}));
}

// ---------------------------------------------------------------- subframes

// Subframes 1-3 of `f` decoded in order; subframe 3 must bring its own IODE.
em_eph_t Decoded(const Sim::GpsEphemerisFields& f) {
  const std::array<std::uint8_t, 90> sf = Sim::GpsEphemerisSubframes(f);
  em_eph_t e{};
  for (int k = 0; k < 3; ++k) {
    if (k == 2) e.iode = 0;
    EXPECT_EQ(DecodeSubframe(sf.data() + 30 * k, &e, nullptr, nullptr), k + 1);
  }
  return e;
}

// Clock and orbit fields at their scales; toe moves to the neighbouring week
// across the week boundary.
TEST(SubframeTest, FieldsAtTheirScalesAndToeAcrossTheWeekBoundary) {
  Sim::GpsEphemerisFields f = ExtremeEphemeris();
  em_eph_t e = Decoded(f);
  const std::int32_t week = AdjustWeek(1000);
  EXPECT_EQ((U{e.week, e.code, e.sva, e.svh, e.flag}), (U{week, 2, 7, 63, 1}));
  EXPECT_EQ(TimeDiff(e.ttr, GpsToTime(week, 300000.0)), 0.0);
  ExpectEphemeris(e, f);

  f.tow = 604194, f.toe = f.toc = 0;  // sent 600 s before the week ends
  e = Decoded(f);
  EXPECT_EQ(+e.week, week + 1);
  EXPECT_EQ(TimeDiff(e.ttr, GpsToTime(week, 604200.0)), 0.0);  // the moment itself is unchanged
  ExpectEphemeris(e, f);
  f.tow = 594, f.toe = f.toc = 597600;  // sent just after the week began
  e = Decoded(f);
  EXPECT_EQ(+e.week, week - 1);
  EXPECT_EQ(TimeDiff(e.ttr, GpsToTime(week, 600.0)), 0.0);
  ExpectEphemeris(e, f);
}

// Subframe 1 written out word by word from IS-GPS-200
// (parity removed): TOW count 50000, week 1000, L2 code 2, URA 7, health 5,
// IODC 0x2AB, L2 P flag 1, Tgd -5, toc 0x1234, af2 -3, af1 -1234, af0 -100000
// (in units of their scale factors).
TEST(SubframeTest, HandBuiltSubframeOne) {
  const unsigned char sf[30] = {0x8B, 0x00, 0x00, 0x61, 0xA8, 0x24, 0xFA, 0x27, 0x16, 0x80,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xFB, 0xAB, 0x12, 0x34, 0xFD, 0xFB, 0x2E, 0xF9, 0xE5, 0x80};
  em_eph_t e{};
  ASSERT_EQ(DecodeSubframe(sf, &e, nullptr, nullptr), 1);
  EXPECT_EQ((U{e.week, e.code, e.sva, e.svh, e.iodc, e.flag}), (U{AdjustWeek(1000), 2, 7, 5, 0x2AB, 1}));
  EXPECT_EQ((D{e.tgd[0], e.f2, e.f1, e.f0}),
            (D{std::ldexp(-5.0, -31), std::ldexp(-3.0, -55), std::ldexp(-1234.0, -43), std::ldexp(-100000.0, -31)}));
}

// Subframe IDs 0, 6 and 7 are no subframe; a subframe 5 fills no
// ephemeris. (The ionosphere and UTC page is decoded for callers that ask
// for it; no decoder does yet.)
TEST(SubframeTest, InvalidIdsLeaveTheEphemeris) {
  double ion[8] = {9}, utc[5] = {};
  em_eph_t e{};
  e.iode = 77;
  for (unsigned id : {5u, 0u, 6u, 7u}) {
    std::array<std::uint8_t, 90> bad = Sim::GpsEphemerisSubframes(ExtremeEphemeris());
    bad[35] = static_cast<std::uint8_t>((bad[35] & ~0x1C) | (id << 2));  // subframe 2 with another ID
    EXPECT_EQ(DecodeSubframe(bad.data() + 30, &e, ion, utc), static_cast<int>(id == 5 ? 5 : 0)) << id;
  }
  EXPECT_EQ(+e.iode, 77);
  EXPECT_EQ(ion[0], 9.0);
  EXPECT_EQ(DecodeSubframe(nullptr, &e, ion, utc), 0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
