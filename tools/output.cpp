#include "tools/output.h"

#include "tools/options.h"
#include "tools/text_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

OutputMode ModeOf(const ParsedArgs& parsed) {
  const int chosen = (parsed.Has("text") ? 1 : 0) + (parsed.Has("quiet") ? 1 : 0) + (parsed.Has("summary") ? 1 : 0);
  if (chosen > 1) throw UsageError("--text, --quiet and --summary exclude each other");
  if (parsed.Has("quiet")) return OutputMode::kQuiet;
  if (parsed.Has("summary")) return OutputMode::kSummary;
  return parsed.Has("text") ? OutputMode::kText : OutputMode::kJson;
}

void Emit(const Value& record, OutputMode mode, std::FILE* out) {
  if (mode == OutputMode::kQuiet || mode == OutputMode::kSummary || out == nullptr) return;
  const std::string text = mode == OutputMode::kText ? ToText(record) : ToJson(record) + '\n';
  std::fwrite(text.data(), 1, text.size(), out);
}

std::string Tally(const std::map<unsigned, std::uint64_t>& counts, const std::string& label) {
  if (counts.empty()) return "";
  std::string text = " (";
  for (const auto& entry : counts) {
    if (text.size() > 2) text += ", ";
    text += label + std::to_string(entry.first) + ": " + std::to_string(entry.second);
  }
  return text + ")";
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
