// Pieces shared by the RINEX 3.04 observation and navigation writers:
// header lines, epoch calendars, satellite identifiers and the run date.
#pragma once

#include <cstdint>
#include <string>

#include <ksparse/nav_records.h>

#include "boards/gnss_utils.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {
namespace Rinex {

// One header line: the content padded or cut to 60 columns, then the label.
std::string HeaderLine(const std::string& content, const char* label);

// Calendar time (GPS time scale) of a time value moved by whole weeks,
// rounded to 100 ns so that the printed seconds never read 60.
Gnss::Calendar CalendarOf(const em_gtime_t& t, std::int32_t week_shift = 0);

// The satellite identifier of a decoder satellite number: 1-32 GPS (G),
// 38-61 GLONASS slots 1-24 (R), 120-138 SBAS (S, PRN - 100), 161-223
// BeiDou (C). Empty for numbers outside these ranges.
std::string SatelliteId(unsigned sat);

// "yyyymmdd hhmmss UTC" of now, or of SOURCE_DATE_EPOCH when that is set
// (reproducible files).
std::string RunDate();

// A GPS week given as 10 bits, or completed against another clock, moved by
// whole 1024-week steps to the one nearest `reference`.
std::int32_t NearestWeek(std::int32_t week, std::int32_t reference);

}  // namespace Rinex
}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
