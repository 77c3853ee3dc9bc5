// Transformation messages 1021-1027: field positions, signs and scales at
// their extremes, and short frames rejected with the outputs untouched.
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <vector>

#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

unsigned Len(const Sim::Frame& f) { return static_cast<unsigned>(f.size()); }

// Extreme values in every field, so that a wrong width, sign or position
// shows in the neighbouring outputs too.
Sim::RtcmHelmertFields Helmert() {
  Sim::RtcmHelmertFields f;
  f.source_name = "ETRS89";
  f.target_name = "DHDN";
  f.system_id = 201;
  f.utilized = 0x3FF;
  f.plate = 31;  // not decoded
  f.computation = 9;
  f.height = 2;
  f.lat0 = -(1 << 18);
  f.ext_ns = 0x3FFF;
  f.dx = 0x3FFFFF;  // +4194.303 m
  f.dy = 0x400000;  // -4194.304 m
  f.dz = 0x7FFFFF;  // -0.001 m
  f.r1 = f.r2 = f.r3 = 0xFFFFFFFF;
  f.ds = -1;
  f.src_a = 8137000;  // 6378137 m
  f.src_b = 0x1FFFFFF;
  f.tgt_b = 1;
  f.horizontal_quality = f.vertical_quality = 7;
  return f;
}

void ExpectHelmert(const trancood_t& t) {
  EXPECT_DOUBLE_EQ(t.lat0, -262144.0 / 1800.0);
  EXPECT_DOUBLE_EQ(t.lon0, 0.0);
  EXPECT_DOUBLE_EQ(t.ext_ns, 16383.0 / 1800.0);
  EXPECT_TRUE(t.dx == 4194.303 && t.dy == -4194.304 && t.dz == -0.001);
  EXPECT_TRUE(t.r1 == -0.00002 && t.r2 == -0.00002 && t.r3 == -0.00002 && t.ds == -0.00001);
  EXPECT_DOUBLE_EQ(t.src_a, 6378137.0);
  EXPECT_DOUBLE_EQ(t.src_b, 6350000.0 + 33554.431);
  EXPECT_TRUE(t.tgt_a == 6370000.0 && t.tgt_b == 6350000.001);
}

TEST(RtcmTransform, Helmert1021AndMolodenskyBadekas1022) {
  Em_TrsMtPrlRTCM rtcm;
  const Sim::Frame f1021 = Sim::Rtcm1021(Helmert());
  int system_id = -1, computation = -1, height = -1;
  unsigned utilized = 0;
  trancood_t t{};
  t.xp = 42.0;
  ASSERT_TRUE(rtcm.Decode_type1021(f1021.data(), Len(f1021), system_id, computation, height, utilized, t));
  EXPECT_TRUE(system_id == 201 && utilized == 0x3FFu && computation == 9 && height == 2);
  ExpectHelmert(t);
  EXPECT_EQ(t.xp, 42.0);  // rotation point is 1022's only

  Sim::RtcmHelmertFields f = Helmert();
  f.xp = 4000000000ll;  // beyond 32 bits
  f.yp = -(1ll << 34);
  f.zp = -1;
  const Sim::Frame f1022 = Sim::Rtcm1022(f);
  trancood_t m{};
  ASSERT_TRUE(rtcm.Decode_type1022(f1022.data(), Len(f1022), m));
  ExpectHelmert(m);
  EXPECT_DOUBLE_EQ(m.xp, 4000000.0);
  EXPECT_DOUBLE_EQ(m.yp, -17179869.184);
  EXPECT_DOUBLE_EQ(m.zp, -0.001);
}

TEST(RtcmTransform, ResidualGrids1023And1024) {
  Sim::RtcmGridFields f;
  f.origin1 = -1;
  f.origin2 = 1000;
  f.spacing1 = 0xFFF;
  f.mean1 = -128;
  f.mean2 = 127;
  f.mean_height = -16384;
  f.residual[5][0] = -256;
  f.residual[5][1] = 255;
  f.residual[15][2] = 1;
  f.horizontal_method = 3;
  f.vertical_quality = 5;
  f.mjd = 60000;
  Em_TrsMtPrlRTCM rtcm;
  geoid_mdel_para g{};
  const Sim::Frame f1023 = Sim::Rtcm1023(f);
  ASSERT_TRUE(rtcm.Decode_type1023(f1023.data(), Len(f1023), g));
  EXPECT_TRUE(g.origin1 == -0.5 && g.origin2 == 500.0 && g.spacing1 == 2047.5);
  // A point with zero residuals equals the means.
  EXPECT_TRUE(g.grid[0][0] == -0.128 && g.grid[0][1] == 0.127 && g.grid[0][2] == -163.84);
  EXPECT_DOUBLE_EQ(g.grid[5][0], -0.128 - 256 * 0.00003);
  EXPECT_DOUBLE_EQ(g.grid[5][1], 0.127 + 255 * 0.00003);
  EXPECT_DOUBLE_EQ(g.grid[15][2], -163.84 + 0.001);
  EXPECT_TRUE(g.horizontal_method == 3 && g.vertical_quality == 5 && g.mjd == 60000.0);

  f.origin2 = 0x3FFFFFF;  // 1024's easting origin is unsigned
  const Sim::Frame f1024 = Sim::Rtcm1024(f);
  ASSERT_TRUE(rtcm.Decode_type1024(f1024.data(), Len(f1024), g));
  EXPECT_TRUE(g.origin1 == -10.0 && g.origin2 == 671088630.0);
  EXPECT_DOUBLE_EQ(g.grid[5][0], -1.28 - 0.256);
  EXPECT_DOUBLE_EQ(g.grid[5][1], 1.27 + 0.255);
  EXPECT_TRUE(g.vertical_quality == 5 && g.mjd == 60000.0);
}

