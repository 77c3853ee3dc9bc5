// Encodes a GPS broadcast ephemeris into navigation subframes 1, 2 and 3 as
// receivers pass them on: ten 24-bit words per subframe with the parity bits
// removed, 30 bytes, most significant bit first. Values are quantized to the
// broadcast scale factors, so a decoder gets them back to within one unit of
// each field.
#pragma once

#include <array>
#include <cstdint>

namespace Kestrel {
namespace KsParse {
namespace Sim {

struct GpsEphemerisFields {
  unsigned week = 0;        // full GPS week; subframe 1 carries it modulo 1024
  double tow = 0;           // transmission time of subframe 1, s of week (next ones +6 s, +12 s)
  unsigned iode = 0;        // 8 bits
  unsigned iodc = 0;        // 10 bits
  unsigned ura = 0;         // 4 bits, URA index
  unsigned health = 0;      // 6 bits
  unsigned l2_code = 0;     // 2 bits
  unsigned l2p_flag = 0;    // 1 bit
  unsigned fit = 0;         // 1 bit, fit interval flag
  double toe = 0;           // s of week
  double toc = 0;           // s of week
  double A = 26560000.0;    // semi-major axis, m
  double e = 0;
  double i0 = 0, OMG0 = 0, omg = 0, M0 = 0;  // radians
  double deln = 0, OMGd = 0, idot = 0;       // radians per second
  double crc = 0, crs = 0;                   // m
  double cuc = 0, cus = 0, cic = 0, cis = 0; // radians
  double f0 = 0, f1 = 0, f2 = 0;             // s, s/s, s/s^2
  double tgd = 0;                            // s
};

// Subframes 1, 2 and 3, one after the other (90 bytes).
std::array<std::uint8_t, 90> GpsEphemerisSubframes(const GpsEphemerisFields& f);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
