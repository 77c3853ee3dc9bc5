// Base and rover settings for `ksgnss cmd` from small "key = value" files.
#pragma once

#include <string>

#include <ksparse/nav_records.h>

namespace Kestrel {
namespace KsParse {
namespace Tool {

// Starts from the record's defaults and applies each "key = value" line;
// blank lines and text after '#' are ignored. Latitude and longitude are
// given in degrees (the record holds radians). An unknown key or a bad
// value is a UsageError naming the file and line; an unreadable file a
// RunError. The keys are listed in `ksgnss help cmd`.
Base_Config ReadBaseConfig(const std::string& path);
Rover_Config ReadRoverConfig(const std::string& path);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
