// Builds NMEA 0183 sentences with correct checksums from a small set of fix
// values, for tests, benchmarks, fuzz seeds and `ksgnss sim nmea`.
//
// Every function returns complete sentences, "$...*hh\r\n". Values are
// formatted the way common receivers print them (latitude ddmm.mmmmmmm,
// time hhmmss.ss); negative optional values leave their field empty.
#pragma once

#include <string>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Sim {

struct NmeaSatellite {
  int prn = 0;        // as sent: GPS 1..32, GLONASS 65..96, BeiDou 1..63
  int elevation = 0;  // degrees
  int azimuth = 0;    // degrees
  int snr = -1;       // dB-Hz; negative: empty field (not tracked)
};

struct NmeaFix {
  std::string talker = "GP";  // talker of GGA, GSA and RMC ("GP" or "GN"); GST and ZDA use GP
  int year = 2026;            // four digits (RMC prints two)
  int month = 1;
  int day = 1;
  int hour = 0;               // UTC
  int minute = 0;
  double second = 0;
  double latitude_deg = 0;    // south negative
  double longitude_deg = 0;   // west negative
  double altitude = 0;        // metres above the geoid
  double geoid_separation = 0;
  int quality = 1;            // GGA fix quality (0 none, 1 GPS, 2 DGPS, 4 RTK fixed, 5 float)
  int sats_used = 0;
  double diff_age = -1;       // seconds; negative: empty field
  int fix_type = 3;           // GSA: 1 none, 2 2-D, 3 3-D
  std::vector<int> used_prns; // GSA: the first 12 are printed
  double pdop = 0;
  double hdop = 0;
  double vdop = 0;
  double speed_knots = 0;
  double course_deg = 0;
  double rms = 0;             // GST range RMS
  double sigma_lat = 0;       // GST standard deviations, metres
  double sigma_lon = 0;
  double sigma_alt = 0;
  std::vector<NmeaSatellite> gps;      // GPGSV
  std::vector<NmeaSatellite> glonass;  // GLGSV
  std::vector<NmeaSatellite> beidou;   // BDGSV
};

// "$" + body + "*" + checksum + CR LF; `body` is the text between '$' and '*'.
std::string NmeaWrap(const std::string& body);

std::string NmeaGga(const NmeaFix& fix);
std::string NmeaRmc(const NmeaFix& fix);
std::string NmeaGsa(const NmeaFix& fix);
std::string NmeaGst(const NmeaFix& fix);
std::string NmeaZda(const NmeaFix& fix);
// One GSV group (four satellites per sentence; one empty sentence for an
// empty list), `talker` "GP", "GL" or "BD".
std::string NmeaGsv(const std::string& talker, const std::vector<NmeaSatellite>& sats);
// A whole epoch in the order receivers send it: RMC, GGA, GSA, GST, the GSV
// groups of the systems with satellites, ZDA.
std::string NmeaEpoch(const NmeaFix& fix);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
