// Transformation messages 1021-1027: field positions, signs and scales at
// their extremes, and short frames rejected with the outputs untouched.
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <vector>

#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

// One decoder and every output of the transformation messages, preset so
// that a write shows.
struct Outputs {
  Outputs() { t.dx = t.xp = g.mjd = p.scale = 42.0; }
  bool Decode(int number, const unsigned char* data, unsigned n) {
    switch (number) {
      case 1021: return rtcm.Decode_type1021(data, n, system_id, computation, height, utilized, t);
      case 1022: return rtcm.Decode_type1022(data, n, t);
      case 1023: return rtcm.Decode_type1023(data, n, g);
      case 1024: return rtcm.Decode_type1024(data, n, g);
      default: return rtcm.Decode_type1027(data, n, type, p);
    }
  }
  bool Decode(int number, const Sim::Frame& f) { return Decode(number, f.data(), static_cast<unsigned>(f.size())); }
  bool Untouched() const {
    return system_id == 7 && utilized == 7 && type == 7 && t.dx == 42.0 && g.mjd == 42.0 && p.scale == 42.0;
  }

  Em_TrsMtPrlRTCM rtcm;
  int system_id = 7, computation = 7, height = 7, type = 7;
  unsigned utilized = 7;
  trancood_t t{};
  geoid_mdel_para g{};
  projection_param p{};
};

// Extreme values in every field, so that a wrong width, sign or position
// shows in the neighbouring outputs too.
Sim::RtcmHelmertFields Helmert() {
  Sim::RtcmHelmertFields f;
  f.source_name = "ETRS89", f.target_name = "DHDN", f.system_id = 201, f.utilized = 0x3FF;
  f.plate = 31;  // not decoded
  f.computation = 9, f.height = 2, f.lat0 = -(1 << 18), f.ext_ns = 0x3FFF;
  f.dx = 0x3FFFFF, f.dy = 0x400000, f.dz = 0x7FFFFF;  // +4194.303 m, -4194.304 m, -0.001 m
  f.r1 = f.r2 = f.r3 = 0xFFFFFFFF, f.ds = -1;
  f.src_a = 8137000, f.src_b = 0x1FFFFFF, f.tgt_b = 1;  // src_a: 6378137 m
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
  Outputs o;
  ASSERT_TRUE(o.Decode(1021, Sim::Rtcm1021(Helmert())));
  EXPECT_TRUE(o.system_id == 201 && o.utilized == 0x3FFu && o.computation == 9 && o.height == 2);
  ExpectHelmert(o.t);
  EXPECT_TRUE(o.t.xp == 42.0);  // rotation point is 1022's only

  Sim::RtcmHelmertFields f = Helmert();
  f.xp = 4000000000ll, f.yp = -(1ll << 34), f.zp = -1;  // Xp beyond 32 bits
  ASSERT_TRUE(o.Decode(1022, Sim::Rtcm1022(f)));
  ExpectHelmert(o.t);
  EXPECT_DOUBLE_EQ(o.t.xp, 4000000.0);
  EXPECT_DOUBLE_EQ(o.t.yp, -17179869.184);
  EXPECT_DOUBLE_EQ(o.t.zp, -0.001);
}

