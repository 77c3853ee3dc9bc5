// The current UTC calendar time, as Windows' GetSystemTime reports it.
#pragma once

namespace Kestrel {
namespace KsParse {
namespace Platform {

struct SystemTime {
  int year;          // four digits
  int month;         // 1..12
  int day_of_week;   // 0 = Sunday
  int day;           // 1..31
  int hour;          // 0..23
  int minute;
  int second;
  int milliseconds;
};

SystemTime GetSystemTime();

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
