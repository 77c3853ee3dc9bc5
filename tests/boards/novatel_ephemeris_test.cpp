// GPSEPHEM, log 1047 and RAWEPHEM into the ephemeris store.
#include <gtest/gtest.h>

#include <cmath>

#include "boards/gnss_utils.h"
#include "novatel_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::NovAtelBoard;

constexpr double kSemicircle = 3.1415926535898;

// Values that the broadcast scales hold exactly.
Sim::GpsEphemerisFields Fields() {
  Sim::GpsEphemerisFields f;
  f.week = 1562, f.tow = 515220, f.iode = 71, f.iodc = 327, f.ura = 2, f.l2_code = 1;
  f.toe = f.toc = 518400;
  f.A = 5153.5 * 5153.5, f.e = 0.0078125;
  f.i0 = 0.296875 * kSemicircle, f.OMG0 = -0.75 * kSemicircle, f.omg = 0.125 * kSemicircle;
  f.M0 = 0.5 * kSemicircle;
  f.deln = std::ldexp(1500.0, -43) * kSemicircle, f.OMGd = std::ldexp(-2600.0, -43) * kSemicircle;
  f.idot = std::ldexp(20.0, -43) * kSemicircle;
  f.crc = 254.3125, f.crs = -113.90625;
  f.cuc = std::ldexp(-300.0, -29), f.cus = std::ldexp(5000.0, -29);
  f.cic = std::ldexp(-19.0, -29), f.cis = std::ldexp(7.0, -29);
  f.f0 = std::ldexp(-73379.0, -31), f.f1 = std::ldexp(-48.0, -43), f.tgd = std::ldexp(-9.0, -31);
  return f;
}

void ExpectOrbit(const em_eph_t& e, const Sim::GpsEphemerisFields& f) {
  const std::pair<double, double> values[] = {
      {e.toes, f.toe}, {e.A, f.A},       {e.e, f.e},     {e.i0, f.i0},   {e.OMG0, f.OMG0}, {e.omg, f.omg},
      {e.M0, f.M0},    {e.deln, f.deln}, {e.OMGd, f.OMGd}, {e.idot, f.idot}, {e.crc, f.crc}, {e.crs, f.crs},
      {e.cuc, f.cuc},  {e.cus, f.cus},   {e.cic, f.cic}, {e.cis, f.cis}, {e.f0, f.f0},     {e.f1, f.f1},
      {e.f2, f.f2},    {e.tgd[0], f.tgd}, {double(e.iode), double(f.iode)}, {double(e.iodc), double(f.iodc)}};
  for (const auto& v : values) EXPECT_DOUBLE_EQ(v.first, v.second) << &v - values;
  EXPECT_EQ(e.toe.time, Gnss::GpsToTime(static_cast<std::uint32_t>(e.week), f.toe).time);
  EXPECT_EQ(e.toc.time, Gnss::GpsToTime(static_cast<std::uint32_t>(e.week), f.toc).time);
}

TEST(NovAtelEphemeris, DecodedLogsStoreNewIssuesOnly) {
  NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  Sim::GpsEphemerisFields f = Fields();
  f.toe = 518400.75;  // reference times are taken in whole seconds
  ASSERT_TRUE(b.Feed(Sim::GpsEphem({}, 12, f)));
  EXPECT_EQ(d.msg_flags, MsgBit::kEphemeris);
  EXPECT_EQ(d.last_eph_sat, 12);
  const em_eph_t& e = d.eph[11];
  EXPECT_EQ(e.sat, 12);
  EXPECT_EQ(e.week, 1562);
  EXPECT_EQ(e.toe.time, Gnss::GpsToTime(1562, 518400).time);
  EXPECT_EQ(e.toe.time, e.ttr.time);
  ExpectOrbit(e, f);

  ASSERT_TRUE(b.Feed(Sim::GpsEphem({}, 12, f)));  // same issue: nothing new
  EXPECT_EQ(d.msg_flags, 0u);
  f.iode = 72;
  ASSERT_TRUE(b.Feed(Sim::GpsEphem({}, 12, f, 1047)));
  EXPECT_EQ(d.msg_flags, MsgBit::kEphemeris);
  EXPECT_EQ(d.eph[11].iode, 72);
  ASSERT_TRUE(b.Feed(Sim::GpsEphem({}, 0, f)));  // no slot for satellite 0
  EXPECT_EQ(d.msg_flags, 0u);
}

TEST(NovAtelEphemeris, RawSubframes) {
  NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  const Sim::GpsEphemerisFields f = Fields();
  ASSERT_TRUE(b.Feed(Sim::RawEphem({}, 9, f)));
  EXPECT_EQ(d.msg_flags, MsgBit::kEphemeris);
  EXPECT_EQ(d.last_eph_sat, 9);
  const em_eph_t& e = d.eph[8];
  EXPECT_EQ(e.sat, 9);
  EXPECT_EQ(e.week % 1024, 1562 % 1024);  // the 10-bit week completed from the clock
  EXPECT_EQ(e.sva, 2);
  EXPECT_EQ(e.code, 1);
  ExpectOrbit(e, f);

  ASSERT_TRUE(b.Feed(Sim::RawEphem({}, 9, f)));
  EXPECT_EQ(d.msg_flags, 0u);
  ASSERT_TRUE(b.Feed(Sim::RawEphem({}, 33, f)));  // GPS only
  EXPECT_EQ(d.msg_flags, 0u);
  // Subframes out of order are no ephemeris.
  const Sim::Frame log = Sim::RawEphem({}, 10, f);
  Sim::Frame body(log.begin() + 28, log.end() - 4);
  std::swap_ranges(body.begin() + 42, body.begin() + 72, body.begin() + 72);
  ASSERT_TRUE(b.Feed(Sim::NovAtelLog(41, {}, body)));
  EXPECT_EQ(d.msg_flags, 0u);
  EXPECT_EQ(d.eph[9].sat, 0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
