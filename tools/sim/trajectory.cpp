#include "tools/sim/trajectory.h"

#include <cmath>

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371000.0;
constexpr double kMetresPerDegreeLat = 111320.0;

constexpr double kStartLat = 31.2304;
constexpr double kStartLon = 121.4737;
constexpr double kStartHeight = 37.5;      // ellipsoidal
constexpr double kGeoidSeparation = 9.8;   // geoid above ellipsoid
constexpr double kStillSeconds = 4.0;      // before the rover starts to move
constexpr double kCircleRadius = 40.0;     // metres
constexpr double kSpeed = 2.0;             // metres per second
constexpr double kElevationMask = 10.0;    // degrees

struct SystemPlan {
  Constellation system;
  unsigned prns[10];
  unsigned count;
  double orbit_height_m;
};

constexpr SystemPlan kPlans[] = {
    {Constellation::kGps, {2, 5, 7, 13, 15, 18, 20, 24, 29, 30}, 10, 20200000.0},
    {Constellation::kGlonass, {1, 2, 8, 10, 17, 23}, 6, 19100000.0},
    {Constellation::kBeidou, {6, 9, 11, 14, 19, 22, 24}, 7, 21500000.0},
};

double Radians(double degrees) { return degrees * kPi / 180.0; }

// Distance to a satellite at `height` above a spherical earth seen at
// `elevation`.
double SlantRange(double elevation_deg, double height) {
  const double s = std::sin(Radians(elevation_deg));
  const double r = kEarthRadius + height;
  return std::sqrt(r * r - kEarthRadius * kEarthRadius * (1.0 - s * s)) - kEarthRadius * s;
}

}  // namespace

std::uint64_t SimRandom::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double SimRandom::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

std::uint32_t SimRandom::Below(std::uint32_t n) {
  return n == 0 ? 0 : static_cast<std::uint32_t>(Uniform() * n);
}

Trajectory::Trajectory(std::uint32_t seed) : seed_(seed) {
  SimRandom random(seed);
  for (const SystemPlan& plan : kPlans) {
    for (unsigned i = 0; i < plan.count; ++i) {
      Orbit orbit;
      orbit.system = plan.system;
      orbit.prn = plan.prns[i];
      // Spread over the sky: azimuths in sectors, elevations 12-80 degrees.
      orbit.azimuth0 = 360.0 * (i + random.Uniform()) / plan.count;
      orbit.elevation0 = 12.0 + 68.0 * random.Uniform();
      orbit.azimuth_rate = 0.002 + 0.004 * random.Uniform();
      orbit.elevation_rate = (random.Uniform() - 0.5) * 0.006;
      orbit.cn0_offset = (random.Uniform() - 0.5) * 4.0;
      orbit.orbit_height_m = plan.orbit_height_m;
      orbits_.push_back(orbit);
    }
  }
}

TrajectoryEpoch Trajectory::At(double t) const {
  TrajectoryEpoch e;
  e.t = t;
  const double gps_total = kStartSeconds + t;
  const double weeks = std::floor(gps_total / Gnss::kSecondsPerWeek);
  e.gps_week = kStartWeek + static_cast<unsigned>(weeks);
  e.gps_seconds = gps_total - weeks * Gnss::kSecondsPerWeek;
  e.utc = Gnss::WeekToCalendar(e.gps_week, e.gps_seconds - kLeapSeconds);

  // Still at the start, then counter-clockwise round a circle whose
  // southernmost point is the start.
  const double moving = t > kStillSeconds ? t - kStillSeconds : 0.0;
  const double angle = moving * kSpeed / kCircleRadius;  // radians travelled
  const double north = kCircleRadius * (1.0 - std::cos(angle));
  const double east = kCircleRadius * std::sin(angle);
  e.latitude_deg = kStartLat + north / kMetresPerDegreeLat;
  e.longitude_deg = kStartLon + east / (kMetresPerDegreeLat * std::cos(Radians(kStartLat)));
  e.height_m = kStartHeight + 0.4 * std::sin(t / 15.0);
  e.geoid_separation_m = kGeoidSeparation;
  e.speed_mps = t > kStillSeconds ? kSpeed : 0.0;
  e.course_deg = t > kStillSeconds ? std::fmod(90.0 - angle * 180.0 / kPi + 360.0, 360.0) : 0.0;

  // The solution improves as corrections arrive and ambiguities resolve.
  if (t < 2.0) {
    e.quality = 1;
  } else if (t < 4.0) {
    e.quality = 2;
  } else if (t < 7.0) {
    e.quality = 5;
  } else {
    e.quality = 4;
  }
  e.diff_age_s = e.quality == 1 ? -1.0 : 1.0 + std::fmod(t, 2.0) * 0.5;
  const double sigma = e.quality == 4 ? 0.012 : e.quality == 5 ? 0.25 : e.quality == 2 ? 0.6 : 1.8;
  e.sigma_lat_m = sigma;
  e.sigma_lon_m = sigma * 0.8;
  e.sigma_height_m = sigma * 1.7;
  e.rms_m = sigma * 2.0;

  SimRandom jitter(static_cast<std::uint64_t>(seed_) * 1000003u + static_cast<std::uint64_t>(t * 1000.0));
  unsigned used = 0;
  for (const Orbit& orbit : orbits_) {
    SatelliteState s;
    s.system = orbit.system;
    s.prn = orbit.prn;
    s.elevation_deg = orbit.elevation0 + orbit.elevation_rate * t;
    s.azimuth_deg = std::fmod(orbit.azimuth0 + orbit.azimuth_rate * t, 360.0);
    const double strength = 32.0 + 16.0 * std::sin(Radians(s.elevation_deg)) + orbit.cn0_offset;
    s.cn0_l1 = strength + (jitter.Uniform() - 0.5);
    s.cn0_l2 = strength - 6.0 + (jitter.Uniform() - 0.5);
    s.range_m = SlantRange(s.elevation_deg, orbit.orbit_height_m);
    s.range_rate_mps = (SlantRange(s.elevation_deg + orbit.elevation_rate * 0.5, orbit.orbit_height_m) -
                        SlantRange(s.elevation_deg - orbit.elevation_rate * 0.5, orbit.orbit_height_m));
    s.used = s.elevation_deg > kElevationMask;
    if (s.used) ++used;
    e.satellites.push_back(s);
  }
  // Dilution of precision falls with the number of satellites used.
  e.hdop = 0.5 + 6.0 / (used > 0 ? used : 1);
  e.vdop = e.hdop * 1.4;
  e.pdop = std::sqrt(e.hdop * e.hdop + e.vdop * e.vdop);
  return e;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
