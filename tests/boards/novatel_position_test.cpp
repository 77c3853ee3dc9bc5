// BESTPOS, PSRDOP and REFSTATION into the store.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "boards/gnss_utils.h"
#include "novatel_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::NovAtelBoard;

constexpr double kDeg = 0.017453292519943295;

std::uint32_t SolutionAfter(NovAtelBoard& b, std::uint32_t type, std::uint32_t status, float age) {
  Sim::BestPosFields f;
  f.position_type = type;
  f.solution_status = status;
  f.diff_age = age;
  EXPECT_TRUE(b.Feed(Sim::BestPos({}, f)));
  return b.decoder().solution_code;
}

TEST(NovAtelBestPos, FillsPositionTimeAndPrecision) {
  NovAtelBoard b;
  b.decoder().time_zone = 8;
  Sim::NovAtelHeader h;
  h.week = 1562;
  h.milliseconds = 515220999;  // Friday 23:07:00.999
  Sim::BestPosFields f;
  f.latitude = -33.5, f.longitude = 151.25, f.height = 40.5, f.undulation = -2.25f;
  f.lat_sigma = 3, f.lon_sigma = 4, f.height_sigma = 6, f.diff_age = 2.5f;
  f.tracked = 14, f.in_solution = 9, f.gps_glonass_mask = 0x33;
  ASSERT_TRUE(b.Feed(Sim::BestPos(h, f)));
  const NovAtelDecoder& d = b.decoder();
  EXPECT_EQ(d.msg_flags, 0x40000000u | 0x1000000 | 0x800000 | 0x20000 | 0x20000000 | 0x10000 | 0x10000000);
  EXPECT_EQ(d.latitude, -33.5 * kDeg);
  EXPECT_EQ(d.longitude, 151.25 * kDeg);
  EXPECT_EQ(d.height, 38.25);
  EXPECT_EQ(d.sigma_horizontal, 5.0);
  EXPECT_EQ(d.sigma_vertical, 6.0);
  EXPECT_DOUBLE_EQ(d.rms, 3.4);
  EXPECT_EQ(d.diff_age, 2.5);
  EXPECT_EQ(d.sats_tracked, 14u);
  EXPECT_EQ(d.sats_in_solution, 9u);
  EXPECT_EQ(d.signals_used, 0x10000000u | 0x20000000 | 0x80000000 | 0x1000000);
  EXPECT_EQ(d.week, 1562u);
  EXPECT_EQ(d.week_seconds, 515220.0);
  // 2009-12-18 23:07:00 GPS time; the zone goes onto the hour unwrapped.
  EXPECT_TRUE(d.year == 2009 && d.month == 12 && d.day == 18 && d.hour == 31 && d.minute == 7 && d.second == 0.0);
}

TEST(NovAtelBestPos, SolutionCodes) {
  NovAtelBoard b;
  EXPECT_EQ(SolutionAfter(b, 50, 0, 5), 11u);
  EXPECT_EQ(SolutionAfter(b, 50, 0, 25), 4u);
  EXPECT_EQ(SolutionAfter(b, 48, 0, 20), 11u);
  EXPECT_EQ(SolutionAfter(b, 32, 0, 5), 6u);
  EXPECT_EQ(SolutionAfter(b, 34, 0, 20.5f), 4u);
  EXPECT_EQ(SolutionAfter(b, 1, 0, 0), 1u);
  EXPECT_EQ(SolutionAfter(b, 1, 13, 0), 1u);
  EXPECT_EQ(SolutionAfter(b, 1, 1, 0), 2u);
  EXPECT_EQ(SolutionAfter(b, 16, 0, 0), 4u);
  EXPECT_EQ(SolutionAfter(b, 17, 0, 0), 5u);
  EXPECT_EQ(SolutionAfter(b, 18, 0, 0), 7u);
  EXPECT_EQ(SolutionAfter(b, 0, 0, 59), 3u);
  EXPECT_EQ(SolutionAfter(b, 51, 0, 0), 0u);
  // "Unchanged" types keep what a log sets first: 0 for a position log.
  EXPECT_EQ(SolutionAfter(b, 0, 0, 60), 0u);
  EXPECT_EQ(SolutionAfter(b, 19, 0, 0), 0u);
}

TEST(NovAtelBestPos, ResponseReusesTheLastPosition) {
  NovAtelBoard b;
  SolutionAfter(b, 50, 0, 5);
  const double latitude = b.decoder().latitude;
  Sim::NovAtelHeader h;
  h.response = true;
  // A reply to a command: its body is the reply, the position is the last.
  ASSERT_TRUE(b.Feed(Sim::NovAtelLog(42, h, {1, 0, 0, 0, 'O', 'K'})));
  EXPECT_EQ(b.decoder().latitude, latitude);
  EXPECT_EQ(b.decoder().solution_code, 11u);
  EXPECT_NE(b.decoder().msg_flags & MsgBit::kPosition, 0u);
  // With type 0 and age 60 the code stays as it was before the reply.
  Sim::BestPosFields none;
  none.position_type = 0;
  none.diff_age = 60.0f;
  b.decoder().bestpos_body[4] = 0;
  std::memcpy(b.decoder().bestpos_body + 56, &none.diff_age, 4);
  ASSERT_TRUE(b.Feed(Sim::NovAtelLog(42, h, {})));
  EXPECT_EQ(b.decoder().solution_code, 11u);
}

TEST(NovAtelPsrDop, DopAndCutoff) {
  NovAtelBoard b;
  Sim::PsrDopFields f;
  f.gdop = 2.5f, f.pdop = 2.0f, f.hdop = 1.2f, f.tdop = 1.1f, f.cutoff = 12.9f;
  f.prns = {1, 5, 7};
  ASSERT_TRUE(b.Feed(Sim::PsrDop({}, f)));
  const NovAtelDecoder& d = b.decoder();
  EXPECT_EQ(d.msg_flags, MsgBit::kDop | MsgBit::kElevMask);
  EXPECT_NEAR(d.vdop, 1.6, 1e-6);
  EXPECT_EQ(d.pdop, 2.0);
  EXPECT_EQ(d.hdop, 1.2f);
  EXPECT_EQ(d.tdop, 1.1f);
  EXPECT_EQ(d.gdop, 2.5);
  EXPECT_EQ(d.elev_mask_reported, 12u);
  EXPECT_EQ(b.adapter->ReportedElevMask(), 12u);
  // HDOP above PDOP, and a cut-off that is no number: bounded values.
  f.hdop = 3.0f;
  f.cutoff = std::nanf("");
  ASSERT_TRUE(b.Feed(Sim::PsrDop({}, f)));
  EXPECT_EQ(d.vdop, 0.0);
  EXPECT_EQ(d.elev_mask_reported, 0u);
}

TEST(NovAtelRefStation, BasePosition) {
  NovAtelBoard b;
  Sim::RefStationFields f;
  f.x = -2850000.125, f.y = 4650000.5, f.z = 3290000.75;
  ASSERT_TRUE(b.Feed(Sim::RefStation({}, f)));
  EXPECT_EQ(b.decoder().msg_flags, MsgBit::kBaseInfo);
  const BASEINFO& base = b.decoder().base_info;
  EXPECT_TRUE(base.x == f.x && base.y == f.y && base.z == f.z);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
