// ksgnss rtcm: every CRC-valid RTCM 3 frame of the input, classified and
// decoded by one Em_TrsMtPrlRTCM.
#include <map>
#include <string>
#include <vector>

#include "tools/commands.h"
#include "tools/input_source.h"
#include "tools/options.h"
#include "tools/rtcm_frame_finder.h"
#include "tools/rtcm_record.h"
#include "tools/output.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {
constexpr std::size_t kReadBlock = 4096;
}  // namespace

int RunRtcm(const Arguments& args, const Io& io) {
  const ParsedArgs parsed(args, {{"text", false}, {"quiet", false}});
  if (parsed.Positionals().size() > 1)
    throw UsageError("rtcm reads one input, got " + std::to_string(parsed.Positionals().size()));
  const OutputMode mode = ModeOf(parsed);
  const std::string path = parsed.Positionals().empty() ? "-" : parsed.Positionals()[0];
  std::unique_ptr<InputSource> input = InputSource::Open(path, 115200, fileno(io.in));

  RtcmFrameFinder finder;
  RtcmRecorder recorder;
  std::map<unsigned, std::uint64_t> by_message;
  std::uint64_t bytes = 0;
  std::uint64_t frames = 0;
  std::vector<unsigned char> block(kReadBlock);
  JsonWriter json;  // one record at a time, its buffer reused
  bool more = true;
  while (more) {
    const std::size_t n = input->Read(block.data(), block.size());
    if (n == 0) {
      finder.Finish();
      more = false;
    } else {
      bytes += n;
      finder.Feed(block.data(), n);
    }
    const unsigned char* frame = nullptr;
    std::size_t length = 0;
    while (finder.Next(&frame, &length)) {
      ++frames;
      if (mode == OutputMode::kQuiet) {
        ++by_message[recorder.Decode(frame, length)];
        continue;
      }
      if (mode == OutputMode::kJson) {
        json.Clear();
        ++by_message[recorder.Record(frame, length, json)];
        json.Put('\n');
        std::fwrite(json.data(), 1, json.size(), io.out);
        continue;
      }
      const Value record = recorder.Record(frame, length);
      ++by_message[static_cast<unsigned>(record.Find("msg")->AsUint())];
      Emit(record, mode, io.out);
    }
  }
  std::fflush(io.out);
  const std::string summary = std::to_string(bytes) + " bytes read, " + std::to_string(frames) + " frames, " +
                              std::to_string(finder.BadCrc()) + " bad CRC, " +
                              std::to_string(finder.SkippedBytes()) + " bytes skipped" + Tally(by_message, "");
  std::fprintf(io.err, "ksgnss rtcm: %s\n", summary.c_str());
  if (std::ferror(io.out)) throw RunError("cannot write the output");
  return kExitOk;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
