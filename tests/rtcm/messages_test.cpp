// The observation message 1004 (block selection, satellite numbering,
// scaling, invalid markers, phase continuity, loss of lock, the array's
// capacity) and the transformation messages 1021-1027 (field positions, signs
// and scales at their extremes, short frames leaving the outputs untouched).
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "support/values.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::D;
using Testing::ExpectNear;
using Testing::U;

constexpr double kL1CyclesPerMetre = 1575420000.0 / 299792458.0;
constexpr double kL2CyclesPerMetre = 1227600000.0 / 299792458.0;
constexpr double kSentinel = -12345.0;

Sim::Rtcm1004Satellite Sat(unsigned prn) {
  Sim::Rtcm1004Satellite s;
  s.prn = prn, s.amb = 70, s.ppr1 = 2000, s.pr21 = 100, s.ppr2 = -3000;
  s.pr1 = 1234500 + prn;  // tells which block filled a record
  return s;
}

// A decoder writing into four records pre-filled with a sentinel, with room
// for `capacity` of them.
struct Fixture {
  explicit Fixture(std::uint32_t capacity = 4) : list{0, capacity, records}, rtcm(list) {
    for (em_obsd_t& r : records) {
      std::memset(&r, 0xEE, sizeof(r));
      r.p[0] = r.p[1] = r.l[0] = r.l[1] = kSentinel;
    }
  }
  // Decodes the frame without its CRC, or only its first `keep` bytes.
  bool Decode(const std::vector<Sim::Rtcm1004Satellite>& sats, std::size_t keep = 0) {
    const Sim::Frame f = Sim::Rtcm1004(Sim::Rtcm1004Header{}, sats);
    std::vector<unsigned char> bytes(f.begin(), f.end() - 3);
    if (keep != 0) bytes.resize(keep);
    return rtcm.Decode_type1004(bytes.data(), static_cast<unsigned>(bytes.size()));
  }
  bool Untouched(unsigned i) const { return records[i].p[0] == kSentinel && records[i].snr[0] == 0xEE; }
  long Prn(unsigned i) const { return std::lround((records[i].p[0] - 70 * 299792.458) / 0.02) - 1234500; }

  em_obsd_t records[4];
  obs_t list;
  Em_TrsMtPrlRTCM rtcm;
};

// The first block has valid fields at their extremes, the second the
// invalid markers, which leave the matching record fields as they were.
TEST(Rtcm1004, ScalingCodesStrengthAndInvalidMarkers) {
  Fixture fx;
  Sim::Rtcm1004Satellite s = Sat(5), bad = Sat(6);
  s.l1_code = 1, s.l2_code = 3, s.cnr1 = 180;
  s.pr21 = 0x1FFF;  // largest L2-L1 difference: 163.82 m
  bad.ppr1 = bad.ppr2 = -524288, bad.pr21 = -8192, bad.cnr2 = 1;
  ASSERT_TRUE(fx.Decode({s, bad}));
  const double p1 = 70 * 299792.458 + 1234505 * 0.02;
  const em_obsd_t& r = fx.records[0];
  ExpectNear(D{r.p[0], r.p[1], r.l[0], r.l[1]},
             D{p1, p1 + 163.82, (p1 + 2000 * 0.0005) * kL1CyclesPerMetre, (p1 - 3000 * 0.0005) * kL2CyclesPerMetre},
             1e-6);
  // snr 45 dB-Hz x 4; the fields the decoder does not own stay as they were.
  EXPECT_EQ((U{r.snr[0], r.snr[1], r.code[0], r.code[1], r.sat, r.rcv, fx.list.n}), (U{180, 0, 2, 19, 0xEE, 0xEE, 0}));

  const em_obsd_t& q = fx.records[1];
  EXPECT_TRUE(q.p[0] == kSentinel && q.l[0] == kSentinel && q.p[1] == kSentinel && q.l[1] == kSentinel);
  EXPECT_EQ((U{q.snr[1], q.code[0], q.code[1]}), (U{1, 1, 14}));  // the rest of the record is still written
  EXPECT_TRUE(fx.Untouched(2));
}

