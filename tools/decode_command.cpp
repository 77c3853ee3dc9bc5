// ksgnss decode: a recording, standard input or a serial port through one
// Em_Gnss, one record per callback.
#include <vector>

#include "tools/commands.h"
#include "tools/decode_options.h"
#include "tools/decode_session.h"
#include "tools/input_source.h"
#include "tools/options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr long long kDefaultChunk = 4096;
constexpr long long kMaxChunk = 1 << 20;
constexpr long kDefaultBaud = 115200;

}  // namespace

int RunDecode(const Arguments& args, const Io& io) {
  const ParsedArgs parsed(args, {{"manufacturer", true},
                                 {"board", true},
                                 {"chunk", true},
                                 {"parse-nmea", false},
                                 {"timezone", true},
                                 {"text", false},
                                 {"quiet", false},
                                 {"summary", false},
                                 {"baud", true}});
  if (parsed.Positionals().size() > 1) throw UsageError("decode reads one input, got " +
                                                        std::to_string(parsed.Positionals().size()));
  DecodeSettings settings = DecodeSettingsOf(parsed, 6);
  settings.mode = ModeOf(parsed);
  const std::size_t chunk = static_cast<std::size_t>(parsed.Integer("chunk", kDefaultChunk, 1, kMaxChunk));
  const long baud = static_cast<long>(parsed.Integer("baud", kDefaultBaud, 1, 4000000));
  if (parsed.Has("baud") && !IsSupportedBaud(baud)) throw UsageError("unsupported baud rate " + std::to_string(baud));
  const std::string path = parsed.Positionals().empty() ? "-" : parsed.Positionals()[0];

  std::unique_ptr<InputSource> input = InputSource::Open(path, baud, fileno(io.in));
  DecodeSession session(settings, io.out);
  std::vector<unsigned char> block(chunk);
  for (;;) {
    const std::size_t n = input->Read(block.data(), block.size());
    if (n == 0) break;
    session.Feed(block.data(), n);
  }
  session.Finish();
  std::fprintf(io.err, "ksgnss decode: %s\n", session.Summary().c_str());
  if (std::ferror(io.out)) throw RunError("cannot write the output");
  return kExitOk;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