TEST(RtcmTransform, ResidualGrids1023And1024) {
  Sim::RtcmGridFields f;
  f.origin1 = -1, f.origin2 = 1000, f.spacing1 = 0xFFF, f.mean1 = -128, f.mean2 = 127, f.mean_height = -16384;
  f.residual[5][0] = -256, f.residual[5][1] = 255, f.residual[15][2] = 1;
  f.horizontal_method = 3, f.vertical_quality = 5, f.mjd = 60000;
  Outputs o;
  const geoid_mdel_para& g = o.g;
  ASSERT_TRUE(o.Decode(1023, Sim::Rtcm1023(f)));
  EXPECT_TRUE(g.origin1 == -0.5 && g.origin2 == 500.0 && g.spacing1 == 2047.5);
  // A point with zero residuals equals the means.
  EXPECT_TRUE(g.grid[0][0] == -0.128 && g.grid[0][1] == 0.127 && g.grid[0][2] == -163.84);
  EXPECT_DOUBLE_EQ(g.grid[5][0], -0.128 - 256 * 0.00003);
  EXPECT_DOUBLE_EQ(g.grid[5][1], 0.127 + 255 * 0.00003);
  EXPECT_DOUBLE_EQ(g.grid[15][2], -163.84 + 0.001);
  EXPECT_TRUE(g.horizontal_method == 3 && g.vertical_quality == 5 && g.mjd == 60000.0);

  f.origin2 = 0x3FFFFFF;  // 1024's easting origin is unsigned
  ASSERT_TRUE(o.Decode(1024, Sim::Rtcm1024(f)));
  EXPECT_TRUE(g.origin1 == -10.0 && g.origin2 == 671088630.0);
  EXPECT_DOUBLE_EQ(g.grid[5][0], -1.28 - 0.256);
  EXPECT_DOUBLE_EQ(g.grid[5][1], 1.27 + 0.255);
  EXPECT_TRUE(g.vertical_quality == 5 && g.mjd == 60000.0);
}

TEST(RtcmTransform, ObliqueMercator1027) {
  Sim::Rtcm1027Fields f;
  f.projection_type = 63, f.rectified = 1, f.lat_centre = -(1ll << 33), f.lon_centre = (1ll << 34) - 1;
  f.skew_angle = 1, f.easting = (1ull << 36) - 1, f.northing = -1;
  Outputs o;
  const projection_param& p = o.p;
  ASSERT_TRUE(o.Decode(1027, Sim::Rtcm1027(f)));
  EXPECT_TRUE(o.type == 63 && p.rectified == 1);
  EXPECT_DOUBLE_EQ(p.lat_centre, -8589934592.0 * 0.000000011);
  EXPECT_DOUBLE_EQ(p.lon_centre, 17179869183.0 * 0.000000011);
  EXPECT_DOUBLE_EQ(p.skew_angle, 0.000000011);
  EXPECT_TRUE(p.scale == 993000.0 && p.easting == 68719476.735 && p.northing == -0.001);

  f.rectified = 0, f.scale = 100000, f.azimuth = 1000000000;
  f.skew_angle = -1;  // added to the azimuth
  ASSERT_TRUE(o.Decode(1027, Sim::Rtcm1027(f)));
  EXPECT_EQ(p.rectified, 0);
  EXPECT_DOUBLE_EQ(p.scale, 993001.0);
  EXPECT_DOUBLE_EQ(p.skew_angle, 999999999 * 0.000000011);
}

// A frame cut before the last field read is rejected and nothing is written.
// Shortest accepted: 1021 with names of 6 and 4 bytes 516 bits (65 bytes),
// 1022 621 bits (78); 1023, 1024 and 1027 end at frame bits 602, 614 and 282
// (76, 77, 36 bytes), beyond their body-length thresholds.
TEST(RtcmTransform, ShortFramesLeaveOutputsUntouched) {
  const struct { int number; Sim::Frame frame; unsigned needed; } kCases[] = {
      {1021, Sim::Rtcm1021(Helmert()), 65},
      {1022, Sim::Rtcm1022(Helmert()), 78},
      {1023, Sim::Rtcm1023(Sim::RtcmGridFields{}), 76},
      {1024, Sim::Rtcm1024(Sim::RtcmGridFields{}), 77},
      {1027, Sim::Rtcm1027(Sim::Rtcm1027Fields{}), 36}};
  for (const auto& k : kCases) {
    Outputs o;
    EXPECT_FALSE(o.Decode(k.number, nullptr, 100));
    for (unsigned n = 0; n <= k.needed; ++n) {
      // Exactly n bytes, so that an overrun shows under the address sanitizer.
      std::vector<unsigned char> cut(k.frame.begin(), k.frame.begin() + n);
      ASSERT_EQ(o.Decode(k.number, n == 0 ? k.frame.data() : cut.data(), n), n == k.needed) << k.number << " at " << n;
      EXPECT_TRUE(n + 1 != k.needed || o.Untouched()) << k.number;
    }
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
