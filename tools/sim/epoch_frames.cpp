// The frames that one trajectory epoch becomes in each output family.
#include <algorithm>
#include <cmath>

#include "tools/sim/nmea_sim.h"
#include "tools/sim/novatel_sim.h"
#include "tools/sim/rtcm_sim.h"
#include "tools/sim/stream_composer.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

using Frames = std::vector<std::vector<std::uint8_t>>;

constexpr double kKnotsPerMetrePerSecond = 1.9438444924406046;
constexpr unsigned kGlonassNmeaOffset = 64;    // NMEA numbers GLONASS slots from 65
constexpr unsigned kGlonassRangeCmpOffset = 37;  // RANGECMP numbers them from 38
constexpr double kTransformPeriod = 10.0;      // seconds between transformation messages

int Rounded(double value) { return static_cast<int>(std::lround(value)); }

unsigned UsedCount(const TrajectoryEpoch& e) {
  return static_cast<unsigned>(std::count_if(e.satellites.begin(), e.satellites.end(),
                                             [](const SatelliteState& s) { return s.used; }));
}

NmeaFix FixOf(const TrajectoryEpoch& e) {
  NmeaFix fix;
  fix.year = e.utc.year;
  fix.month = e.utc.month;
  fix.day = e.utc.day;
  fix.hour = e.utc.hour;
  fix.minute = e.utc.minute;
  fix.second = e.utc.second;
  fix.latitude_deg = e.latitude_deg;
  fix.longitude_deg = e.longitude_deg;
  fix.altitude = e.height_m - e.geoid_separation_m;
  fix.geoid_separation = e.geoid_separation_m;
  fix.quality = e.quality;
  fix.sats_used = static_cast<int>(UsedCount(e));
  fix.diff_age = e.diff_age_s;
  fix.pdop = e.pdop;
  fix.hdop = e.hdop;
  fix.vdop = e.vdop;
  fix.speed_knots = e.speed_mps * kKnotsPerMetrePerSecond;
  fix.course_deg = e.course_deg;
  fix.rms = e.rms_m;
  fix.sigma_lat = e.sigma_lat_m;
  fix.sigma_lon = e.sigma_lon_m;
  fix.sigma_alt = e.sigma_height_m;
  for (const SatelliteState& s : e.satellites) {
    NmeaSatellite sat;
    sat.elevation = Rounded(s.elevation_deg);
    sat.azimuth = Rounded(s.azimuth_deg) % 360;
    sat.snr = Rounded(s.cn0_l1);
    switch (s.system) {
      case Constellation::kGps:
        sat.prn = static_cast<int>(s.prn);
        fix.gps.push_back(sat);
        if (s.used) fix.used_prns.push_back(sat.prn);
        break;
      case Constellation::kGlonass:
        sat.prn = static_cast<int>(s.prn + kGlonassNmeaOffset);
        fix.glonass.push_back(sat);
        break;
      case Constellation::kBeidou:
        sat.prn = static_cast<int>(s.prn);
        fix.beidou.push_back(sat);
        break;
    }
  }
  return fix;
}

// Splits text made of whole sentences into one frame per sentence.
void AppendSentences(const std::string& text, Frames& frames) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    const std::size_t stop = end == std::string::npos ? text.size() : end + 2;
    frames.emplace_back(text.begin() + static_cast<std::ptrdiff_t>(start),
                        text.begin() + static_cast<std::ptrdiff_t>(stop));
    start = stop;
  }
}

NovAtelHeader HeaderOf(const TrajectoryEpoch& e, std::uint16_t sequence) {
  NovAtelHeader h;
  h.week = e.gps_week;
  h.milliseconds = static_cast<std::uint32_t>(std::llround(e.gps_seconds * 1000.0));
  h.sequence = sequence;
  return h;
}

std::uint32_t PositionType(int quality) {
  switch (quality) {
    case 2:
      return 17;  // PSRDIFF
    case 5:
      return 34;  // NARROW_FLOAT
    case 4:
      return 50;  // NARROW_INT
    default:
      return 16;  // SINGLE
  }
}

// A plausible broadcast orbit for a satellite, varied by PRN.
GpsEphemerisFields EphemerisOf(const TrajectoryEpoch& e, unsigned prn) {
  GpsEphemerisFields f;
  f.week = e.gps_week;
  f.tow = std::floor(e.gps_seconds / 30.0) * 30.0;
  f.toe = f.toc = std::floor(e.gps_seconds / 7200.0) * 7200.0;
  f.iode = (prn * 7 + 11) & 0xFF;
  f.iodc = f.iode;
  f.A = 26559700.0 + prn * 113.0;
  f.e = 0.002 + prn * 0.0003;
  f.i0 = 0.95 + prn * 0.001;
  f.OMG0 = -2.8 + prn * 0.17;
  f.omg = 0.5 + prn * 0.05;
  f.M0 = -3.0 + prn * 0.19;
  f.deln = 4.5e-9;
  f.OMGd = -8.1e-9;
  f.idot = 1.2e-10;
  f.crc = 210.5;
  f.crs = -12.25;
  f.cuc = -6.2e-7;
  f.cus = 8.1e-6;
  f.cic = 5.6e-8;
  f.cis = -1.3e-7;
  f.f0 = 1.0e-4 * (static_cast<double>(prn % 7) - 3.0);
  f.f1 = -1.1e-12;
  f.tgd = -5.1e-9;
  return f;
}