// A frame written out bit by bit from the message layout of RTCM 10403:
// station 100, 345600 s, one satellite: PRN 12, C/A code, pr1 1000000,
// ppr1 -400, lock 50, ambiguity 70 ms, CNR 176; P code 0, pr21 -250,
// ppr2 600, lock 60, CNR 160.
TEST(Rtcm1004, HandBuiltFrame) {
  const unsigned char frame[] = {0xD3, 0x00, 0x18, 0x3E, 0xC0, 0x64, 0x52, 0x65, 0xC0, 0x00,
                                 0x10, 0x30, 0x1E, 0x84, 0x81, 0xFF, 0xCE, 0x0C, 0x91, 0xAC,
                                 0x0F, 0xC1, 0x80, 0x09, 0x61, 0xE5, 0x00, 0x7A, 0xD7, 0xD7};
  Fixture fx;
  ASSERT_TRUE(fx.rtcm.Decode_type1004(frame, sizeof frame));
  const double p1 = 70 * 299792.458 + 20000.0;
  const em_obsd_t& r = fx.records[0];
  ExpectNear(D{r.p[0], r.p[1], r.l[0], r.l[1]},
             D{p1, p1 - 5.0, (p1 - 0.2) * kL1CyclesPerMetre, (p1 + 0.3) * kL2CyclesPerMetre}, 1e-6);
  EXPECT_EQ((U{r.snr[0], r.snr[1], r.code[0], r.code[1], r.lli[0], r.lli[1]}), (U{176, 160, 1, 14, 0, 0}));
  EXPECT_TRUE(fx.Untouched(1));
}

// 213 bits hold the header and one block: 26 bytes decode nothing, 27 one.
TEST(Rtcm1004, BlocksTakenWhileTheyFit) {
  Fixture fx;
  EXPECT_TRUE(fx.Decode({Sat(1), Sat(2)}, 26) && fx.Untouched(0));
  EXPECT_TRUE(fx.Decode({Sat(1), Sat(2)}, 27) && !fx.Untouched(0) && fx.Untouched(1));
  Em_TrsMtPrlRTCM no_target;
  const Sim::Frame f = Sim::Rtcm1004(Sim::Rtcm1004Header{}, {Sat(1)});
  EXPECT_TRUE(no_target.Decode_type1004(f.data(), static_cast<unsigned>(f.size())));
  EXPECT_TRUE(no_target.Decode_type1004(nullptr, 100));
}

// PRN fields 0, 33-39 and 59-63 name no satellite and use no record; 40 and
// 58 are SBAS 120 and 138, the first and last satellite numbers (92, 110).
// Decoding stops at the array's capacity (3 here).
TEST(Rtcm1004, SatelliteNumberingAndCapacity) {
  Fixture fx(3);
  ASSERT_TRUE(fx.Decode({Sat(0), Sat(33), Sat(39), Sat(40), Sat(59), Sat(63), Sat(58), Sat(32), Sat(1)}));
  EXPECT_EQ((U{fx.Prn(0), fx.Prn(1), fx.Prn(2)}), (U{40, 58, 32}));
  EXPECT_TRUE(fx.Untouched(3));
}

// Phase-range fields in 0.0005 m: 38058 is about 100 L1 cycles, -266409
// about -700, 380585 about 1000.
TEST(Rtcm1004, PhaseContinuityAndLossOfLock) {
  Fixture fx;
  const double cycle = 0.0005 * kL1CyclesPerMetre;
  auto phase = [&](Em_TrsMtPrlRTCM& rtcm, unsigned prn, std::int64_t ppr1, unsigned lock1) {
    Sim::Rtcm1004Satellite s = Sat(prn);
    s.ppr1 = ppr1;
    s.lock1 = lock1;
    const Sim::Frame f = Sim::Rtcm1004(Sim::Rtcm1004Header{}, {s});
    EXPECT_TRUE(rtcm.Decode_type1004(f.data(), static_cast<unsigned>(f.size())));
    const double p1 = 70 * 299792.458 + (1234500 + prn) * 0.02;
    // In field units, and the loss-of-lock mark.
    return D{(fx.records[0].l[0] - p1 * kL1CyclesPerMetre) / cycle, 1.0 * fx.records[0].lli[0]};
  };
  ExpectNear(phase(fx.rtcm, 9, 38058, 100), D{38058, 0}, 1e-3);  // first value kept as is
  // Below stored - 750; 40 < 100 - 40: lock lost.
  ExpectNear(phase(fx.rtcm, 9, -266409, 40), D{-266409 + 1500 / cycle, 1}, 1e-3);
  ExpectNear(phase(fx.rtcm, 9, 266409 + 38058, 60), D{266409 + 38058, 0}, 1e-3);  // within 750, rising
  ExpectNear(phase(fx.rtcm, 10, 38058, 100), D{38058, 0}, 1e-3);  // other satellite: own state
  // Above stored + 750; 60 < 100 - 60 = 40 is false.
  ExpectNear(phase(fx.rtcm, 10, 380585, 60), D{380585 - 1500 / cycle, 0}, 1e-3);

  // Copies carry the state (about 800 cycles for PRN 9 now): a fresh decoder
  // would keep 2000, these add 1500 cycles. All write to fx's records.
  Em_TrsMtPrlRTCM copied(fx.rtcm), assigned, fresh(fx.list);
  assigned = fx.rtcm;
  ExpectNear(D{phase(copied, 9, 2000, 60)[0], phase(assigned, 9, 2000, 60)[0], phase(fresh, 9, 2000, 60)[0]},
             D{2000 + 1500 / cycle, 2000 + 1500 / cycle, 2000}, 1e-3);
}

