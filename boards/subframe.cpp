// GPS LNAV subframes (IS-GPS-200) to ephemeris records and the ionosphere
// and UTC parameters. A subframe arrives as ten 24-bit words with the parity
// bits removed: 240 bits, bit 0 the first bit of word 1 (TLM), word n at bit
// 24 * (n - 1).
#include <cstdint>

#include "boards/gnss_utils.h"
#include "rtcm/bit_field.h"

namespace Kestrel {
namespace KsParse {
namespace Gnss {

namespace {

// The value of pi that IS-GPS-200 fixes for converting semicircles.
constexpr double kSemicircle = 3.1415926535898;
constexpr double kHalfWeek = 302400.0;

constexpr double Pow2(int n) {
  double v = 1.0;
  for (; n > 0; --n) v *= 2.0;
  for (; n < 0; ++n) v *= 0.5;
  return v;
}

struct Bits {
  const unsigned char* data;
  std::uint32_t U(unsigned pos, unsigned width) const {
    return static_cast<std::uint32_t>(Rtcm::ReadUnsigned(data, pos, width));
  }
  double S(unsigned pos, unsigned width, double scale) const {
    return static_cast<double>(Rtcm::ReadSigned(data, pos, width)) * scale;
  }
  double Us(unsigned pos, unsigned width, double scale) const { return U(pos, width) * scale; }
};

// HOW time-of-week count: the start of the next subframe, in seconds.
double HowTow(const Bits& b) { return b.U(24, 17) * 6.0; }

void DecodeClock(const Bits& b, em_eph_t& eph) {
  const double tow = HowTow(b);
  const std::int32_t week = AdjustWeek(static_cast<std::int32_t>(b.U(48, 10)));
  eph.code = static_cast<std::int32_t>(b.U(58, 2));
  eph.sva = static_cast<std::int32_t>(b.U(60, 4));
  eph.svh = static_cast<std::int32_t>(b.U(64, 6));
  eph.iodc = static_cast<std::int32_t>((b.U(70, 2) << 8) | b.U(168, 8));
  eph.flag = static_cast<std::int32_t>(b.U(72, 1));
  eph.tgd[0] = b.S(160, 8, Pow2(-31));
  const double toc = b.Us(176, 16, 16.0);
  eph.f2 = b.S(192, 8, Pow2(-55));
  eph.f1 = b.S(200, 16, Pow2(-43));
  eph.f0 = b.S(216, 22, Pow2(-31));
  eph.week = week;
  eph.ttr = GpsToTime(static_cast<std::uint32_t>(week), tow);
  eph.toc = GpsToTime(static_cast<std::uint32_t>(week), toc);
}

void DecodeOrbitA(const Bits& b, em_eph_t& eph) {
  eph.iode = static_cast<std::int32_t>(b.U(48, 8));
  eph.crs = b.S(56, 16, Pow2(-5));
  eph.deln = b.S(72, 16, Pow2(-43) * kSemicircle);
  eph.M0 = b.S(88, 32, Pow2(-31) * kSemicircle);
  eph.cuc = b.S(120, 16, Pow2(-29));
  eph.e = b.Us(136, 32, Pow2(-33));
  eph.cus = b.S(168, 16, Pow2(-29));
  const double sqrt_a = b.Us(184, 32, Pow2(-19));
  eph.A = sqrt_a * sqrt_a;
  eph.toes = b.Us(216, 16, 16.0);
  eph.fit = b.U(232, 1);
}

void DecodeOrbitB(const Bits& b, em_eph_t& eph) {
  eph.cic = b.S(48, 16, Pow2(-29));
  eph.OMG0 = b.S(64, 32, Pow2(-31) * kSemicircle);
  eph.cis = b.S(96, 16, Pow2(-29));
  eph.i0 = b.S(112, 32, Pow2(-31) * kSemicircle);
  eph.crc = b.S(144, 16, Pow2(-5));
  eph.omg = b.S(160, 32, Pow2(-31) * kSemicircle);
  eph.OMGd = b.S(192, 24, Pow2(-43) * kSemicircle);
  eph.iode = static_cast<std::int32_t>(b.U(216, 8));
  eph.idot = b.S(224, 14, Pow2(-43) * kSemicircle);

  // toe belongs to the week of the transmission time (subframe 1), or to
  // the next or previous week when it lies more than half a week away.
  std::int32_t week = 0;
  double tow = TimeToGps(eph.ttr, &week);
  const double toc = TimeToGps(eph.toc, nullptr);
  if (eph.toes < tow - kHalfWeek) {
    ++week;
    tow -= kSecondsPerWeek;
  } else if (eph.toes > tow + kHalfWeek) {
    --week;
    tow += kSecondsPerWeek;
  }
  eph.week = week;
  eph.toe = GpsToTime(static_cast<std::uint32_t>(week), eph.toes);
  eph.toc = GpsToTime(static_cast<std::uint32_t>(week), toc);
  eph.ttr = GpsToTime(static_cast<std::uint32_t>(week), tow);
}

// Page 18 of subframe 4 (SV ID 56): Klobuchar coefficients and UTC terms.
void DecodeIonoUtc(const Bits& b, double* ion, double* utc) {
  if (ion != nullptr) {
    ion[0] = b.S(56, 8, Pow2(-30));
    ion[1] = b.S(64, 8, Pow2(-27));
    ion[2] = b.S(72, 8, Pow2(-24));
    ion[3] = b.S(80, 8, Pow2(-24));
    ion[4] = b.S(88, 8, Pow2(11));
    ion[5] = b.S(96, 8, Pow2(14));
    ion[6] = b.S(104, 8, Pow2(16));
    ion[7] = b.S(112, 8, Pow2(16));
  }
  if (utc != nullptr) {
    utc[0] = b.S(120, 24, Pow2(-50));  // A1
    utc[1] = b.S(144, 32, Pow2(-30));  // A0
    utc[2] = b.Us(176, 8, Pow2(12));   // tot
    utc[3] = b.U(184, 8);              // WNt
    utc[4] = b.S(192, 8, 1.0);         // dt_LS
  }
}

}  // namespace

int DecodeSubframe(const unsigned char* subframe, em_eph_t* eph, double* ion, double* utc) {
  if (subframe == nullptr) return 0;
  const Bits b{subframe};
  const int id = static_cast<int>(b.U(43, 3));
  switch (id) {
    case 1:
      if (eph != nullptr) DecodeClock(b, *eph);
      return id;
    case 2:
      if (eph != nullptr) DecodeOrbitA(b, *eph);
      return id;
    case 3:
      if (eph != nullptr) DecodeOrbitB(b, *eph);
      return id;
    case 4:
      if (b.U(50, 6) == 56) DecodeIonoUtc(b, ion, utc);
      return id;
    case 5:
      return id;  // almanac pages: not kept
    default:
      return 0;
  }
}

}  // namespace Gnss
}  // namespace KsParse
}  // namespace Kestrel
