// Subcommand dispatch, help, and the one-line error report.
#include <cstdio>
#include <cstring>
#include <new>

#include "tools/commands.h"
#include "tools/options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

struct Subcommand {
  const char* name;
  int (*run)(const Arguments&, const Io&);
};

constexpr Subcommand kSubcommands[] = {
    {"decode", &RunDecode}, {"rtcm", &RunRtcm}, {"cmd", &RunCmd}, {"sim", &RunSim},
    {"rinex", &RunRinex}, {"report", &RunReport}};

bool WantsHelp(const Arguments& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int Help(const char* text, const Io& io) {
  std::fputs(text, io.out);
  return std::fflush(io.out) == 0 ? kExitOk : kExitFailure;
}

}  // namespace

int RunKsgnss(const Arguments& args, const Io& io) {
  if (args.empty()) {
    std::fputs(OverviewHelp(), io.err);
    return kExitUsage;
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h") return Help(OverviewHelp(), io);
  if (name == "help") {
    if (args.size() == 1) return Help(OverviewHelp(), io);
    const char* text = SubcommandHelp(args[1]);
    if (text == nullptr) {
      std::fprintf(io.err, "ksgnss: no help for unknown subcommand '%s'\n", args[1].c_str());
      return kExitUsage;
    }
    return Help(text, io);
  }
  for (const Subcommand& sub : kSubcommands) {
    if (name != sub.name) continue;
    const Arguments rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) return Help(SubcommandHelp(name), io);
    try {
      return sub.run(rest, io);
    } catch (const UsageError& e) {
      std::fprintf(io.err, "ksgnss %s: %s\n", sub.name, e.what());
      return kExitUsage;
    } catch (const RunError& e) {
      std::fprintf(io.err, "ksgnss %s: %s\n", sub.name, e.what());
      return kExitFailure;
    } catch (const std::bad_alloc&) {
      std::fprintf(io.err, "ksgnss %s: out of memory\n", sub.name);
      return kExitFailure;
    }
  }
  std::fprintf(io.err, "ksgnss: unknown subcommand '%s' (see ksgnss --help)\n", name.c_str());
  return kExitUsage;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
