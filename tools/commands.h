// The ksgnss subcommands. Each takes its arguments (after the subcommand
// name) and the streams to use, and returns the process exit status; the
// tests run them in-process with temporary files as streams.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Tool {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // missing file, unreadable device, write error
constexpr int kExitUsage = 2;    // unknown subcommand or option, bad number

struct Io {
  std::FILE* in;   // "-" reads from here
  std::FILE* out;  // records, command packets, simulated streams
  std::FILE* err;  // summaries and error lines
};

using Arguments = std::vector<std::string>;

// Each throws UsageError or RunError; RunKsgnss turns them into one line on
// err and the exit status.
int RunDecode(const Arguments& args, const Io& io);
int RunRtcm(const Arguments& args, const Io& io);
int RunCmd(const Arguments& args, const Io& io);
int RunSim(const Arguments& args, const Io& io);
int RunRinex(const Arguments& args, const Io& io);
int RunReport(const Arguments& args, const Io& io);

// The whole command line without the program name: subcommand dispatch,
// --help and "help SUBCOMMAND".
int RunKsgnss(const Arguments& args, const Io& io);

// Help texts; null for an unknown subcommand.
const char* OverviewHelp();
const char* SubcommandHelp(const std::string& name);
// The operations of cmd with their arguments, one indented line each.
std::string CmdOperationList();
const char* RinexHelp();
const char* ReportHelp();

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
