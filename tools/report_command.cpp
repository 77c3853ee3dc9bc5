// ksgnss report: one self-contained HTML page about a recording.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/commands.h"
#include "tools/decode_options.h"
#include "tools/decode_session.h"
#include "tools/frame_audit.h"
#include "tools/input_source.h"
#include "tools/options.h"
#include "tools/report_data.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

int RunReport(const Arguments& args, const Io& io) {
  const ParsedArgs parsed(ExpandOutputOption(args), {{"manufacturer", true},
                                                     {"board", true},
                                                     {"parse-nmea", false},
                                                     {"timezone", true},
                                                     {"output", true}});
  if (parsed.Positionals().size() != 1)
    throw UsageError("report reads one input file, got " + std::to_string(parsed.Positionals().size()));
  DecodeSettings settings = DecodeSettingsOf(parsed, 6);
  settings.mode = OutputMode::kQuiet;
  const std::string path = parsed.Positionals()[0];
  const std::string output = parsed.Has("output") ? *parsed.Value("output") : "report.html";

  std::unique_ptr<InputSource> input = InputSource::Open(path, 115200, fileno(io.in));
  ReportCollector collector;
  settings.listener = &collector;
  DecodeSession session(settings, nullptr);
  // The whole recording is kept for the frame scan.
  std::vector<unsigned char> bytes;
  std::vector<unsigned char> block(4096);
  for (;;) {
    const std::size_t n = input->Read(block.data(), block.size());
    if (n == 0) break;
    session.Feed(block.data(), n);
    bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
  }
  session.Finish();
  if (session.Stats().callbacks == 0) throw RunError("nothing decoded from " + path + " (check --board)");

  ReportSource source;
  source.name = path;
  source.bytes = bytes.size();
  source.messages = session.Stats().callbacks;
  const FrameAuditResult audit = AuditFrames(bytes.data(), bytes.size());
  source.bad_frames = audit.bad_frames;
  source.stray_bytes = audit.stray_bytes;
  const std::string page = ReportPage(collector, source);

  std::FILE* out = output == "-" ? io.out : std::fopen(output.c_str(), "wb");
  if (out == nullptr) throw RunError("cannot write " + output + ": " + std::strerror(errno));
  const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
  if ((out == io.out ? std::fflush(out) : std::fclose(out)) != 0 || !written)
    throw RunError("cannot write " + output);
  std::fprintf(io.err, "ksgnss report: %zu satellites, %zu positions to %s\n", collector.Satellites().size(),
               collector.Epochs().size(), output.c_str());
  return kExitOk;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
