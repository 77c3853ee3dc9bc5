// Coordinate-transformation messages: 1021 (Helmert / abridged Molodensky),
// 1022 (Molodensky-Badekas), 1023 and 1024 (residual grids, ellipsoidal and
// plane) and 1027 (oblique Mercator projection).
//
// Each decoder first proves that the frame holds every bit it will read, then
// writes its outputs; a short frame returns false with the outputs untouched.
#include <ksparse/rtcm.h>

#include "rtcm/bit_field.h"
#include "rtcm/name_fields.h"

namespace Kestrel {
namespace KsParse {

namespace {

using Rtcm::FitsInFrame;

double U(const unsigned char* data, std::uint64_t pos, unsigned width) {
  return static_cast<double>(Rtcm::ReadUnsigned(data, pos, width));
}

double S(const unsigned char* data, std::uint64_t pos, unsigned width) {
  return static_cast<double>(Rtcm::ReadSigned(data, pos, width));
}

constexpr double kTwoArcSecondsToDegrees = 1.0 / 1800.0;
constexpr double kSemiMajorBase = 6370000.0;
constexpr double kSemiMinorBase = 6350000.0;
constexpr double kProjectionAngleUnit = 0.000000011;  // degrees
constexpr double kProjectionScaleBase = 993000.0;     // parts per million

// Area of validity, translations, rotations and scale: the fields common to
// 1021 and 1022, starting at bit q.
void DecodeHelmertCore(const unsigned char* data, std::uint64_t q, trancood_t& out) {
  out.lat0 = S(data, q, 19) * kTwoArcSecondsToDegrees;
  out.lon0 = S(data, q + 19, 20) * kTwoArcSecondsToDegrees;
  out.ext_ns = U(data, q + 39, 14) * kTwoArcSecondsToDegrees;
  out.ext_ew = U(data, q + 53, 14) * kTwoArcSecondsToDegrees;
  out.dx = S(data, q + 67, 23) * 0.001;
  out.dy = S(data, q + 90, 23) * 0.001;
  out.dz = S(data, q + 113, 23) * 0.001;
  out.r1 = S(data, q + 136, 32) * 0.00002;
  out.r2 = S(data, q + 168, 32) * 0.00002;
  out.r3 = S(data, q + 200, 32) * 0.00002;
  out.ds = S(data, q + 232, 25) * 0.00001;
}

// Source and target ellipsoid axes, starting at bit a.
void DecodeEllipsoids(const unsigned char* data, std::uint64_t a, trancood_t& out) {
  out.src_a = U(data, a, 24) * 0.001 + kSemiMajorBase;
  out.src_b = U(data, a + 24, 25) * 0.001 + kSemiMinorBase;
  out.tgt_a = U(data, a + 49, 24) * 0.001 + kSemiMajorBase;
  out.tgt_b = U(data, a + 73, 25) * 0.001 + kSemiMinorBase;
}

// Layout of a residual grid message: where its fields start and their widths.
struct GridLayout {
  unsigned origin1_width;      // signed origin, first coordinate
  unsigned origin2_width;
  bool origin2_signed;
  unsigned mean12_width;       // both horizontal mean residuals
  double origin_scale;         // origin and spacing
  double mean12_scale;
  double residual12_scale;     // per-point horizontal residuals
  unsigned end_bit;            // bit after the day number
};

// Fields from bit 46 on: origin, spacing, means, 16 points, the four codes
// and the modified Julian day.
void DecodeGrid(const unsigned char* data, const GridLayout& g, geoid_mdel_para& out) {
  std::uint64_t b = 46;
  out.origin1 = S(data, b, g.origin1_width) * g.origin_scale;
  b += g.origin1_width;
  out.origin2 = (g.origin2_signed ? S(data, b, g.origin2_width) : U(data, b, g.origin2_width)) * g.origin_scale;
  b += g.origin2_width;
  out.spacing1 = U(data, b, 12) * g.origin_scale;
  out.spacing2 = U(data, b + 12, 12) * g.origin_scale;
  b += 24;
  out.mean1 = S(data, b, g.mean12_width) * g.mean12_scale;
  out.mean2 = S(data, b + g.mean12_width, g.mean12_width) * g.mean12_scale;
  b += 2 * g.mean12_width;
  out.mean_height = S(data, b, 15) * 0.01;
  b += 15;
  for (unsigned i = 0; i < kResidualGridPoints; ++i, b += 27) {
    out.grid[i][0] = S(data, b, 9) * g.residual12_scale + out.mean1;
    out.grid[i][1] = S(data, b + 9, 9) * g.residual12_scale + out.mean2;
    out.grid[i][2] = S(data, b + 18, 9) * 0.001 + out.mean_height;
  }
  out.horizontal_method = static_cast<std::uint8_t>(Rtcm::ReadUnsigned(data, b, 2));
  out.vertical_method = static_cast<std::uint8_t>(Rtcm::ReadUnsigned(data, b + 2, 2));
  out.horizontal_quality = static_cast<std::uint8_t>(Rtcm::ReadUnsigned(data, b + 4, 3));
  out.vertical_quality = static_cast<std::uint8_t>(Rtcm::ReadUnsigned(data, b + 7, 3));
  out.mjd = U(data, b + 10, 16);
}

// 1023: positions in arc-seconds (0.5"), residuals in 0.001" and 0.00003".
constexpr GridLayout k1023Layout = {21, 22, true, 8, 0.5, 0.001, 0.00003, 602};
// 1024: positions in metres (10 m), residuals in 0.01 m and 0.001 m; the
// easting origin is unsigned.
constexpr GridLayout k1024Layout = {25, 26, false, 10, 10.0, 0.01, 0.001, 614};

}  // namespace

bool Em_TrsMtPrlRTCM::Decode_type1021(const unsigned char* data, unsigned int length, int& system_id,
                                      int& computation, int& height, unsigned int& utilized,
                                      trancood_t& out) {
  std::uint64_t p = 0;
  if (!Rtcm::DatumNamesEnd(data, length, p) || !Is1021DataValid(data, length)) return false;
  system_id = static_cast<int>(Rtcm::ReadUnsigned(data, p, 8));
  utilized = static_cast<unsigned int>(Rtcm::ReadUnsigned(data, p + 8, 10));
  // The 5-bit plate number at p + 18 is not used.
  computation = static_cast<int>(Rtcm::ReadUnsigned(data, p + 23, 4));
  height = static_cast<int>(Rtcm::ReadUnsigned(data, p + 27, 2));
  const std::uint64_t q = p + 29;
  DecodeHelmertCore(data, q, out);
  DecodeEllipsoids(data, q + 257, out);
  return true;
}

bool Em_TrsMtPrlRTCM::Decode_type1022(const unsigned char* data, unsigned int length, trancood_t& out) {
  std::uint64_t p = 0;
  if (!Rtcm::DatumNamesEnd(data, length, p) || !Is1022DataValid(data, length)) return false;
  const std::uint64_t q = p + 29;
  DecodeHelmertCore(data, q, out);
  out.xp = S(data, q + 257, 35) * 0.001;
  out.yp = S(data, q + 292, 35) * 0.001;
  out.zp = S(data, q + 327, 35) * 0.001;
  DecodeEllipsoids(data, q + 362, out);
  return true;
}

bool Em_TrsMtPrlRTCM::Decode_type1023(const unsigned char* data, unsigned int length, geoid_mdel_para& out) {
  if (!Is1023DataValid(data, length) || !FitsInFrame(length, k1023Layout.end_bit)) return false;
  DecodeGrid(data, k1023Layout, out);
  return true;
}

bool Em_TrsMtPrlRTCM::Decode_type1024(const unsigned char* data, unsigned int length, geoid_mdel_para& out) {
  if (!Is1024DataValid(data, length) || !FitsInFrame(length, k1024Layout.end_bit)) return false;
  DecodeGrid(data, k1024Layout, out);
  return true;
}

bool Em_TrsMtPrlRTCM::Decode_type1027(const unsigned char* data, unsigned int length, int& projection_type,
                                      projection_param& out) {
  // The last field read (northing, 35 bits at 247) ends at bit 282.
  if (!Is1027DataValid(data, length) || !FitsInFrame(length, 282)) return false;
  projection_type = static_cast<int>(Rtcm::ReadUnsigned(data, 44, 6));
  out.rectified = Rtcm::ReadUnsigned(data, 50, 1) ? 1 : 0;
  out.lat_centre = S(data, 51, 34) * kProjectionAngleUnit;
  out.lon_centre = S(data, 85, 35) * kProjectionAngleUnit;
  out.azimuth = U(data, 120, 35) * kProjectionAngleUnit;
  out.skew_angle = S(data, 155, 26) * kProjectionAngleUnit + out.azimuth;
  out.scale = U(data, 181, 30) * 0.00001 + kProjectionScaleBase;
  out.easting = U(data, 211, 36) * 0.001;
  out.northing = S(data, 247, 35) * 0.001;
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
