#include "tools/sim/nmea_sim.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* fmt, ...) {
  char buf[256];
  va_list args;
  va_start(args, fmt);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return std::string(buf, n < 0 ? 0 : (n < static_cast<int>(sizeof buf) ? n : sizeof buf - 1));
}

// "hhmmss.ss"
std::string Time(const NmeaFix& f) {
  long centis = std::lround(f.second * 100.0);
  if (centis > 5999) centis = 5999;
  if (centis < 0) centis = 0;
  return Format("%02d%02d%02ld.%02ld", f.hour, f.minute, centis / 100, centis % 100);
}

// Degrees and minutes with seven decimals, rounded once so that 60.0 minutes
// never appear.
std::string Angle(double deg, int degree_digits) {
  const long long units = std::llround(std::fabs(deg) * 60.0 * 1e7);
  const long long per_degree = 60LL * 10000000LL;
  const long long minutes = units % per_degree;
  return Format("%0*lld%02lld.%07lld", degree_digits, units / per_degree, minutes / 10000000LL,
                minutes % 10000000LL);
}

std::string Optional(double v, const char* fmt) { return v < 0 ? std::string() : Format(fmt, v); }

}  // namespace

std::string NmeaWrap(const std::string& body) {
  unsigned char sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return "$" + body + Format("*%02X\r\n", sum);
}

std::string NmeaGga(const NmeaFix& f) {
  return NmeaWrap(f.talker + "GGA," + Time(f) + "," + Angle(f.latitude_deg, 2) + "," +
                  (f.latitude_deg < 0 ? "S" : "N") + "," + Angle(f.longitude_deg, 3) + "," +
                  (f.longitude_deg < 0 ? "W" : "E") +
                  Format(",%d,%02d,%.1f,%.3f,M,%.3f,M,", f.quality, f.sats_used, f.hdop, f.altitude,
                         f.geoid_separation) +
                  Optional(f.diff_age, "%.1f") + ",");
}

std::string NmeaRmc(const NmeaFix& f) {
  return NmeaWrap(f.talker + "RMC," + Time(f) + (f.quality > 0 ? ",A," : ",V,") +
                  Angle(f.latitude_deg, 2) + "," + (f.latitude_deg < 0 ? "S" : "N") + "," +
                  Angle(f.longitude_deg, 3) + "," + (f.longitude_deg < 0 ? "W" : "E") +
                  Format(",%.3f,%.2f,%02d%02d%02d,,,A", f.speed_knots, f.course_deg, f.day, f.month,
                         f.year % 100));
}

std::string NmeaGsa(const NmeaFix& f) {
  std::string body = f.talker + Format("GSA,A,%d", f.fix_type);
  for (std::size_t i = 0; i < 12; ++i)
    body += i < f.used_prns.size() ? Format(",%02d", f.used_prns[i]) : std::string(",");
  body += Format(",%.2f,%.2f,%.2f", f.pdop, f.hdop, f.vdop);
  return NmeaWrap(body);
}

std::string NmeaGst(const NmeaFix& f) {
  return NmeaWrap("GPGST," + Time(f) +
                  Format(",%.3f,,,,%.3f,%.3f,%.3f", f.rms, f.sigma_lat, f.sigma_lon, f.sigma_alt));
}

std::string NmeaZda(const NmeaFix& f) {
  return NmeaWrap("GPZDA," + Time(f) + Format(",%02d,%02d,%04d,00,00", f.day, f.month, f.year));
}

std::string NmeaGsv(const std::string& talker, const std::vector<NmeaSatellite>& sats) {
  const std::size_t total = sats.empty() ? 1 : (sats.size() + 3) / 4;
  std::string out;
  for (std::size_t m = 0; m < total; ++m) {
    std::string body = talker + Format("GSV,%u,%u,%02u", static_cast<unsigned>(total), static_cast<unsigned>(m + 1),
                                       static_cast<unsigned>(sats.size()));
    for (std::size_t i = m * 4; i < sats.size() && i < m * 4 + 4; ++i) {
      const NmeaSatellite& s = sats[i];
      body += Format(",%02d,%02d,%03d,", s.prn, s.elevation, s.azimuth);
      if (s.snr >= 0) body += Format("%02d", s.snr);
    }
    out += NmeaWrap(body);
  }
  return out;
}

std::string NmeaEpoch(const NmeaFix& f) {
  std::string out = NmeaRmc(f) + NmeaGga(f) + NmeaGsa(f) + NmeaGst(f);
  if (!f.gps.empty()) out += NmeaGsv("GP", f.gps);
  if (!f.glonass.empty()) out += NmeaGsv("GL", f.glonass);
  if (!f.beidou.empty()) out += NmeaGsv("BD", f.beidou);
  return out + NmeaZda(f);
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