unsigned Cn0(double dbhz) { return static_cast<unsigned>(std::clamp(std::lround(dbhz), 20L, 51L)); }

// Ionospheric delay on L1 (metres) and the phase offset of a PRN's fixed
// ambiguity, which keep the 1004 phase fields well inside their range.
double IonoDelay(const SatelliteState& s) { return 2.0 + 1.5 * std::cos(s.elevation_deg * 0.0174533); }
double AmbiguityOffset(unsigned prn, double scale) { return (static_cast<double>((prn * 37) % 200) - 100.0) * scale; }

Frames TransformationFrames() {
  Frames frames;
  RtcmHelmertFields helmert;
  helmert.source_name = "ITRF2014";
  helmert.target_name = "CGCS2000";
  helmert.system_id = 1;
  helmert.utilized = 0x7F;
  helmert.computation = 0;
  helmert.lat0 = 55800;    // 31 degrees in 2" units
  helmert.lon0 = 217800;   // 121 degrees
  helmert.ext_ns = 3600;   // 2 degrees
  helmert.ext_ew = 3600;
  helmert.dx = 123;        // mm
  helmert.dy = -456;
  helmert.dz = 789;
  helmert.r1 = 500;        // 0.01"
  helmert.r2 = -250;
  helmert.r3 = 125;
  helmert.ds = 50000;      // 0.5 ppm
  helmert.src_a = 8137000;  // 6378137 m
  helmert.src_b = 6752314;  // 6356752.314 m
  helmert.tgt_a = 8137000;
  helmert.tgt_b = 6752314;
  helmert.xp = -2850000000;  // mm
  helmert.yp = 4650000000;
  helmert.zp = 3290000000;
  frames.push_back(Rtcm1021(helmert));
  helmert.computation = 1;
  frames.push_back(Rtcm1022(helmert));

  RtcmGridFields grid;
  grid.system_id = 1;
  grid.origin1 = 223200;   // 31 degrees in 0.5"
  grid.origin2 = 871200;   // 121 degrees
  grid.spacing1 = 600;     // 300"
  grid.spacing2 = 600;
  grid.mean1 = 5;
  grid.mean2 = -3;
  grid.mean_height = 1250;  // 12.5 m
  for (unsigned i = 0; i < 16; ++i) {
    grid.residual[i][0] = static_cast<std::int64_t>(i) * 3 - 20;
    grid.residual[i][1] = 15 - static_cast<std::int64_t>(i) * 2;
    grid.residual[i][2] = static_cast<std::int64_t>(i * i) - 100;
  }
  grid.horizontal_method = 1;
  grid.vertical_method = 2;
  grid.horizontal_quality = 3;
  grid.vertical_quality = 1;
  grid.mjd = 61113;  // 2026-03-14
  frames.push_back(Rtcm1023(grid));
  grid.origin1 = 345000;   // 3450 km northing in 10 m
  grid.origin2 = 50000;    // 500 km easting
  grid.spacing1 = grid.spacing2 = 100;  // 1 km
  frames.push_back(Rtcm1024(grid));

  RtcmProjectionFields projection;
  projection.system_id = 1;
  projection.projection_type = 1;
  projection.lon_origin = 11000000000;  // 121 degrees in 0.000000011 degrees
  projection.scale = 700000000;         // 1000000 ppm
  projection.easting = 500000000;       // 500 km in mm
  frames.push_back(Rtcm1025(projection));
  projection.projection_type = 2;
  projection.lat_origin = 2818181818;   // 31 degrees
  projection.lat_parallel1 = 2272727273;  // 25 degrees
  projection.lat_parallel2 = 4272727273;  // 47 degrees
  projection.easting = 0;
  frames.push_back(Rtcm1026(projection));

  Rtcm1027Fields oblique;
  oblique.system_id = 1;
  oblique.projection_type = 3;
  oblique.rectified = 1;
  oblique.lat_centre = 2836363636;   // 31.2 degrees
  oblique.lon_centre = 11045454545;  // 121.5 degrees
  oblique.azimuth = 4090909091;      // 45 degrees
  oblique.skew_angle = 27272727;     // 0.3 degrees
  oblique.scale = 660000000;         // 999600 ppm
  oblique.easting = 500000000;
  oblique.northing = 0;
  frames.push_back(Rtcm1027(oblique));
  return frames;
}

}  // namespace

