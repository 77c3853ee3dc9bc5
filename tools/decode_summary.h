// A short human summary of a decoded stream: messages by kind, first and
// last fix, satellites in view per list, the last DOP. Built from the same
// records that decode prints.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tools/json_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

class DecodeSummary {
 public:
  void Add(const Value& record);
  // Indented lines, each ending in a newline.
  std::string Text(std::uint64_t bytes) const;

 private:
  std::map<unsigned, std::uint64_t> by_kind_;
  std::uint64_t records_ = 0;
  Value first_fix_;
  Value last_fix_;
  std::map<std::string, std::size_t> in_view_;  // satellite list -> count in its last report
  Value dop_;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
