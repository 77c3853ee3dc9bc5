#include "platform/system_time.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/time.h>
#include <time.h>
#endif

namespace Kestrel {
namespace KsParse {
namespace Platform {

SystemTime GetSystemTime() {
  SystemTime out{};
#if defined(_WIN32)
  SYSTEMTIME st;
  ::GetSystemTime(&st);
  out.year = st.wYear;
  out.month = st.wMonth;
  out.day_of_week = st.wDayOfWeek;
  out.day = st.wDay;
  out.hour = st.wHour;
  out.minute = st.wMinute;
  out.second = st.wSecond;
  out.milliseconds = st.wMilliseconds;
#else
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  struct tm utc;
  time_t secs = tv.tv_sec;
  gmtime_r(&secs, &utc);
  out.year = utc.tm_year + 1900;
  out.month = utc.tm_mon + 1;
  out.day_of_week = utc.tm_wday;
  out.day = utc.tm_mday;
  out.hour = utc.tm_hour;
  out.minute = utc.tm_min;
  out.second = utc.tm_sec;
  out.milliseconds = static_cast<int>(tv.tv_usec / 1000);
#endif
  return out;
}

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
