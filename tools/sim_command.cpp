// ksgnss sim: a synthetic receiver stream on standard output.
#include <cstdio>

#include "tools/commands.h"
#include "tools/options.h"
#include "tools/sim/stream_composer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {
// Bounds that keep a stream within memory: one day at 1 Hz, 100 Hz at most.
constexpr double kMaxSeconds = 86400.0;
constexpr double kMaxRate = 100.0;
}  // namespace

int RunSim(const Arguments& args, const Io& io) {
  const ParsedArgs parsed(args, {{"seconds", true}, {"rate", true}, {"seed", true}, {"noise", true}});
  if (parsed.Positionals().size() != 1)
    throw UsageError("sim needs one family: nmea, novatel or rtcm");
  Sim::Family family;
  if (!Sim::FamilyFromName(parsed.Positionals()[0], &family))
    throw UsageError("unknown family '" + parsed.Positionals()[0] + "' (nmea, novatel or rtcm)");
  Sim::StreamOptions options;
  options.seconds = parsed.Number("seconds", 10.0, 0.0, kMaxSeconds);
  options.rate_hz = parsed.Number("rate", 1.0, 0.01, kMaxRate);
  options.seed = static_cast<std::uint32_t>(parsed.Integer("seed", 1, 0, 0xFFFFFFFFll));
  options.noise = parsed.Number("noise", 0.0, 0.0, 1.0);
  if (options.seconds * options.rate_hz > kMaxSeconds)
    throw UsageError("--seconds times --rate must stay below " + std::to_string(static_cast<long>(kMaxSeconds)) +
                     " epochs");

  const Sim::SimStream stream = Sim::ComposeStream(family, options);
  if (std::fwrite(stream.bytes.data(), 1, stream.bytes.size(), io.out) != stream.bytes.size() ||
      std::fflush(io.out) != 0)
    throw RunError("cannot write the output");
  std::fprintf(io.err, "ksgnss sim: %s, %zu bytes, %zu frames, %llu noise bursts (%llu bad frames)\n",
               Sim::FamilyName(family), stream.bytes.size(), stream.frames.size(),
               static_cast<unsigned long long>(stream.noise_bursts),
               static_cast<unsigned long long>(stream.bad_frames));
  return kExitOk;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
