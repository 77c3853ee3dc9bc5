// Builds NovAtel binary logs (28-byte header, little-endian body, CRC-32) for
// simulated receiver streams, tests, benchmarks and fuzz seeds: BESTPOS,
// PSRDOP, RANGECMP, RANGE, RAWEPHEM, GPSEPHEM, REFSTATION and VERSION.
//
// Field structs hold the values a receiver would report; each encoder only
// scales and packs them, so a test can also place out-of-range values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/gps_subframe_sim.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

using Frame = std::vector<std::uint8_t>;

struct NovAtelHeader {
  unsigned week = 0;                 // GPS week
  std::uint32_t milliseconds = 0;    // of week
  bool response = false;             // bit 7 of the message type: a reply to a command
  std::uint8_t port = 0x20;          // COM1
  std::uint16_t sequence = 0;
  std::uint8_t time_status = 180;    // fine steering
  std::uint32_t receiver_status = 0;
};

// Any log: header (with the body length filled in), body, CRC-32.
Frame NovAtelLog(unsigned id, const NovAtelHeader& header, const std::vector<std::uint8_t>& body);

// ----------------------------------------------------------------- BESTPOS (42)
struct BestPosFields {
  std::uint32_t solution_status = 0;  // 0 solution computed
  std::uint32_t position_type = 16;   // 16 single, 17 DGPS, 32-34 float, 48-50 fixed
  double latitude = 0;                // degrees
  double longitude = 0;               // degrees
  double height = 0;                  // metres above mean sea level
  float undulation = 0;               // metres, geoid above ellipsoid
  std::uint32_t datum = 61;           // WGS-84
  float lat_sigma = 0, lon_sigma = 0, height_sigma = 0;  // metres
  char station[4] = {'0', 0, 0, 0};
  float diff_age = 0;                 // s
  float solution_age = 0;             // s
  std::uint8_t tracked = 0;
  std::uint8_t in_solution = 0;
  std::uint8_t in_solution_l1 = 0;
  std::uint8_t in_solution_multi = 0;
  std::uint8_t extended_status = 0;
  std::uint8_t galileo_beidou_mask = 0;
  std::uint8_t gps_glonass_mask = 0;  // 0x1 GPS L1, 0x2 GPS L2, 0x4 GPS L5, 0x10 GLO L1, 0x20 GLO L2
};
Frame BestPos(const NovAtelHeader& header, const BestPosFields& f);

// ----------------------------------------------------------------- PSRDOP (174)
struct PsrDopFields {
  float gdop = 0, pdop = 0, hdop = 0, htdop = 0, tdop = 0;
  float cutoff = 0;  // degrees
  std::vector<std::uint32_t> prns;
};
Frame PsrDop(const NovAtelHeader& header, const PsrDopFields& f);

// ----------------------------------------------------------------- RANGECMP (140)
struct RangeCmpRecord {
  unsigned prn = 1;             // GPS 1-32, GLONASS slot + 37, SBAS 120-138, BeiDou 1-63
  unsigned system = 0;          // 0 GPS, 1 GLONASS, 2 SBAS, 4 BeiDou
  unsigned signal = 0;          // 0 L1 C/A, 5 L2 P, 9 L2 P codeless, 17 L2C ...
  unsigned channel = 0;
  bool phase_locked = true;
  bool parity_known = true;
  bool code_locked = true;
  bool half_cycle_added = false;
  double doppler = 0;           // Hz (1/256 Hz steps, 28 bits)
  double pseudorange = 0;       // m (1/128 m steps, 36 bits)
  // Full carrier phase in cycles as a decoder reports it (before any L2C
  // quarter-cycle shift). The log carries it negated and modulo 8388608
  // cycles; it must lie within 4194304 cycles of pseudorange / wavelength
  // (L1 for signal 0, L2 otherwise) for the roll-over to be recoverable.
  double phase = 0;
  double lock_time = 0;         // s (1/32 s steps, 21 bits)
  unsigned cn0 = 45;            // dB-Hz, 20..51
  unsigned psr_std = 0;         // 4-bit indices
  unsigned adr_std = 0;
};
Frame RangeCmp(const NovAtelHeader& header, const std::vector<RangeCmpRecord>& records);

// A record of a satellite at `range` metres (carrier phase range/wavelength
// cycles) moving at `range_rate` metres per second (Doppler -rate/wavelength).
RangeCmpRecord RangeCmpObservation(unsigned prn, unsigned system, unsigned signal, double range,
                                   double range_rate, unsigned cn0, double lock_time);

// ----------------------------------------------------------------- RANGE (43)
struct RangeRecord {
  unsigned prn = 1;
  unsigned glonass_frequency = 0;
  double pseudorange = 0;   // m
  float pseudorange_std = 0;
  double carrier = 0;       // cycles
  float carrier_std = 0;
  float doppler = 0;        // Hz
  float cn0 = 0;            // dB-Hz
  float lock_time = 0;      // s
  std::uint32_t status = 0; // tracking status word
};
Frame Range(const NovAtelHeader& header, const std::vector<RangeRecord>& records);

// ----------------------------------------------------------------- ephemerides
// RAWEPHEM (41): satellite, reference week and seconds, subframes 1-3.
Frame RawEphem(const NovAtelHeader& header, unsigned prn, const GpsEphemerisFields& f);
// GPSEPHEM (7), or with id 1047 the same layout four bytes longer.
Frame GpsEphem(const NovAtelHeader& header, unsigned prn, const GpsEphemerisFields& f,
               unsigned id = 7);

// ----------------------------------------------------------------- REFSTATION (175)
struct RefStationFields {
  std::uint32_t status = 0;
  double x = 0, y = 0, z = 0;  // m, earth-centred
  std::uint32_t health = 0;
  std::uint32_t station_type = 4;  // 1 RTCM, 2 RTCA, 3 CMR, 4 RTCM 3
  std::string station_id = "0";    // up to 5 characters
};
Frame RefStation(const NovAtelHeader& header, const RefStationFields& f);

// ----------------------------------------------------------------- VERSION (37)
struct VersionComponent {
  std::uint32_t type = 1;  // GPS card
  std::string model, serial, hardware, software, boot, date, time;
};
Frame Version(const NovAtelHeader& header, const std::vector<VersionComponent>& components);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
