#include "tools/options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

const OptionSpec* Find(std::initializer_list<OptionSpec> specs, const std::string& name) {
  for (const OptionSpec& known : specs)
    if (name == known.name) return &known;
  return nullptr;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string Shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", value);
  return text;
}

}  // namespace

ParsedArgs::ParsedArgs(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs) {
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // "-" and negative numbers are positionals, not options.
    if (options_done || arg.size() < 2 || arg[0] != '-' ||
        std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.') {
      positionals_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg[1] != '-') throw UsageError("unknown option " + Quoted(arg));
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    const OptionSpec* known = Find(specs, name);
    if (known == nullptr) throw UsageError("unknown option " + Quoted("--" + name));
    if (!known->takes_value) {
      if (eq != std::string::npos) throw UsageError("option --" + name + " takes no value");
      options_.emplace_back(name, "");
      continue;
    }
    if (eq != std::string::npos) {
      options_.emplace_back(name, arg.substr(eq + 1));
    } else {
      if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
      options_.emplace_back(name, args[++i]);
    }
  }
}

bool ParsedArgs::Has(const std::string& name) const { return Value(name) != nullptr; }

const std::string* ParsedArgs::Value(const std::string& name) const {
  const std::string* found = nullptr;
  for (const auto& option : options_)
    if (option.first == name) found = &option.second;
  return found;
}

long long ParsedArgs::Integer(const std::string& name, long long fallback, long long min,
                              long long max) const {
  const std::string* value = Value(name);
  return value == nullptr ? fallback : ParseInteger(*value, "--" + name, min, max);
}

double ParsedArgs::Number(const std::string& name, double fallback, double min, double max) const {
  const std::string* value = Value(name);
  return value == nullptr ? fallback : ParseNumber(*value, "--" + name, min, max);
}

long long ParseInteger(const std::string& text, const std::string& what, long long min, long long max) {
  errno = 0;
  char* end = nullptr;
  // Base 10 unless 0x-prefixed: a leading zero must not mean octal.
  const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  const bool hex = text.size() > sign + 1 && text[sign] == '0' && (text[sign + 1] == 'x' || text[sign + 1] == 'X');
  const long long value = text.empty() || std::isspace(static_cast<unsigned char>(text[0]))
                              ? 0
                              : std::strtoll(text.c_str(), &end, hex ? 16 : 10);
  if (end == nullptr || *end != '\0' || errno == ERANGE)
    throw UsageError("bad number " + Quoted(text) + " for " + what);
  if (value < min || value > max)
    throw UsageError(what + " must be between " + std::to_string(min) + " and " + std::to_string(max) +
                     " (got " + text + ")");
  return value;
}

double ParseNumber(const std::string& text, const std::string& what, double min, double max) {
  errno = 0;
  char* end = nullptr;
  const double value = text.empty() || std::isspace(static_cast<unsigned char>(text[0]))
                           ? 0.0
                           : std::strtod(text.c_str(), &end);
  if (end == nullptr || *end != '\0' || errno == ERANGE || !std::isfinite(value))
    throw UsageError("bad number " + Quoted(text) + " for " + what);
  if (value < min || value > max)
    throw UsageError(what + " must be between " + Shortest(min) + " and " + Shortest(max) + " (got " +
                     text + ")");
  return value;
}

bool ParseSwitch(const std::string& text, const std::string& what) {
  if (text == "1" || text == "on" || text == "true" || text == "yes") return true;
  if (text == "0" || text == "off" || text == "false" || text == "no") return false;
  throw UsageError("bad switch " + Quoted(text) + " for " + what + " (use on or off)");
}

std::vector<std::uint8_t> ParseHex(const std::string& text, const std::string& what) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (const char c : text) {
    if ((c == ' ' || c == ':') && high < 0) continue;
    const int digit = std::isxdigit(static_cast<unsigned char>(c))
                          ? (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10))
                          : -1;
    if (digit < 0) throw UsageError("bad hex " + Quoted(text) + " for " + what);
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) throw UsageError("odd number of hex digits in " + Quoted(text) + " for " + what);
  return bytes;
}

std::vector<std::string> ExpandOutputOption(const std::vector<std::string>& args) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (args[i].compare(0, 2, "-o") != 0) {
      out.push_back(args[i]);
    } else if (args[i].size() > 2) {
      out.push_back("--output=" + args[i].substr(2));
    } else {
      out.push_back("--output");
    }
  }
  return out;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
