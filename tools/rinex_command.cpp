// ksgnss rinex: a recording decoded as `decode` does (or an RTCM 3 stream)
// written as a RINEX 3.04 observation file and a GPS navigation file.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

#include "boards/gnss_utils.h"
#include "tools/commands.h"
#include "tools/decode_options.h"
#include "tools/input_source.h"
#include "tools/options.h"
#include "tools/progress_line.h"
#include "tools/rinex_converter.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr std::size_t kReadBlock = 4096;

// The current GPS week from the system clock (leap seconds do not matter
// at the scale of a week).
int CurrentGpsWeek() {
  const double seconds = static_cast<double>(std::time(nullptr)) - static_cast<double>(Gnss::kGpsEpoch);
  return static_cast<int>(seconds / Gnss::kSecondsPerWeek);
}

std::string BaseNameOf(const std::string& input) {
  if (input == "-") return "ksgnss";
  const std::size_t slash = input.find_last_of("/\\");
  const std::size_t dot = input.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) return input.substr(0, dot);
  return input;
}

void WriteFile(const std::string& path, const std::function<bool(std::FILE*)>& write) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw RunError("cannot write " + path + ": " + std::strerror(errno));
  const bool ok = write(file);
  if (std::fclose(file) != 0 || !ok) throw RunError("cannot write " + path);
}

}  // namespace

int RunRinex(const Arguments& args, const Io& io) {
  const ParsedArgs parsed(ExpandOutputOption(args), {{"manufacturer", true},
                                                     {"board", true},
                                                     {"rtcm", false},
                                                     {"week", true},
                                                     {"output", true},
                                                     {"marker", true},
                                                     {"baud", true}});
  if (parsed.Positionals().size() > 1)
    throw UsageError("rinex reads one input, got " + std::to_string(parsed.Positionals().size()));
  const bool rtcm = parsed.Has("rtcm");
  if (parsed.Has("week") && !rtcm) throw UsageError("--week applies to --rtcm input only");
  RinexSettings settings;
  settings.decode = DecodeSettingsOf(parsed, 2);
  settings.rtcm = rtcm;
  settings.week = static_cast<int>(parsed.Integer("week", CurrentGpsWeek(), 0, 100000));
  const long baud = static_cast<long>(parsed.Integer("baud", 115200, 1, 4000000));
  if (parsed.Has("baud") && !IsSupportedBaud(baud)) throw UsageError("unsupported baud rate " + std::to_string(baud));
  const std::string path = parsed.Positionals().empty() ? "-" : parsed.Positionals()[0];
  const std::string base = parsed.Has("output") ? *parsed.Value("output") : BaseNameOf(path);
  if (base.empty()) throw UsageError("--output needs a file name");

  std::unique_ptr<InputSource> input = InputSource::Open(path, baud, fileno(io.in));
  const std::string shown = path == "-" ? std::string("standard input") : path;
  if (parsed.Has("marker")) settings.header.marker = *parsed.Value("marker");
  settings.header.comment = "converted from " + shown;
  RinexConverter converter(settings);
  ProgressLine progress(io.err, "rinex");
  std::vector<unsigned char> block(kReadBlock);
  for (;;) {
    const std::size_t n = input->Read(block.data(), block.size());
    if (n == 0) break;
    converter.Feed(block.data(), n);
    progress.Update(n, converter.Epochs());
  }
  converter.Finish();
  progress.Done();
  if (converter.Epochs() == 0) throw RunError("no observations in " + shown + "; nothing written");
  WriteFile(base + ".obs", [&](std::FILE* f) { return converter.WriteObservations(f); });
  WriteFile(base + ".nav", [&](std::FILE* f) { return converter.WriteNavigation(f); });
  std::fprintf(io.err, "ksgnss rinex: %zu epochs to %s.obs, %zu ephemerides to %s.nav\n", converter.Epochs(),
               base.c_str(), converter.Ephemerides(), base.c_str());
  return kExitOk;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