// ---------------------------------------------------------------- transformations

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
  ExpectNear(D{t.lat0, t.lon0, t.ext_ns, t.dx, t.dy, t.dz, t.r1, t.r2, t.r3, t.ds, t.src_a, t.src_b, t.tgt_a, t.tgt_b},
             D{-262144.0 / 1800.0, 0.0, 16383.0 / 1800.0, 4194.303, -4194.304, -0.001, -0.00002, -0.00002, -0.00002,
               -0.00001, 6378137.0, 6350000.0 + 33554.431, 6370000.0, 6350000.001});
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
  ExpectNear(D{o.t.xp, o.t.yp, o.t.zp}, D{4000000.0, -17179869.184, -0.001});
}

// A 1021 frame written out bit by bit from the message layout of RTCM 10403:
// names "SRC" and "TGT1", system 17, utilized 341, plate 9, computation 3,
// height 1, origin -12345 / 456789, extensions 1800 / 3600 (units of 2"),
// dX 123456, dY -654321, dZ 1000 (mm), R1 50000, R2 -25000, R3 1
// (0.00002"), dS -123456 (0.00001 ppm), ellipsoids 6378137.000 /
// 6356752.314 and 6378245.000 / 6356863.019 m, qualities 2 and 5.
TEST(RtcmTransform, HandBuilt1021And1022) {
  const unsigned char frame[] = {
      0xD3, 0x00, 0x3B, 0x3F, 0xD1, 0xA9, 0xA9, 0x21, 0x91, 0x51, 0x1D, 0x50, 0xC4, 0x45, 0x55, 0x49,
      0xBF, 0x3F, 0x1D, 0xBE, 0x15, 0x47, 0x08, 0x38, 0x40, 0x0F, 0x12, 0x07, 0x60, 0x40, 0xF0, 0x00,
      0x7D, 0x00, 0x00, 0x18, 0x6A, 0x1F, 0xFF, 0xF3, 0xCB, 0x00, 0x00, 0x00, 0x00, 0x3F, 0xE1, 0xDC,
      0x07, 0xC2, 0x92, 0x83, 0x38, 0x41, 0xD3, 0xEE, 0x78, 0x41, 0xA2, 0xE2, 0xAD, 0x50, 0x8F, 0x42,
      0xD8};
  Outputs o;
  ASSERT_TRUE(o.Decode(1021, frame, sizeof frame));
  EXPECT_EQ((U{o.system_id, o.utilized, o.computation, o.height}), (U{17, 341, 3, 1}));
  const trancood_t& t = o.t;
  ExpectNear(D{t.lat0, t.lon0, t.ext_ns, t.ext_ew, t.dx, t.dy, t.dz, t.r1, t.r2, t.r3, t.ds, t.src_a, t.src_b, t.tgt_a,
               t.tgt_b},
             D{-12345.0 / 1800, 456789.0 / 1800, 1.0, 2.0, 123.456, -654.321, 1.0, 1.0, -0.5, 0.00002, -1.23456,
               6378137.0, 6356752.314, 6378245.0, 6356863.019},
             1e-9);
  // One byte short of the names' fields: refused.
  EXPECT_FALSE(o.Decode(1021, frame, 61));

  // 1022: the same fields, then the rotation point Xp 4000000000, Yp -2^34,
  // Zp -1 (mm, 35 bits each), then the ellipsoids.
  const unsigned char badekas[] = {
      0xD3, 0x00, 0x48, 0x3F, 0xE1, 0xA9, 0xA9, 0x21, 0x91, 0x51, 0x1D, 0x50, 0xC4, 0x45, 0x55, 0x49,
      0xBF, 0x3F, 0x1D, 0xBE, 0x15, 0x47, 0x08, 0x38, 0x40, 0x0F, 0x12, 0x07, 0x60, 0x40, 0xF0, 0x00,
      0x7D, 0x00, 0x00, 0x18, 0x6A, 0x1F, 0xFF, 0xF3, 0xCB, 0x00, 0x00, 0x00, 0x00, 0x3F, 0xE1, 0xDC,
      0x01, 0xDC, 0xD6, 0x50, 0x01, 0x00, 0x00, 0x00, 0x00, 0x3F, 0xFF, 0xFF, 0xFF, 0xFB, 0xE1, 0x49,
      0x41, 0x9C, 0x20, 0xE9, 0xF7, 0x3C, 0x20, 0xD1, 0x71, 0x56, 0xA8, 0x92, 0xE8, 0x0F};
  Outputs m;
  ASSERT_TRUE(m.Decode(1022, badekas, sizeof badekas));
  const trancood_t& b = m.t;
  ExpectNear(D{b.lat0, b.dx, b.ds, b.xp, b.yp, b.zp, b.src_a, b.src_b, b.tgt_a, b.tgt_b},
             D{-12345.0 / 1800, 123.456, -1.23456, 4000000.0, -17179869.184, -0.001, 6378137.0, 6356752.314, 6378245.0,
               6356863.019},
             1e-9);
}

