// ksgnss cmd: the command packets that one Em_Gnss operation appends.
#include <cstdio>
#include <string>
#include <vector>

#include <ksparse/ksparse.h>

#include "tools/commands.h"
#include "tools/config_file.h"
#include "tools/options.h"
#include "tools/output.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

using Operands = std::vector<std::string>;

struct RateName {
  const char* name;
  GNSS_FRQ rate;
};

constexpr RateName kRates[] = {
    {"stop", GNSS_FRQ_STOP},   {"20hz", GNSS_FRQ_20HZ},  {"10hz", GNSS_FRQ_10HZ},
    {"5hz", GNSS_FRQ_5HZ},     {"2hz", GNSS_FRQ_2HZ},    {"1hz", GNSS_FRQ_1HZ},
    {"0.5hz", GNSS_FRQ_0_5HZ}, {"0.2hz", GNSS_FRQ_0_2HZ}, {"0.1hz", GNSS_FRQ_0_1HZ},
    {"onchange", GNSS_FRQ_ONCHANGE},
};

// A rate name ("1hz", "onchange", ...) or the numeric code, passed on as is.
GNSS_FRQ Rate(const std::string& text) {
  for (const RateName& r : kRates)
    if (text == r.name) return r.rate;
  return static_cast<GNSS_FRQ>(ParseInteger(text, "FRQ", 0, 255));
}

unsigned Unsigned(const std::string& text, const char* what) {
  return static_cast<unsigned>(ParseInteger(text, what, 0, 0xFFFFFFFFll));
}

struct Operation {
  const char* name;
  std::size_t min_operands;
  std::size_t max_operands;
  const char* usage;
  void (*run)(Em_Gnss& gnss, const Operands& operands, CommandList& cmds);
};

const Operation kOperations[] = {
    {"inite", 0, 0, "inite", [](Em_Gnss& g, const Operands&, CommandList& c) { g.Get_Gnss_Inite(c); }},
    {"start-base", 0, 0, "start-base", [](Em_Gnss& g, const Operands&, CommandList& c) { g.Get_Gnss_StartBase(c); }},
    {"start-rover", 0, 0, "start-rover",
     [](Em_Gnss& g, const Operands&, CommandList& c) { g.Get_Gnss_StartRover(c); }},
    {"reset", 0, 0, "reset", [](Em_Gnss& g, const Operands&, CommandList& c) { g.Get_Gnss_Reset(c); }},
    {"elev-mask", 1, 1, "elev-mask DEG",
     [](Em_Gnss& g, const Operands& o, CommandList& c) { g.Set_Gnss_ElevDgre(Unsigned(o[0], "DEG"), c); }},
    {"pos-rate", 1, 1, "pos-rate FRQ",
     [](Em_Gnss& g, const Operands& o, CommandList& c) { g.Set_Gnss_PosFrq(c, Rate(o[0])); }},
    {"obs", 1, 1, "obs FRQ", [](Em_Gnss& g, const Operands& o, CommandList& c) { g.Send_Gnss_Obs(c, Rate(o[0])); }},
    {"ephemeris", 1, 1, "ephemeris FRQ",
     [](Em_Gnss& g, const Operands& o, CommandList& c) { g.Send_Gnss_Ephemeris(c, Rate(o[0])); }},
    {"ephem-sat", 1, 1, "ephem-sat PRN",
     [](Em_Gnss& g, const Operands& o, CommandList& c) { g.Send_Gnss_EphemSat(c, Unsigned(o[0], "PRN")); }},
    {"nmea", 3, 3, "nmea MASK FRQ PORT",
     [](Em_Gnss& g, const Operands& o, CommandList& c) {
       g.Set_Gnss_Nmea(c, Unsigned(o[0], "MASK"), Rate(o[1]), Unsigned(o[2], "PORT"));
     }},
    {"sat-use", 2, 3, "sat-use SAT ON [EXTRA]",
     [](Em_Gnss& g, const Operands& o, CommandList& c) {
       g.Set_Gnss_SatUse(c, Unsigned(o[0], "SAT"), ParseSwitch(o[1], "ON"), o.size() > 2 ? Unsigned(o[2], "EXTRA") : 0);
     }},
    {"query-elev-mask", 0, 0, "query-elev-mask",
     [](Em_Gnss& g, const Operands&, CommandList& c) { g.Get_Gnss_ElevMask(c); }},
    {"unlog", 0, 0, "unlog", [](Em_Gnss& g, const Operands&, CommandList& c) { g.Send_Gnss_UnlogData(c); }},
    {"passcom", 1, 1, "passcom PORT",
     [](Em_Gnss& g, const Operands& o, CommandList& c) { g.Get_Cmd_PassCom(c, Unsigned(o[0], "PORT")); }},
    {"diff-data", 1, 1, "diff-data HEX",
     [](Em_Gnss& g, const Operands& o, CommandList& c) {
       std::vector<std::uint8_t> bytes = ParseHex(o[0], "HEX");
       g.Send_DiffDataToGnss(c, bytes.data(), static_cast<unsigned int>(bytes.size()));
     }},
    {"custom", 1, 1, "custom HEX",
     [](Em_Gnss& g, const Operands& o, CommandList& c) {
       const std::vector<std::uint8_t> bytes = ParseHex(o[0], "HEX");
       g.GetCustomCommandPackets(c, bytes.data(), static_cast<unsigned int>(bytes.size()));
     }},
};

