// GNSS utilities: time values against the C library's UTC conversions,
// GPS week handling, WGS-84 coordinates, rate codes, big-endian readers and
// LNAV subframes built by a small IS-GPS-200 encoder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <random>
#include <utility>
#include <vector>

#include "boards/gnss_utils.h"
#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Gnss;

std::tm Utc(std::int64_t count) {
  const std::time_t t = static_cast<std::time_t>(count);
  std::tm out{};
  gmtime_r(&t, &out);
  return out;
}

TEST(GnssTimeTest, GpsEpochAndFractions) {
  const em_gtime_t epoch = GpsToTime(0, 0.0), t = GpsToTime(0, 1.5);
  EXPECT_EQ((std::vector<std::int64_t>{epoch.time, t.time}), (std::vector<std::int64_t>{315964800, 315964801}));
  EXPECT_EQ(epoch.time, EpochToTime(1980, 1, 6, 0, 0, 0).time);
  EXPECT_EQ((std::vector<double>{epoch.sec, t.sec}), (std::vector<double>{0.0, 0.5}));
  EXPECT_EQ(GpsToTime(7, 2e9).time, GpsToTime(7, 0.0).time);  // out of range: 0 s
  EXPECT_EQ(GpsToTime(7, std::nan("")).time, GpsToTime(7, 0.0).time);

  std::int32_t week = 0;
  EXPECT_DOUBLE_EQ(TimeToGps(GpsToTime(2400, 345600.25), &week), 345600.25);
  EXPECT_EQ(week, 2400);
  EXPECT_DOUBLE_EQ(TimeToGps(GpsToTime(0, -1.0), &week), 604799.0);  // before the epoch
  EXPECT_EQ(week, -1);
  EXPECT_DOUBLE_EQ(TimeDiff(GpsToTime(1, 0.25), GpsToTime(0, 604799.75)), 0.5);
}

TEST(GnssTimeTest, EpochToTimeMatchesUtcCalendarAndCarries) {
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    const int y = 1970 + static_cast<int>(rng() % 130), mo = 1 + static_cast<int>(rng() % 12);
    const int d = 1 + static_cast<int>(rng() % 28), h = static_cast<int>(rng() % 24);
    const int mi = static_cast<int>(rng() % 60), s = static_cast<int>(rng() % 60);
    const em_gtime_t t = EpochToTime(y, mo, d, h, mi, s + 0.125);
    const std::tm tm = Utc(t.time);
    ASSERT_EQ((std::vector<int>{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}),
              (std::vector<int>{y, mo, d, h, mi, s}));
    ASSERT_EQ(t.sec, 0.125);
  }
  const std::int64_t base = EpochToTime(2024, 3, 1, 0, 0, 0).time;
  EXPECT_EQ(EpochToTime(2024, 2, 30, 0, 0, 0).time, base);          // the day after 2024-02-29
  EXPECT_EQ(EpochToTime(2023, 15, 1, 0, 0, 0).time, base);          // month 15 carries
  EXPECT_EQ(EpochToTime(2024, 2, 29, 23, 59, 60.5).time, base);     // second 60 carries
  EXPECT_DOUBLE_EQ(EpochToTime(2024, 2, 29, 23, 59, 60.5).sec, 0.5);
  EXPECT_EQ(EpochToTime(2024, 3, 1, 0, 0, -1.0).time, base - 1);
}

TEST(GnssTimeTest, WeekToCalendarAgreesWithUtcForEveryDay) {
  const Calendar c = WeekToCalendar(1356, 0.0);
  EXPECT_EQ((std::vector<int>{c.year, c.month, c.day, c.hour, c.minute}), (std::vector<int>{2006, 1, 1, 0, 0}));
  EXPECT_EQ(c.second, 0.0);
  // Every day from the GPS epoch to 2099, at a time that moves through the day.
  for (std::uint32_t day = 0; day < 43800; ++day) {
    const std::uint32_t week = day / 7;
    const double sow = (day % 7) * 86400.0 + (day * 3607 % 86400) + 0.5;
    const Calendar got = WeekToCalendar(week, sow);
    const std::tm want = Utc(GpsToTime(week, sow).time);
    ASSERT_EQ((std::vector<double>{1.0 * got.year, 1.0 * got.month, 1.0 * got.day, 1.0 * got.hour,
                                   1.0 * got.minute, got.second}),
              (std::vector<double>{want.tm_year + 1900.0, want.tm_mon + 1.0, 1.0 * want.tm_mday,
                                   1.0 * want.tm_hour, 1.0 * want.tm_min, want.tm_sec + 0.5}))
        << day;
  }
  // Seconds beyond one day and out-of-range seconds.
  EXPECT_EQ(WeekToCalendar(1356, 1e12).day, 1);  // out of range: 0 s
}

