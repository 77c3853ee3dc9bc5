#include "tools/rinex_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace Kestrel {
namespace KsParse {
namespace Tool {
namespace Rinex {

std::string HeaderLine(const std::string& content, const char* label) {
  std::string line = content.substr(0, 60);
  line.resize(60, ' ');
  line += label;
  line += '\n';
  return line;
}

Gnss::Calendar CalendarOf(const em_gtime_t& t, std::int32_t week_shift) {
  std::int32_t week = 0;
  double seconds = Gnss::TimeToGps(t, &week);
  seconds = std::round(seconds * 1e7) / 1e7;
  if (seconds >= Gnss::kSecondsPerWeek) {
    seconds -= Gnss::kSecondsPerWeek;
    ++week;
  }
  week += week_shift;
  if (week < 0) week = 0;
  Gnss::Calendar c = Gnss::WeekToCalendar(static_cast<std::uint32_t>(week), seconds);
  // The calendar routine splits the day by integer arithmetic; the fraction
  // of the second is taken from the rounded seconds of week.
  c.second = std::floor(c.second) + (seconds - std::floor(seconds));
  return c;
}

std::string SatelliteId(unsigned sat) {
  char system = 0;
  unsigned number = 0;
  if (sat >= 1 && sat <= 32) {
    system = 'G';
    number = sat;
  } else if (sat >= 38 && sat <= 61) {
    system = 'R';
    number = sat - 37;
  } else if (sat >= 120 && sat <= 138) {
    system = 'S';
    number = sat - 100;
  } else if (sat >= 161 && sat <= 223) {
    system = 'C';
    number = sat - 160;
  } else {
    return std::string();
  }
  char id[8];
  std::snprintf(id, sizeof(id), "%c%02u", system, number);
  return id;
}

std::string RunDate() {
  std::time_t now = std::time(nullptr);
  if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH")) now = static_cast<std::time_t>(std::atoll(fixed));
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof(text), "%Y%m%d %H%M%S UTC", &utc);
  return text;
}

std::int32_t NearestWeek(std::int32_t week, std::int32_t reference) {
  const std::int32_t steps = static_cast<std::int32_t>(std::floor((reference - week + 512) / 1024.0));
  return week + 1024 * steps;
}

}  // namespace Rinex
}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