std::string Hex(const unsigned char* data, std::size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (std::size_t i = 0; i < length; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0x0F];
  }
  return text;
}

// Printable ASCII as is, CR and LF as \r and \n, everything else as \xNN.
std::string Printable(const unsigned char* data, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = data[i];
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
      text += escaped;
    }
  }
  return text;
}

}  // namespace

std::string CmdOperationList() {
  std::string text;
  for (const Operation& op : kOperations) text += std::string("  ") + op.usage + "\n";
  return text;
}

int RunCmd(const Arguments& args, const Io& io) {
  const ParsedArgs parsed(args, {{"manufacturer", true},
                                 {"board", true},
                                 {"base-config", true},
                                 {"rover-config", true},
                                 {"text", false}});
  const Operands& positionals = parsed.Positionals();
  if (positionals.empty()) throw UsageError("cmd needs an operation (see ksgnss help cmd)");
  const Operation* op = nullptr;
  for (const Operation& candidate : kOperations)
    if (positionals[0] == candidate.name) op = &candidate;
  if (op == nullptr) throw UsageError("unknown operation '" + positionals[0] + "' (see ksgnss help cmd)");
  const Operands operands(positionals.begin() + 1, positionals.end());
  if (operands.size() < op->min_operands || operands.size() > op->max_operands)
    throw UsageError(std::string("usage: ksgnss cmd ") + op->usage);
  const int manufacturer = static_cast<int>(parsed.Integer("manufacturer", 1, 0, 255));
  const int board = static_cast<int>(parsed.Integer("board", 6, 0, 255));
  const OutputMode mode = parsed.Has("text") ? OutputMode::kText : OutputMode::kJson;

  // Files are read before the receiver exists, so that a mistake in them is
  // reported without any output.
  const std::string* base_path = parsed.Value("base-config");
  const std::string* rover_path = parsed.Value("rover-config");
  const Base_Config base = base_path != nullptr ? ReadBaseConfig(*base_path) : Base_Config();
  const Rover_Config rover = rover_path != nullptr ? ReadRoverConfig(*rover_path) : Rover_Config();

  Em_Gnss gnss(static_cast<GNSS_MANUFACTURER>(manufacturer), static_cast<MAINBD_OEM_TYPE>(board));
  if (base_path != nullptr) gnss.Set_Gnss_BsCfg(base);
  if (rover_path != nullptr) gnss.Set_Gnss_RvCfg(rover);
  CommandList cmds;
  op->run(gnss, operands, cmds);
  for (const _STR_CMD& cmd : cmds) {
    const std::size_t length = cmd.len <= sizeof(cmd.buf) ? cmd.len : sizeof(cmd.buf);
    Value record = Value::Object();
    record.Set("wait", static_cast<unsigned>(cmd.wait))
        .Set("len", static_cast<unsigned>(cmd.len))
        .Set("hex", Hex(cmd.buf, length));
    if (mode == OutputMode::kText) record.Set("text", Printable(cmd.buf, length));
    Emit(record, mode, io.out);
  }
  std::fflush(io.out);
  std::fprintf(io.err, "ksgnss cmd: %s appended %zu packets\n", op->name, cmds.size());
  if (std::ferror(io.out)) throw RunError("cannot write the output");
  return kExitOk;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