TEST(GnssTimeTest, AdjustWeekPicksTheNearestFullWeek) {
  EXPECT_EQ(AdjustWeekTo(0, 2048), 2048);
  EXPECT_EQ(AdjustWeekTo(1023, 2048), 2047);
  EXPECT_EQ(AdjustWeekTo(512, 2048), 2560);
  EXPECT_EQ(AdjustWeekTo(513, 2048), 1537);
  EXPECT_EQ(AdjustWeekTo(300, 1000), 1324);   // a clock before 1560 counts as 1560
  EXPECT_EQ(AdjustWeekTo(555, -5), 1579);
  const std::int32_t now = AdjustWeek(0), w = AdjustWeek(1000);  // from the system clock
  EXPECT_EQ((std::vector<int>{now % 1024, w % 1024}), (std::vector<int>{0, 1000}));
  EXPECT_GE(now, 2048);
  EXPECT_LE(std::abs(w - now), 1024);
}

TEST(GnssUtilsTest, GeodeticToEcefAndRateCodesAndReaders) {
  double xyz[3];
  GeodeticToEcef(0, 0, 0, xyz);
  EXPECT_EQ(std::vector<double>(xyz, xyz + 3), (std::vector<double>{6378137.0, 0.0, 0.0}));
  GeodeticToEcef(M_PI / 2, 0, 100, xyz);
  EXPECT_NEAR(xyz[2], 6356752.314245 + 100, 1e-6);  // polar radius plus height
  GeodeticToEcef(0, 0, 0, nullptr);

  const std::pair<int, int> rates[] = {{0, 1},  {1, 6},   {2, 7}, {3, 9},  {4, 10}, {5, 11},
                                       {6, 12}, {11, 8}, {255, 2}, {13, 9}, {7, 9},  {-1, 9}};
  for (const auto& r : rates) EXPECT_EQ(FrqToProtocolRate(static_cast<GNSS_FRQ>(r.first)), r.second) << r.first;

  const unsigned char be[8] = {0xC0, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18};
  EXPECT_EQ(ReadBe64(be), -3.141592653589793);
  EXPECT_EQ((std::vector<long>{ReadBe32(be), ReadBe16(be), ReadBe16U(be)}),
            (std::vector<long>{-1073143301, -16375, 0xC009}));
}

// ---------------------------------------------------------------- subframes

// Builds a subframe word by word as IS-GPS-200 lists the fields (parity
// removed, 24 bits per word), so that positions follow from the layout.
class SubframeWriter {
 public:
  SubframeWriter(unsigned id, std::uint32_t tow_count) {
    w_.Put(0x8B, 8);  // preamble
    w_.Put(0, 16);    // TLM message, integrity, reserved
    w_.Put(tow_count, 17);
    w_.Put(0, 2);     // alert, anti-spoof
    w_.Put(id, 3);
    w_.Put(0, 2);
  }
  SubframeWriter& F(std::int64_t value, unsigned width) {
    w_.PutSigned(value, width);
    return *this;
  }
  std::vector<std::uint8_t> Bytes() {
    EXPECT_EQ(w_.BitCount(), 240u);
    return w_.Bytes();
  }

 private:
  Sim::BitWriter w_;
};

constexpr double kSc = 3.1415926535898;
constexpr std::int64_t kSqrtA = 2701970637;  // units of 2^-19 m^0.5

