// Shared routines of the board decoders: GNSS time, navigation subframes,
// big-endian field readers, geodetic to earth-centred coordinates and the
// output-rate code of the maker's protocol.
#pragma once

#include <cstdint>

#include <ksparse/nav_records.h>
#include <ksparse/types.h>

namespace Kestrel {
namespace KsParse {
namespace Gnss {

constexpr double kSecondsPerWeek = 604800.0;
// The GPS epoch, 1980-01-06 00:00:00, as a whole-second count.
constexpr std::int64_t kGpsEpoch = 315964800;

// The time value of a calendar date: whole seconds since 1970-01-01 00:00:00
// UTC plus the fraction of a second. Out-of-range months, days, hours and
// minutes carry like mktime's; a second of 60 or more (or below 0) is carried
// into the whole count.
em_gtime_t EpochToTime(double year, double month, double day, double hour, double minute,
                       double second);
// GPS week and seconds of week to a time value. Seconds outside -1e9..1e9
// count as 0.
em_gtime_t GpsToTime(std::uint32_t week, double seconds);
// Seconds of week of a time value; the week too when `week` is not null.
double TimeToGps(const em_gtime_t& t, std::int32_t* week);
// a - b in seconds.
double TimeDiff(const em_gtime_t& a, const em_gtime_t& b);
// The full GPS week nearest to the current one for a 10-bit week number.
std::int32_t AdjustWeek(std::int32_t week10);
// The same with the current week given (for tests and replayed data).
std::int32_t AdjustWeekTo(std::int32_t week10, std::int32_t current_week);

struct Calendar {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  double second;
};
// GPS week and seconds of week to calendar time in the GPS time scale (no
// leap seconds, no time zone). Every year divisible by 4 counts as a leap
// year, so dates are right from 1901 to 2099. Seconds outside -1e9..1e9
// count as 0.
Calendar WeekToCalendar(std::uint32_t week, double seconds);

// Decodes one subframe held as ten 24-bit words (parity removed), 30 bytes,
// most significant bit first. Subframes 1 to 3 fill the ephemeris (the caller
// sets `sat`); subframe 3 also settles the weeks of toe, toc and the
// transmission time. Page 18 of subframe 4 fills `ion` (alpha0..3,
// beta0..3) and `utc` (A1, A0, tot, WNt, dt_LS); either may be null.
// Returns the subframe ID (1..5), or 0 when the ID is not valid or the
// subframe is null.
int DecodeSubframe(const unsigned char* subframe, em_eph_t* eph, double* ion, double* utc);

double ReadBe64(const unsigned char* p);  // IEEE 754 double
std::int32_t ReadBe32(const unsigned char* p);
std::int16_t ReadBe16(const unsigned char* p);
std::uint16_t ReadBe16U(const unsigned char* p);
float ReadBeFloat(const unsigned char* p);  // IEEE 754 single

// WGS-84 latitude and longitude (radians) and height (metres) to X, Y, Z.
void GeodeticToEcef(double latitude, double longitude, double height, double* xyz);

// GNSS_FRQ to the rate code of the maker's protocol.
int FrqToProtocolRate(GNSS_FRQ rate);

}  // namespace Gnss
}  // namespace KsParse
}  // namespace Kestrel