Frames NmeaEpochFrames(const TrajectoryEpoch& epoch) {
  Frames frames;
  AppendSentences(NmeaEpoch(FixOf(epoch)), frames);
  return frames;
}

Frames NovAtelEpochFrames(const TrajectoryEpoch& epoch, bool first) {
  Frames frames;
  std::uint16_t sequence = 0;
  if (first) {
    for (const SatelliteState& s : epoch.satellites)
      if (s.system == Constellation::kGps)
        frames.push_back(RawEphem(HeaderOf(epoch, sequence++), s.prn, EphemerisOf(epoch, s.prn)));
  }
  BestPosFields pos;
  pos.position_type = PositionType(epoch.quality);
  pos.latitude = epoch.latitude_deg;
  pos.longitude = epoch.longitude_deg;
  pos.height = epoch.height_m - epoch.geoid_separation_m;
  pos.undulation = static_cast<float>(epoch.geoid_separation_m);
  pos.lat_sigma = static_cast<float>(epoch.sigma_lat_m);
  pos.lon_sigma = static_cast<float>(epoch.sigma_lon_m);
  pos.height_sigma = static_cast<float>(epoch.sigma_height_m);
  pos.diff_age = static_cast<float>(epoch.diff_age_s < 0 ? 0.0 : epoch.diff_age_s);
  pos.tracked = static_cast<std::uint8_t>(epoch.satellites.size());
  pos.in_solution = static_cast<std::uint8_t>(UsedCount(epoch));
  pos.gps_glonass_mask = 0x13;
  frames.push_back(BestPos(HeaderOf(epoch, sequence++), pos));

  PsrDopFields dop;
  dop.pdop = static_cast<float>(epoch.pdop);
  dop.hdop = static_cast<float>(epoch.hdop);
  dop.tdop = static_cast<float>(epoch.hdop * 0.8);
  dop.htdop = static_cast<float>(std::hypot(epoch.hdop, epoch.hdop * 0.8));
  dop.gdop = static_cast<float>(std::hypot(epoch.pdop, epoch.hdop * 0.8));
  dop.cutoff = 10.0f;
  for (const SatelliteState& s : epoch.satellites)
    if (s.used && s.system == Constellation::kGps) dop.prns.push_back(s.prn);
  frames.push_back(PsrDop(HeaderOf(epoch, sequence++), dop));

  std::vector<RangeCmpRecord> ranges;
  const double lock = epoch.t + 120.0;
  for (const SatelliteState& s : epoch.satellites) {
    switch (s.system) {
      case Constellation::kGps:
        ranges.push_back(RangeCmpObservation(s.prn, 0, 0, s.range_m, s.range_rate_mps, Cn0(s.cn0_l1), lock));
        ranges.push_back(RangeCmpObservation(s.prn, 0, 9, s.range_m, s.range_rate_mps, Cn0(s.cn0_l2), lock));
        break;
      case Constellation::kGlonass:
        ranges.push_back(RangeCmpObservation(s.prn + kGlonassRangeCmpOffset, 1, 0, s.range_m, s.range_rate_mps,
                                             Cn0(s.cn0_l1), lock));
        break;
      case Constellation::kBeidou:
        ranges.push_back(RangeCmpObservation(s.prn, 4, 0, s.range_m, s.range_rate_mps, Cn0(s.cn0_l1), lock));
        break;
    }
  }
  frames.push_back(RangeCmp(HeaderOf(epoch, sequence++), ranges));

  // The NMEA logs a NovAtel receiver is usually asked for beside its own.
  const NmeaFix fix = FixOf(epoch);
  AppendSentences(NmeaGga(fix) + NmeaGsa(fix) + NmeaGsv("GP", fix.gps) + NmeaGsv("GL", fix.glonass) +
                      NmeaGsv("BD", fix.beidou),
                  frames);
  return frames;
}

Frames RtcmEpochFrames(const TrajectoryEpoch& epoch, bool first) {
  Frames frames;
  const double since_period = std::fmod(epoch.t + 1e-6, kTransformPeriod);
  if (first || since_period < 2e-6) frames = TransformationFrames();
  Rtcm1004Header header;
  header.station_id = 1;
  header.tow_ms = static_cast<std::uint32_t>(std::llround(epoch.gps_seconds * 1000.0));
  std::vector<Rtcm1004Satellite> sats;
  for (const SatelliteState& s : epoch.satellites) {
    if (s.system != Constellation::kGps) continue;
    const double iono = IonoDelay(s);
    const double p1 = s.range_m + iono;
    const double p2 = s.range_m + 1.65 * iono;
    sats.push_back(Rtcm1004Observation(s.prn, p1, p2, -2.0 * iono + AmbiguityOffset(s.prn, 0.19),
                                       -2.65 * iono + AmbiguityOffset(s.prn, 0.244), s.cn0_l1, s.cn0_l2));
  }
  frames.push_back(Rtcm1004(header, sats));
  return frames;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