// A 1027 frame written out bit by bit: system 5, projection type 3,
// rectified; centre 4000000000 / -1000000000, azimuth 2000000000, skew
// angle -10000000 (units of 0.000000011 degree), scale 100000 (0.00001 ppm
// above 993000), easting 500000000, northing -1000000 (mm).
TEST(RtcmTransform, HandBuilt1027) {
  const unsigned char frame[] = {0xD3, 0x00, 0x21, 0x40, 0x30, 0x50, 0xE7, 0x73, 0x59, 0x40, 0x07, 0xC4, 0x65,
                                 0x36, 0x00, 0x0E, 0xE6, 0xB2, 0x80, 0x1B, 0x3B, 0x4C, 0x00, 0x00, 0x30, 0xD4,
                                 0x00, 0x3B, 0x9A, 0xCA, 0x01, 0xFF, 0xFC, 0x2F, 0x70, 0x00, 0x79, 0xB6, 0xFB};
  Outputs o;
  ASSERT_TRUE(o.Decode(1027, frame, sizeof frame));
  const projection_param& p = o.p;
  EXPECT_EQ((U{o.type, p.rectified}), (U{3, 1}));
  ExpectNear(D{p.lat_centre, p.lon_centre, p.azimuth, p.skew_angle, p.scale, p.easting, p.northing},
             D{44.0, -11.0, 22.0, 22.0 - 0.11, 993001.0, 500000.0, -1000.0}, 1e-9);
}

// A 1023 frame written out bit by bit: origin -100 / 7200, spacing 60 / 120
// (units of 0.5"), mean residuals -5, 7 (0.001") and -250 (0.01 m); point 3
// 100, -100, 255 and point 15 -256, 255, -1 (0.00003", 0.001 m), the other
// points 0; methods 1 and 2, qualities 3 and 4, day 60000.
TEST(RtcmTransform, HandBuilt1023) {
  const unsigned char frame[] = {
      0xD3, 0x00, 0x49, 0x3F, 0xF0, 0x53, 0xFF, 0xF3, 0x80, 0x0E, 0x10, 0x01, 0xE0, 0x3C, 0x7D, 0x83,
      0xFF, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x19, 0x33, 0x8F, 0xF0,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x04, 0x01, 0xFF, 0xFF, 0x67, 0x3A, 0x98, 0x00, 0xD8, 0xFD, 0xEA};
  Outputs o;
  ASSERT_TRUE(o.Decode(1023, frame, sizeof frame));
  const geoid_mdel_para& g = o.g;
  ExpectNear(D{g.origin1, g.origin2, g.spacing1, g.spacing2, g.mean1, g.mean2, g.mean_height, g.grid[0][0],
               g.grid[0][2], g.grid[3][0], g.grid[3][1], g.grid[3][2], g.grid[15][0], g.grid[15][1], g.grid[15][2]},
             D{-50, 3600, 30, 60, -0.005, 0.007, -2.5, -0.005, -2.5, -0.005 + 0.003, 0.007 - 0.003, -2.5 + 0.255,
               -0.005 - 256 * 0.00003, 0.007 + 255 * 0.00003, -2.501},
             1e-9);
  EXPECT_EQ((U{g.horizontal_method, g.vertical_method, g.horizontal_quality, g.vertical_quality}), (U{1, 2, 3, 4}));
  EXPECT_EQ(+g.mjd, 60000.0);
}