std::vector<std::uint8_t> Subframe1(std::uint32_t tow_count, unsigned week10, std::uint32_t toc) {
  return SubframeWriter(1, tow_count)
      .F(week10, 10).F(2, 2).F(7, 4).F(63, 6).F(2, 2)   // word 3: WN, L2 code, URA, health, IODC MSBs
      .F(1, 1).F(0, 23).F(0, 24).F(0, 24).F(0, 16)      // words 4-7: L2 P flag, reserved
      .F(-128, 8)                                        // TGD
      .F(0x5A, 8).F(toc / 16, 16)                        // IODC LSBs, toc
      .F(-1, 8).F(-32768, 16)                            // af2, af1
      .F(0x1FFFFF, 22).F(0, 2)                           // af0
      .Bytes();
}

std::vector<std::uint8_t> Subframe2(std::uint32_t tow_count, std::uint32_t toe) {
  return SubframeWriter(2, tow_count)
      .F(0x5A, 8).F(-2, 16)                  // IODE, Crs
      .F(32767, 16).F(-2147483648LL, 32)     // delta n, M0
      .F(-1, 16).F(0xFFFFFFFFLL, 32)         // Cuc, e
      .F(1, 16).F(kSqrtA, 32)                // Cus, sqrt A (about 5153.6 m^0.5)
      .F(toe / 16, 16).F(1, 1).F(0, 5).F(0, 2)  // toe, fit flag, AODO
      .Bytes();
}

std::vector<std::uint8_t> Subframe3(std::uint32_t tow_count) {
  return SubframeWriter(3, tow_count)
      .F(-3, 16).F(0x7FFFFFFF, 32)           // Cic, Omega0
      .F(4, 16).F(-5, 32)                    // Cis, i0
      .F(-32768, 16).F(123456789, 32)        // Crc, omega
      .F(-8388608, 24)                       // Omega dot
      .F(0x5A, 8).F(-8192, 14).F(0, 2)       // IODE, IDOT
      .Bytes();
}

double P(int n) { return std::ldexp(1.0, n); }

TEST(SubframeTest, ClockAndOrbitFieldsAtTheirScales) {
  em_eph_t e{};
  const std::int32_t week = AdjustWeek(1000);
  ASSERT_EQ(DecodeSubframe(Subframe1(50000, 1000, 604784).data(), &e, nullptr, nullptr), 1);
  EXPECT_EQ((std::vector<int>{e.week, e.code, e.sva, e.svh, e.flag, e.iodc}),
            (std::vector<int>{week, 2, 7, 63, 1, 0x25A}));
  EXPECT_EQ((std::vector<double>{e.tgd[0], e.f2, e.f1, e.f0, TimeDiff(e.toc, GpsToTime(week, 604784.0)),
                                 TimeDiff(e.ttr, GpsToTime(week, 300000.0))}),
            (std::vector<double>{-128 * P(-31), -P(-55), -32768 * P(-43), 0x1FFFFF * P(-31), 0, 0}));

  ASSERT_EQ(DecodeSubframe(Subframe2(50001, 302400).data(), &e, nullptr, nullptr), 2);
  const double sqrt_a = kSqrtA * P(-19);
  EXPECT_EQ(e.iode, 0x5A);
  EXPECT_EQ((std::vector<double>{e.crs, e.deln, e.M0, e.cuc, e.e, e.cus, e.A, e.toes, e.fit}),
            (std::vector<double>{-2.0 / 32, 32767 * P(-43) * kSc, -P(-31) * P(31) * kSc, -P(-29),
                                 4294967295.0 * P(-33), P(-29), sqrt_a * sqrt_a, 302400, 1}));

  e.iode = 0;
  ASSERT_EQ(DecodeSubframe(Subframe3(50002).data(), &e, nullptr, nullptr), 3);
  EXPECT_EQ(e.iode, 0x5A);
  EXPECT_EQ((std::vector<double>{e.cic, e.OMG0, e.cis, e.i0, e.crc, e.omg, e.OMGd, e.idot}),
            (std::vector<double>{-3 * P(-29), 2147483647 * P(-31) * kSc, 4 * P(-29), -5 * P(-31) * kSc,
                                 -1024, 123456789 * P(-31) * kSc, -8388608 * P(-43) * kSc,
                                 -8192 * P(-43) * kSc}));
  // toe lies within half a week of the transmission time: same week.
  EXPECT_EQ(e.week, week);
  EXPECT_EQ(TimeDiff(e.toe, GpsToTime(week, 302400.0)), 0.0);
}

