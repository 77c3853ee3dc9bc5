// Builds complete RTCM 3 frames (preamble 0xD3, 10-bit length, message,
// CRC-24Q) for simulated correction streams, tests, benchmarks and fuzz seeds.
//
// Field structs hold raw field values, not physical quantities: each is
// written as the low bits of its value in its message width, so a test can
// place any bit pattern (invalid markers, sign extremes) in any field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

using Frame = std::vector<std::uint8_t>;

// Wraps a message (its first 12 bits the message number) into a frame,
// padding it to whole bytes. Messages above 1023 bytes do not fit the length
// field; the caller keeps below that.
Frame RtcmFrame(const BitWriter& message);

// ----------------------------------------------------------------- 1004
struct Rtcm1004Header {
  unsigned station_id = 0;      // 12 bits
  std::uint32_t tow_ms = 0;     // 30 bits, GPS time of week in ms
  bool synchronous = false;
  bool smoothing = false;
  unsigned smoothing_interval = 0;  // 3 bits
};

struct Rtcm1004Satellite {
  unsigned prn = 1;             // 6 bits: GPS PRN, or SBAS PRN - 80
  unsigned l1_code = 0;         // 1 bit: 1 = P code
  std::uint64_t pr1 = 0;        // 24 bits, 0.02 m, modulo one light-millisecond
  std::int64_t ppr1 = 0;        // 20 bits, 0.0005 m; -524288 = invalid
  unsigned lock1 = 0;           // 7 bits, lock-time indicator
  unsigned amb = 0;             // 8 bits, whole light-milliseconds
  unsigned cnr1 = 0;            // 8 bits, 0.25 dB-Hz
  unsigned l2_code = 0;         // 2 bits
  std::int64_t pr21 = 0;        // 14 bits, 0.02 m, L2 - L1; -8192 = invalid
  std::int64_t ppr2 = 0;        // 20 bits, 0.0005 m; -524288 = invalid
  unsigned lock2 = 0;
  unsigned cnr2 = 0;
};

// Fields for a satellite with the given L1 and L2 pseudoranges (metres), L1
// and L2 phase ranges minus the L1 pseudorange (metres), and signal strengths
// (dB-Hz); the lock-time indicators are set to their maximum. Differences
// outside what the fields can hold get the fields' invalid markers.
Rtcm1004Satellite Rtcm1004Observation(unsigned prn, double pseudorange_l1, double pseudorange_l2,
                                      double phase_l1_minus_p1, double phase_l2_minus_p1, double cn0_l1,
                                      double cn0_l2);

// One block per satellite, in the order given (at most 31 are counted in the
// header's 5-bit satellite count; all are written).
Frame Rtcm1004(const Rtcm1004Header& header, const std::vector<Rtcm1004Satellite>& satellites);

// ----------------------------------------------------------------- 1021, 1022
struct RtcmHelmertFields {
  std::string source_name;      // up to 31 bytes
  std::string target_name;      // up to 31 bytes
  unsigned system_id = 0;       // 8 bits
  unsigned utilized = 0;        // 10 bits, utilized transformation messages
  unsigned plate = 0;           // 5 bits
  unsigned computation = 0;     // 4 bits
  unsigned height = 0;          // 2 bits
  std::int64_t lat0 = 0;        // 19 bits, 2 arc-seconds
  std::int64_t lon0 = 0;        // 20 bits
  std::uint64_t ext_ns = 0;     // 14 bits
  std::uint64_t ext_ew = 0;     // 14 bits
  std::int64_t dx = 0, dy = 0, dz = 0;  // 23 bits each, mm
  std::int64_t r1 = 0, r2 = 0, r3 = 0;  // 32 bits each, 0.00002 arc-seconds
  std::int64_t ds = 0;          // 25 bits, 0.00001 ppm
  std::int64_t xp = 0, yp = 0, zp = 0;  // 35 bits each, mm (1022 only)
  std::uint64_t src_a = 0;      // 24 bits, mm above 6370000 m
  std::uint64_t src_b = 0;      // 25 bits, mm above 6350000 m
  std::uint64_t tgt_a = 0;
  std::uint64_t tgt_b = 0;
  unsigned horizontal_quality = 0;  // 3 bits
  unsigned vertical_quality = 0;    // 3 bits
};

Frame Rtcm1021(const RtcmHelmertFields& fields);
Frame Rtcm1022(const RtcmHelmertFields& fields);

// ----------------------------------------------------------------- 1023, 1024
struct RtcmGridFields {
  unsigned system_id = 0;       // 8 bits
  unsigned horizontal_shift = 0;  // 1 bit
  unsigned vertical_shift = 0;    // 1 bit
  std::int64_t origin1 = 0;     // 1023: 21 bits; 1024: 25 bits
  std::int64_t origin2 = 0;     // 1023: 22 bits; 1024: 26 bits (unsigned)
  std::uint64_t spacing1 = 0;   // 12 bits
  std::uint64_t spacing2 = 0;   // 12 bits
  std::int64_t mean1 = 0;       // 1023: 8 bits; 1024: 10 bits
  std::int64_t mean2 = 0;
  std::int64_t mean_height = 0; // 15 bits
  std::int64_t residual[16][3] = {};  // 9 bits each
  unsigned horizontal_method = 0;   // 2 bits
  unsigned vertical_method = 0;     // 2 bits
  unsigned horizontal_quality = 0;  // 3 bits
  unsigned vertical_quality = 0;    // 3 bits
  unsigned mjd = 0;                 // 16 bits
};

Frame Rtcm1023(const RtcmGridFields& fields);
Frame Rtcm1024(const RtcmGridFields& fields);

// ----------------------------------------------------------------- 1027
struct Rtcm1027Fields {
  unsigned system_id = 0;       // 8 bits
  unsigned projection_type = 0; // 6 bits
  unsigned rectified = 0;       // 1 bit
  std::int64_t lat_centre = 0;  // 34 bits, 0.000000011 degrees
  std::int64_t lon_centre = 0;  // 35 bits
  std::uint64_t azimuth = 0;    // 35 bits
  std::int64_t skew_angle = 0;  // 26 bits
  std::uint64_t scale = 0;      // 30 bits, 0.00001 ppm above 993000 ppm
  std::uint64_t easting = 0;    // 36 bits, mm
  std::int64_t northing = 0;    // 35 bits, mm
};

Frame Rtcm1027(const Rtcm1027Fields& fields);

// ----------------------------------------------------------------- 1025, 1026
// Projection parameters (1025: every projection type but the two below;
// 1026: Lambert conformal conic with two standard parallels).
struct RtcmProjectionFields {
  unsigned system_id = 0;       // 8 bits
  unsigned projection_type = 0; // 6 bits
  std::int64_t lat_origin = 0;  // 34 bits, 0.000000011 degrees
  std::int64_t lon_origin = 0;  // 35 bits
  std::uint64_t scale = 0;      // 1025: 30 bits, 0.00001 ppm above 993000 ppm
  std::int64_t lat_parallel1 = 0;  // 1026: 34 bits each
  std::int64_t lat_parallel2 = 0;
  std::uint64_t easting = 0;    // 36 bits, mm
  std::int64_t northing = 0;    // 35 bits, mm
};

Frame Rtcm1025(const RtcmProjectionFields& fields);
Frame Rtcm1026(const RtcmProjectionFields& fields);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
