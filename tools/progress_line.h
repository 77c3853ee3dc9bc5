// A progress line on standard error for long conversions, redrawn in place
// at most a few times a second, and only when standard error is a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Kestrel {
namespace KsParse {
namespace Tool {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock::time_point (*)();
  // `now` reads the time (a fixed sequence of times in tests).
  ProgressLine(std::FILE* err, const std::string& subcommand, Clock now = &std::chrono::steady_clock::now);
  // `bytes` more read; `epochs` so far.
  void Update(std::size_t bytes, std::size_t epochs);
  // Ends the line (nothing when none was drawn).
  void Done();

 private:
  std::FILE* err_;
  std::string subcommand_;
  Clock now_;
  bool enabled_;
  bool drawn_ = false;
  std::uint64_t bytes_ = 0;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
