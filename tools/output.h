// How the subcommands print their records: JSON lines, aligned text, or
// nothing but the summary.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "tools/json_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

class ParsedArgs;

// kSummary: decode's short human summary at the end instead of records.
enum class OutputMode { kJson, kText, kQuiet, kSummary };

// --text, --quiet and --summary (at most one of them; each only where the
// subcommand knows it) of a subcommand's arguments.
OutputMode ModeOf(const ParsedArgs& parsed);
void Emit(const Value& record, OutputMode mode, std::FILE* out);
// " (<label> 1: n, <label> 2: m)" for non-empty counts, else "".
std::string Tally(const std::map<unsigned, std::uint64_t>& counts, const std::string& label);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
