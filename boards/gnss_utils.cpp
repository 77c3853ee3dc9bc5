// Big-endian field readers, geodetic to earth-centred coordinates and the
// output-rate code of the maker's protocol.
#include "boards/gnss_utils.h"

#include <cmath>
#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Gnss {

namespace {

std::uint64_t Be(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

double ReadBe64(const unsigned char* p) {
  const std::uint64_t bits = Be(p, 8);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::int32_t ReadBe32(const unsigned char* p) { return static_cast<std::int32_t>(Be(p, 4)); }

std::int16_t ReadBe16(const unsigned char* p) { return static_cast<std::int16_t>(Be(p, 2)); }

std::uint16_t ReadBe16U(const unsigned char* p) { return static_cast<std::uint16_t>(Be(p, 2)); }

float ReadBeFloat(const unsigned char* p) {
  const std::uint32_t bits = static_cast<std::uint32_t>(Be(p, 4));
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void GeodeticToEcef(double latitude, double longitude, double height, double* xyz) {
  if (xyz == nullptr) return;
  constexpr double kA = 6378137.0;                  // WGS-84 semi-major axis, m
  constexpr double kE2 = 0.0066943799901413165;     // first eccentricity squared
  constexpr double kOneMinusE2 = 0.9933056200098587;
  const double sin_lat = std::sin(latitude);
  const double cos_lat = std::cos(latitude);
  const double n = kA / std::sqrt(1.0 - kE2 * sin_lat * sin_lat);
  xyz[0] = (n + height) * cos_lat * std::cos(longitude);
  xyz[1] = (n + height) * cos_lat * std::sin(longitude);
  xyz[2] = (n * kOneMinusE2 + height) * sin_lat;
}

int FrqToProtocolRate(GNSS_FRQ rate) {
  switch (rate) {
    case GNSS_FRQ_STOP: return 1;
    case GNSS_FRQ_10HZ: return 6;
    case GNSS_FRQ_5HZ: return 7;
    case GNSS_FRQ_1HZ: return 9;
    case GNSS_FRQ_0_5HZ: return 10;
    case GNSS_FRQ_0_2HZ: return 11;
    case GNSS_FRQ_0_1HZ: return 12;
    case GNSS_FRQ_2HZ: return 8;
    case GNSS_FRQ_ONCHANGE: return 2;
    default: return 9;
  }
}

}  // namespace Gnss
}  // namespace KsParse
}  // namespace Kestrel
