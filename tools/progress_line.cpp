#include "tools/progress_line.h"

#include <unistd.h>

namespace Kestrel {
namespace KsParse {
namespace Tool {

ProgressLine::ProgressLine(std::FILE* err, const std::string& subcommand, Clock now)
    : err_(err), subcommand_(subcommand), now_(now), enabled_(isatty(fileno(err)) != 0), last_(now_()) {}

void ProgressLine::Update(std::size_t bytes, std::size_t epochs) {
  bytes_ += bytes;
  if (!enabled_) return;
  const auto now = now_();
  if (now - last_ < std::chrono::milliseconds(250)) return;
  last_ = now;
  std::fprintf(err_, "\rksgnss %s: %llu bytes read, %zu epochs", subcommand_.c_str(),
               static_cast<unsigned long long>(bytes_), epochs);
  std::fflush(err_);
  drawn_ = true;
}

void ProgressLine::Done() {
  if (!drawn_) return;
  std::fputc('\n', err_);
  drawn_ = false;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