TEST(RtcmTransform, ObliqueMercator1027) {
  Sim::Rtcm1027Fields f;
  f.projection_type = 63;
  f.rectified = 1;
  f.lat_centre = -(1ll << 33);
  f.lon_centre = (1ll << 34) - 1;
  f.skew_angle = 1;
  f.easting = (1ull << 36) - 1;
  f.northing = -1;
  Em_TrsMtPrlRTCM rtcm;
  int type = -1;
  projection_param p{};
  Sim::Frame frame = Sim::Rtcm1027(f);
  ASSERT_TRUE(rtcm.Decode_type1027(frame.data(), Len(frame), type, p));
  EXPECT_TRUE(type == 63 && p.rectified == 1);
  EXPECT_DOUBLE_EQ(p.lat_centre, -8589934592.0 * 0.000000011);
  EXPECT_DOUBLE_EQ(p.lon_centre, 17179869183.0 * 0.000000011);
  EXPECT_DOUBLE_EQ(p.skew_angle, 0.000000011);
  EXPECT_TRUE(p.scale == 993000.0 && p.easting == 68719476.735 && p.northing == -0.001);

  f.rectified = 0;
  f.scale = 100000;
  f.azimuth = 1000000000;
  f.skew_angle = -1;  // added to the azimuth
  frame = Sim::Rtcm1027(f);
  ASSERT_TRUE(rtcm.Decode_type1027(frame.data(), Len(frame), type, p));
  EXPECT_EQ(p.rectified, 0);
  EXPECT_DOUBLE_EQ(p.scale, 993001.0);
  EXPECT_DOUBLE_EQ(p.skew_angle, 999999999 * 0.000000011);
}

// A frame cut before the last field read is rejected and nothing is written.
// Shortest accepted: 1021 with names of 6 and 4 bytes 516 bits (65 bytes),
// 1022 621 bits (78); 1023, 1024 and 1027 end at frame bits 602, 614 and 282
// (76, 77, 36 bytes), beyond their body-length thresholds.
TEST(RtcmTransform, ShortFramesLeaveOutputsUntouched) {
  Em_TrsMtPrlRTCM rtcm;
  int a;
  unsigned u;
  trancood_t t;
  geoid_mdel_para g;
  projection_param p;
  auto decode = [&](int number, const unsigned char* data, unsigned n) {
    switch (number) {
      case 1021: return rtcm.Decode_type1021(data, n, a, a, a, u, t);
      case 1022: return rtcm.Decode_type1022(data, n, t);
      case 1023: return rtcm.Decode_type1023(data, n, g);
      case 1024: return rtcm.Decode_type1024(data, n, g);
      default: return rtcm.Decode_type1027(data, n, a, p);
    }
  };
  const struct { int number; Sim::Frame frame; unsigned needed; } kCases[] = {
      {1021, Sim::Rtcm1021(Helmert()), 65},
      {1022, Sim::Rtcm1022(Helmert()), 78},
      {1023, Sim::Rtcm1023(Sim::RtcmGridFields{}), 76},
      {1024, Sim::Rtcm1024(Sim::RtcmGridFields{}), 77},
      {1027, Sim::Rtcm1027(Sim::Rtcm1027Fields{}), 36}};
  for (const auto& k : kCases) {
    a = 7;
    u = 7;
    t.dx = g.mjd = p.scale = 42.0;
    EXPECT_FALSE(decode(k.number, nullptr, 100));
    for (unsigned n = 0; n <= k.needed; ++n) {
      // Exactly n bytes, so that an overrun shows under the address sanitizer.
      std::vector<unsigned char> cut(k.frame.begin(), k.frame.begin() + n);
      const bool ok = decode(k.number, n == 0 ? k.frame.data() : cut.data(), n);
      ASSERT_EQ(ok, n == k.needed) << k.number << " at " << n;
      if (n + 1 == k.needed) {
        EXPECT_TRUE(a == 7 && u == 7 && t.dx == 42.0 && g.mjd == 42.0 && p.scale == 42.0) << k.number;
      }
    }
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
