// Command-line parsing for the ksgnss subcommands: options, positionals and
// checked conversions of their values. Every mistake becomes a UsageError
// with a one-line message naming the offending argument.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Tool {

// A mistake on the command line: reported on stderr, exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure outside the command line (missing file, unreadable device):
// reported on stderr, exit status 1.
class RunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  const char* name;  // without the leading "--"
  bool takes_value;
};

// Splits arguments into the options a subcommand knows and positionals.
// "--name value" and "--name=value" are both accepted; "--" ends the options;
// "-" alone is a positional (standard input).
class ParsedArgs {
 public:
  ParsedArgs(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs);

  bool Has(const std::string& name) const;
  // The value of the last occurrence, or null when the option is absent.
  const std::string* Value(const std::string& name) const;
  long long Integer(const std::string& name, long long fallback, long long min, long long max) const;
  double Number(const std::string& name, double fallback, double min, double max) const;
  const std::vector<std::string>& Positionals() const { return positionals_; }

 private:
  std::vector<std::pair<std::string, std::string>> options_;
  std::vector<std::string> positionals_;
};

// The arguments with "-o VALUE" and "-oVALUE" spelled "--output VALUE",
// for the subcommands that write files.
std::vector<std::string> ExpandOutputOption(const std::vector<std::string>& args);

// Decimal or 0x-prefixed hexadecimal integer within [min, max].
long long ParseInteger(const std::string& text, const std::string& what, long long min, long long max);
// Finite decimal number within [min, max].
double ParseNumber(const std::string& text, const std::string& what, double min, double max);
// on/off, true/false, yes/no, 1/0.
bool ParseSwitch(const std::string& text, const std::string& what);
// Pairs of hexadecimal digits; spaces and colons between pairs are ignored.
std::vector<std::uint8_t> ParseHex(const std::string& text, const std::string& what);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