// A 1024 frame written out bit by bit, every field at an extreme: system 42,
// origin -1 / 67108863 (10 m; the easting origin is unsigned), spacing
// 4095 / 1 (10 m), mean residuals -512, 511 (0.01 m) and -16384 (0.01 m);
// point 0 -256, 255, -256 and point 15 255, -1, 255 (0.001 m), the other
// points 0; methods 3 and 0, qualities 7 and 5, day 65535.
TEST(RtcmTransform, HandBuilt1024) {
  const unsigned char frame[] = {
      0xD3, 0x00, 0x4A, 0x40, 0x02, 0xAB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF8, 0x00, 0xC0,
      0x0F, 0xFC, 0x00, 0x08, 0x03, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, 0xFF, 0xEF, 0xFC, 0xF7, 0xFF, 0xFC, 0x05, 0xA7, 0xB9,};
  Outputs o;
  ASSERT_TRUE(o.Decode(1024, frame, sizeof frame));
  const geoid_mdel_para& g = o.g;
  ExpectNear(D{g.origin1, g.origin2, g.spacing1, g.spacing2, g.mean1, g.mean2, g.mean_height, g.grid[0][0],
               g.grid[0][1], g.grid[0][2], g.grid[7][0], g.grid[7][2], g.grid[15][0], g.grid[15][1], g.grid[15][2]},
             D{-10.0, 671088630.0, 40950.0, 10.0, -5.12, 5.11, -163.84, -5.12 - 0.256, 5.11 + 0.255, -163.84 - 0.256,
               -5.12, -163.84, -5.12 + 0.255, 5.11 - 0.001, -163.84 + 0.255},
             1e-9);
  EXPECT_EQ((U{g.horizontal_method, g.vertical_method, g.horizontal_quality, g.vertical_quality}), (U{3, 0, 7, 5}));
  EXPECT_EQ(+g.mjd, 65535.0);
}

// 1025 (other projections) and 1026 (Lambert conic, two standard parallels)
// are taken when whole; their fields are not decoded. Written out bit by
// bit: system 42, projection 1 / 19, origin -1 / 12345, scale 100000 (1025)
// or parallels 1 / -2 (1026), false easting 500000000, northing -1.
TEST(RtcmTransform, HandBuilt1025And1026) {
  const unsigned char other[] = {
      0xD3, 0x00, 0x19, 0x40, 0x12, 0xA0, 0x7F, 0xFF, 0xFF, 0xFF, 0xF0, 0x00, 0x00, 0x60, 0x72, 0x00,
      0x0C, 0x35, 0x00, 0x0E, 0xE6, 0xB2, 0x80, 0x7F, 0xFF, 0xFF, 0xFF, 0xF0, 0x59, 0x17, 0x39,};
  const unsigned char lambert[] = {
      0xD3, 0x00, 0x1E, 0x40, 0x22, 0xA4, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0x00, 0x00, 0x60, 0x72, 0x00,
      0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0, 0x3B, 0x9A, 0xCA, 0x01, 0xFF, 0xFF, 0xFF, 0xFF,
      0xC0, 0x67, 0x19, 0x70,};
  Em_TrsMtPrlRTCM rtcm;
  EXPECT_TRUE(rtcm.Decode_type1025(other, sizeof other));
  EXPECT_TRUE(rtcm.Decode_type1026(lambert, sizeof lambert));
  EXPECT_FALSE(rtcm.Decode_type1026(lambert, 29));  // the false northing cut
}

TEST(RtcmTransform, ObliqueMercator1027) {
  Sim::Rtcm1027Fields f;
  f.projection_type = 63, f.rectified = 1, f.lat_centre = -(1ll << 33), f.lon_centre = (1ll << 34) - 1;
  f.skew_angle = 1, f.easting = (1ull << 36) - 1, f.northing = -1;
  Outputs o;
  const projection_param& p = o.p;
  ASSERT_TRUE(o.Decode(1027, Sim::Rtcm1027(f)));
  const double unit = 0.000000011;
  ExpectNear(D{1.0 * o.type, 1.0 * p.rectified, p.lat_centre, p.lon_centre, p.skew_angle, p.scale, p.easting,
               p.northing},
             D{63, 1, -8589934592.0 * unit, 17179869183.0 * unit, unit, 993000.0, 68719476.735, -0.001});
  f.rectified = 0, f.scale = 100000, f.azimuth = 1000000000;
  f.skew_angle = -1;  // added to the azimuth
  ASSERT_TRUE(o.Decode(1027, Sim::Rtcm1027(f)));
  ExpectNear(D{1.0 * p.rectified, p.scale, p.skew_angle}, D{0, 993001.0, 999999999 * unit});
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