TEST(SubframeTest, ToeMovesToTheNeighbouringWeekAcrossTheBoundary) {
  const std::int32_t week = AdjustWeek(1000);
  em_eph_t e{};
  // Sent 600 s before the week ends, toe at 0 s: toe is in the next week.
  DecodeSubframe(Subframe1(100700, 1000, 0).data(), &e, nullptr, nullptr);
  DecodeSubframe(Subframe2(100700, 0).data(), &e, nullptr, nullptr);
  DecodeSubframe(Subframe3(100700).data(), &e, nullptr, nullptr);
  EXPECT_EQ(e.week, week + 1);
  EXPECT_EQ(TimeDiff(e.toe, GpsToTime(week + 1, 0.0)), 0.0);
  EXPECT_EQ(TimeDiff(e.ttr, GpsToTime(week, 604200.0)), 0.0);  // the moment itself is unchanged
  EXPECT_EQ(TimeDiff(e.toc, GpsToTime(week + 1, 0.0)), 0.0);

  // Sent just after the week began, toe late in the previous week.
  em_eph_t b{};
  DecodeSubframe(Subframe1(100, 1000, 597600).data(), &b, nullptr, nullptr);
  DecodeSubframe(Subframe2(100, 597600).data(), &b, nullptr, nullptr);
  DecodeSubframe(Subframe3(100).data(), &b, nullptr, nullptr);
  EXPECT_EQ(b.week, week - 1);
  EXPECT_EQ(TimeDiff(b.toe, GpsToTime(week - 1, 597600.0)), 0.0);
  EXPECT_EQ(TimeDiff(b.ttr, GpsToTime(week, 600.0)), 0.0);
}

TEST(SubframeTest, IonosphereUtcPageAndInvalidIds) {
  SubframeWriter page(4, 1234);
  page.F(1, 2).F(56, 6)                               // data ID, SV ID 56 = page 18
      .F(-1, 8).F(2, 8).F(-3, 8).F(4, 8).F(-5, 8)   // alpha0..3, beta0
      .F(6, 8).F(-7, 8).F(127, 8)                    // beta1..3
      .F(-8388608, 24)                               // A1
      .F(-2147483648LL, 32).F(255, 8).F(200, 8)      // A0, tot, WNt
      .F(18, 8).F(0, 8).F(0, 8).F(0, 8).F(0, 14).F(0, 2);  // dt_LS, WNLSF, DN, dt_LSF, reserved
  const std::vector<std::uint8_t> sf = page.Bytes();
  double ion[8] = {}, utc[5] = {};
  ASSERT_EQ(DecodeSubframe(sf.data(), nullptr, ion, utc), 4);
  EXPECT_EQ(std::vector<double>(ion, ion + 8),
            (std::vector<double>{-P(-30), 2 * P(-27), -3 * P(-24), 4 * P(-24), -5 * P(11), 6 * P(14),
                                 -7 * P(16), 127 * P(16)}));
  EXPECT_EQ(std::vector<double>(utc, utc + 5), (std::vector<double>{-8388608 * P(-50), -2, 255 * P(12), 200, 18}));

  // Another page of subframe 4 and any subframe 5 leave the buffers alone.
  std::vector<std::uint8_t> other = sf;
  other[6] = static_cast<std::uint8_t>((other[6] & 0xC0) | 55);
  ion[0] = 9;
  EXPECT_EQ(DecodeSubframe(other.data(), nullptr, ion, utc), 4);
  EXPECT_EQ(ion[0], 9.0);
  std::vector<std::uint8_t> five = sf;
  five[5] = static_cast<std::uint8_t>((five[5] & ~0x1C) | (5 << 2));
  EXPECT_EQ(DecodeSubframe(five.data(), nullptr, ion, utc), 5);
  EXPECT_EQ(ion[0], 9.0);

  em_eph_t e{};
  e.iode = 77;
  for (unsigned id : {0u, 6u, 7u}) {
    std::vector<std::uint8_t> bad = Subframe2(10, 0);
    bad[5] = static_cast<std::uint8_t>((bad[5] & ~0x1C) | (id << 2));
    EXPECT_EQ(DecodeSubframe(bad.data(), &e, ion, utc), 0) << id;
  }
  EXPECT_EQ(e.iode, 77);
  EXPECT_EQ(DecodeSubframe(nullptr, &e, ion, utc), 0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
