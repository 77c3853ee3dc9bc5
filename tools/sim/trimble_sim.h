// Builds Trimble data-collector packets (checksum and framing filled in) and
// the GSOF records inside them for tests, benchmarks and fuzz seeds: time,
// latitude/longitude/height, earth-centred position and base offset, DOP,
// precision and all satellites, cut into the pages of a GSOF message.
//
// Each encoder packs the values it is given, big-endian as the board sends
// them; a test can also place out-of-range values or wrong lengths through
// GsofRecord.
#pragma once

#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Sim {

using Frame = std::vector<std::uint8_t>;

// One packet: STX, status 0, type, length, data, checksum, ETX. Data beyond
// 255 bytes is cut (the length is one byte).
Frame DcolPacket(std::uint8_t type, const std::vector<std::uint8_t>& data);

// One GSOF record: type, length of `payload`, payload.
Frame GsofRecord(std::uint8_t type, const std::vector<std::uint8_t>& payload);

// Record 1: GPS time and the position flags.
struct GsofTimeFields {
  std::uint32_t milliseconds = 0;  // of week
  std::uint16_t week = 0;
  std::uint8_t satellites = 0;
  std::uint8_t flags1 = 0x04;      // bit 2: position valid
  std::uint8_t flags2 = 0;         // low four bits: solution kind
  std::uint8_t init_counter = 0;
};
Frame GsofTime(const GsofTimeFields& f);
// Record 2: latitude, longitude (radians), height (metres).
Frame GsofLlh(double latitude, double longitude, double height);
// Record 3: earth-centred X, Y, Z (metres).
Frame GsofEcef(double x, double y, double z);
// Record 6: offset from the base to the rover, earth-centred (metres).
Frame GsofEcefDelta(double dx, double dy, double dz);
// Record 9: PDOP, HDOP, VDOP, TDOP.
Frame GsofDop(float pdop, float hdop, float vdop, float tdop);

// Record 12: position precision (metres).
struct GsofSigmaFields {
  float rms = 0;
  float east = 0, north = 0, covariance = 0, up = 0;
  float semi_major = 0, semi_minor = 0, orientation = 0;
  float unit_variance = 1;
  std::uint16_t epochs = 1;
};
Frame GsofSigma(const GsofSigmaFields& f);

// Record 34: every satellite tracked.
struct GsofSatellite {
  std::uint8_t prn = 1;
  std::uint8_t system = 0;  // 0 GPS, 1 SBAS, 2 GLONASS, 3 and above others
  std::uint8_t flags1 = 0, flags2 = 0;
  std::uint8_t elevation = 0;   // degrees
  std::uint16_t azimuth = 0;    // degrees
  std::uint8_t l1_snr4 = 0;     // quarter dB-Hz
  std::uint8_t l2_snr4 = 0;
  std::uint8_t l5_snr4 = 0;
};
Frame GsofAllSatellites(const std::vector<GsofSatellite>& sats);

// One type 0x40 packet: transmission number, page index, last page index,
// then `bytes` (records or parts of them) as given.
Frame GsofPage(std::uint8_t transmission, std::uint8_t page, std::uint8_t last, const Frame& bytes);

// A GSOF message: the records one after the other, cut into type 0x40
// packets of at most `page_bytes` record bytes each (1 to 252), numbered
// 0..last with the given transmission number.
std::vector<Frame> GsofMessage(const std::vector<Frame>& records, std::uint8_t transmission = 0,
                               unsigned page_bytes = 252);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
