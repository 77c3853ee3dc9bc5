// Message 1004: block selection, satellite numbering, scaling, invalid
// markers, phase continuity, loss of lock and the array's capacity.
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr double kL1CyclesPerMetre = 1575420000.0 / 299792458.0;
constexpr double kL2CyclesPerMetre = 1227600000.0 / 299792458.0;
constexpr double kSentinel = -12345.0;
using U = std::vector<std::int64_t>;

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
  EXPECT_DOUBLE_EQ(r.p[0], p1);
  EXPECT_DOUBLE_EQ(r.p[1], p1 + 163.82);
  EXPECT_NEAR(r.l[0], (p1 + 2000 * 0.0005) * kL1CyclesPerMetre, 1e-6);
  EXPECT_NEAR(r.l[1], (p1 - 3000 * 0.0005) * kL2CyclesPerMetre, 1e-6);
  // snr 45 dB-Hz x 4; the fields the decoder does not own stay as they were.
  EXPECT_EQ((U{r.snr[0], r.snr[1], r.code[0], r.code[1], r.sat, r.rcv, fx.list.n}), (U{180, 0, 2, 19, 0xEE, 0xEE, 0}));

  const em_obsd_t& q = fx.records[1];
  EXPECT_TRUE(q.p[0] == kSentinel && q.l[0] == kSentinel && q.p[1] == kSentinel && q.l[1] == kSentinel);
  EXPECT_EQ((U{q.snr[1], q.code[0], q.code[1]}), (U{1, 1, 14}));  // the rest of the record is still written
  EXPECT_TRUE(fx.Untouched(2));
}

// 213 bits hold the header and one block: 26 bytes decode nothing, 27 one.
TEST(Rtcm1004, BlocksTakenWhileTheyFit) {
  Fixture fx;
  EXPECT_TRUE(fx.Decode({Sat(1), Sat(2)}, 26));
  EXPECT_TRUE(fx.Untouched(0));
  EXPECT_TRUE(fx.Decode({Sat(1), Sat(2)}, 27));
  EXPECT_FALSE(fx.Untouched(0));
  EXPECT_TRUE(fx.Untouched(1));
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
    return (fx.records[0].l[0] - p1 * kL1CyclesPerMetre) / cycle;  // in field units
  };
  EXPECT_NEAR(phase(fx.rtcm, 9, 38058, 100), 38058, 1e-3);  // first value kept as is
  EXPECT_EQ(fx.records[0].lli[0], 0);
  EXPECT_NEAR(phase(fx.rtcm, 9, -266409, 40), -266409 + 1500 / cycle, 1e-3);  // below stored - 750
  EXPECT_EQ(fx.records[0].lli[0], 1);  // 40 < 100 - 40
  EXPECT_NEAR(phase(fx.rtcm, 9, 266409 + 38058, 60), 266409 + 38058, 1e-3);  // within 750
  EXPECT_EQ(fx.records[0].lli[0], 0);  // rising lock time
  EXPECT_NEAR(phase(fx.rtcm, 10, 38058, 100), 38058, 1e-3);  // other satellite: own state
  EXPECT_NEAR(phase(fx.rtcm, 10, 380585, 60), 380585 - 1500 / cycle, 1e-3);  // above stored + 750
  EXPECT_EQ(fx.records[0].lli[0], 0);  // 60 < 100 - 60 = 40 is false

  // Copies carry the state (about 800 cycles for PRN 9 now): a fresh decoder
  // would keep 2000, these add 1500 cycles. Both write to fx's records.
  Em_TrsMtPrlRTCM copied(fx.rtcm);
  Em_TrsMtPrlRTCM assigned;
  assigned = fx.rtcm;
  EXPECT_NEAR(phase(copied, 9, 2000, 60), 2000 + 1500 / cycle, 1e-3);
  EXPECT_NEAR(phase(assigned, 9, 2000, 60), 2000 + 1500 / cycle, 1e-3);
  Em_TrsMtPrlRTCM fresh(fx.list);
  EXPECT_NEAR(phase(fresh, 9, 2000, 60), 2000, 1e-3);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
