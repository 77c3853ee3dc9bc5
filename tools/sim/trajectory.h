// The scripted trajectory behind every simulated receiver stream: a rover
// that starts still, then drives a 40 m circle, with a solution that
// improves from single point to RTK fixed, and satellites of GPS, GLONASS and
// BeiDou that move slowly across the sky. Everything follows from the time
// and the seed, so streams are reproducible on every platform.
#pragma once

#include <cstdint>
#include <vector>

#include "boards/gnss_utils.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

enum class Constellation : std::uint8_t { kGps, kGlonass, kBeidou };

struct SatelliteState {
  Constellation system;
  unsigned prn;             // GPS 1-32, GLONASS slot 1-24, BeiDou 1-63
  double elevation_deg;
  double azimuth_deg;       // 0-360
  double cn0_l1;            // dB-Hz
  double cn0_l2;
  double range_m;           // geometric range
  double range_rate_mps;
  bool used;                // in the solution (elevation above the mask)
};

struct TrajectoryEpoch {
  double t;                 // seconds since the start
  unsigned gps_week;
  double gps_seconds;       // of week
  Gnss::Calendar utc;
  double latitude_deg;
  double longitude_deg;
  double height_m;          // ellipsoidal
  double geoid_separation_m;
  double speed_mps;
  double course_deg;
  int quality;              // NMEA fix quality: 1 single, 2 DGPS, 5 float, 4 fixed
  double diff_age_s;        // negative without corrections
  double pdop, hdop, vdop;
  double sigma_lat_m, sigma_lon_m, sigma_height_m, rms_m;
  std::vector<SatelliteState> satellites;  // GPS, then GLONASS, then BeiDou
};

class Trajectory {
 public:
  // Start: 2026-03-14 08:00:00 UTC (GPS week 2409), near 31.2 N 121.4 E.
  static constexpr unsigned kStartWeek = 2409;
  static constexpr double kStartSeconds = 547218.0;  // GPS seconds of week
  static constexpr int kLeapSeconds = 18;            // GPS - UTC

  explicit Trajectory(std::uint32_t seed);
  TrajectoryEpoch At(double t) const;

 private:
  struct Orbit {
    Constellation system;
    unsigned prn;
    double elevation0, elevation_rate;  // degrees, degrees per second
    double azimuth0, azimuth_rate;
    double cn0_offset;
    double orbit_height_m;
  };
  std::vector<Orbit> orbits_;
  std::uint32_t seed_;
};

// A reproducible pseudo-random stream (splitmix64): the same numbers on
// every platform, unlike the standard distributions.
class SimRandom {
 public:
  explicit SimRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // Uniform in [0, 1).
  double Uniform();
  // Uniform integer in [0, n).
  std::uint32_t Below(std::uint32_t n);

 private:
  std::uint64_t state_;
};

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
