// GNSS time values: calendar and GPS week/seconds conversions.
//
// Whole-second counts are computed with days-from-civil arithmetic in UTC
// rather than the C library's mktime, so that the results never depend on
// the process's time zone or daylight-saving rules.
#include <cmath>
#include <cstdint>

#include "boards/gnss_utils.h"
#include "platform/system_time.h"

namespace Kestrel {
namespace KsParse {
namespace Gnss {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kWeekSeconds = 604800;
// Calendar fields beyond this magnitude are cut here, far outside any real
// date but small enough that no count below can overflow.
constexpr double kFieldLimit = 1e9;

// A double field to a whole number, truncated toward zero like a C cast but
// bounded (and 0 for NaN) so that the conversion is always defined.
std::int64_t Whole(double v) {
  if (!(v == v)) return 0;
  if (v > kFieldLimit) v = kFieldLimit;
  if (v < -kFieldLimit) v = -kFieldLimit;
  return static_cast<std::int64_t>(v);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days from 1970-01-01 to the given proleptic Gregorian date (month 1..12).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;                                // 0..399
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;  // 0..365
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;        // 0..146096
  return era * 146097 + doe - 719468;
}

// Difference of two whole-second counts without signed overflow.
std::int64_t WrapSub(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

bool WithinSecondsRange(double s) { return s >= -1e9 && s <= 1e9; }

}  // namespace

em_gtime_t EpochToTime(double year, double month, double day, double hour, double minute,
                       double second) {
  std::int64_t carry = 0;
  if (second >= 60.0) {
    second -= 60.0;
    carry = 60;
  } else if (second < 0.0) {
    second += 60.0;
    carry = -60;
  }
  const std::int64_t whole = Whole(second);
  std::int64_t y = Whole(year);
  std::int64_t m0 = Whole(month) - 1;  // months carry into years, as with mktime
  y += FloorDiv(m0, 12);
  m0 -= FloorDiv(m0, 12) * 12;
  const std::int64_t days = DaysFromCivil(y, m0 + 1, 1) + Whole(day) - 1;
  em_gtime_t t;
  t.time = days * kSecondsPerDay + Whole(hour) * 3600 + Whole(minute) * 60 + whole + carry;
  t.sec = second - static_cast<double>(whole);
  return t;
}

em_gtime_t GpsToTime(std::uint32_t week, double seconds) {
  if (!WithinSecondsRange(seconds)) seconds = 0.0;
  const std::int64_t whole = static_cast<std::int64_t>(seconds);
  em_gtime_t t;
  t.time = kGpsEpoch + static_cast<std::int64_t>(week) * kWeekSeconds + whole;
  t.sec = seconds - static_cast<double>(whole);
  return t;
}

double TimeToGps(const em_gtime_t& t, std::int32_t* week) {
  const std::int64_t since = WrapSub(t.time, kGpsEpoch);
  const std::int64_t w = FloorDiv(since, kWeekSeconds);
  if (week != nullptr) *week = static_cast<std::int32_t>(w);
  return static_cast<double>(since - w * kWeekSeconds) + t.sec;
}

double TimeDiff(const em_gtime_t& a, const em_gtime_t& b) {
  return static_cast<double>(WrapSub(a.time, b.time)) + (a.sec - b.sec);
}

std::int32_t AdjustWeekTo(std::int32_t week10, std::int32_t current_week) {
  // A clock set before this code existed must not pull old weeks further back.
  const std::int64_t now = current_week < 1560 ? 1560 : current_week;
  const std::int64_t w = week10;
  return static_cast<std::int32_t>(w + 1024 * FloorDiv(now - w + 512, 1024));
}

std::int32_t AdjustWeek(std::int32_t week10) {
  const Platform::SystemTime st = Platform::GetSystemTime();
  std::int32_t current = 0;
  TimeToGps(EpochToTime(st.year, st.month, st.day, st.hour, st.minute, st.second), &current);
  return AdjustWeekTo(week10, current);
}

Calendar WeekToCalendar(std::uint32_t week, double seconds) {
  static const int kCumulativeDays[2][13] = {
      {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
      {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
  if (!WithinSecondsRange(seconds)) seconds = 0.0;
  // Modified Julian day (44244 is the GPS epoch); always positive here, so
  // truncation is the floor.
  const std::int64_t mjd =
      static_cast<std::int64_t>(static_cast<double>(week) * 7.0 + seconds / 86400.0 + 44244.0);
  const std::int64_t days = mjd - 15385;  // days since 1901-01-01
  const std::int64_t cycles = days / 1461;
  const std::int64_t left = days - cycles * 1461;       // day within a 4-year cycle
  const std::int64_t years = left / 365 - left / 1460;  // 0..3; the last day stays in year 3
  Calendar c;
  c.year = static_cast<int>(1901 + 4 * cycles + years);
  const int doy = static_cast<int>(left - 365 * years + 1);  // 1..366
  const int* cumulative = kCumulativeDays[c.year % 4 == 0 ? 1 : 0];
  int m = static_cast<int>(doy * 0.032);  // never above the month, at most one below
  if (m > 11) m = 11;
  if (doy > cumulative[m + 1]) ++m;
  c.month = m + 1;
  c.day = doy - cumulative[m];

  const double in_day = seconds - std::floor(seconds / 86400.0) * 86400.0;
  c.hour = static_cast<int>(in_day / 3600.0);
  c.minute = static_cast<int>((in_day - c.hour * 3600.0) / 60.0);
  c.second = in_day - c.hour * 3600.0 - c.minute * 60.0;
  return c;
}

}  // namespace Gnss
}  // namespace KsParse
}  // namespace Kestrel
