// Human-readable form of an output record: the record's scalar members on a
// heading line, then one aligned line per nested member, tables for lists of
// objects.
#pragma once

#include <string>

#include "tools/json_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

// The record as text lines, each ending in a newline. A member named "flags"
// is shown in hexadecimal.
std::string ToText(const Value& record);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
