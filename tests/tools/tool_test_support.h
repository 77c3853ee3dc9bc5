// Helpers of the ksgnss tests: run a subcommand in-process with temporary
// files as its streams, decode a byte stream in chosen blocks, split output
// into lines.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "tools/commands.h"
#include "tools/decode_session.h"
#include "tools/sim/stream_composer.h"

namespace Kestrel {
namespace KsParse {
namespace Testing {

// Everything left in a stream (a pipe, or a file from its position).
inline std::string ReadAll(std::FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
  return text;
}

// Everything written to a temporary file, which is then closed.
inline std::string ReadBack(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  const std::string text = ReadAll(file);
  std::fclose(file);
  return text;
}

// Standard output of a shell command; its exit status in `*status`.
inline std::string ShellOutput(const std::string& command, int* status = nullptr) {
#if defined(_WIN32)
  std::FILE* pipe = _popen(command.c_str(), "rb");
#else
  std::FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) return "";
  const std::string out = ReadAll(pipe);
#if defined(_WIN32)
  const int rc = _pclose(pipe);
#else
  const int rc = pclose(pipe);
#endif
  if (status != nullptr) *status = rc;
  return out;
}

// The built tool as a shell command starts it. A Windows build run under
// Wine knows its build tree by the host's path: drive Z: is the host's root.
inline std::string ToolCommand(std::string path) {
#if defined(_WIN32)
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}

// Sets (or, with nullptr, removes) an environment variable of this process.
inline void SetEnv(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

// Appended to a shell command: its error output discarded.
#if defined(_WIN32)
constexpr const char* kNoErrors = " 2>NUL";
#else
constexpr const char* kNoErrors = " 2>/dev/null";
#endif

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

// `seconds` of the simulated trajectory in `family`, with garbage bursts
// before a share `noise` of the frames.
inline Sim::SimStream Simulate(Sim::Family family, double seconds, double noise = 0.0, std::uint32_t seed = 1,
                               double rate_hz = 1.0) {
  Sim::StreamOptions options;
  options.seconds = seconds;
  options.noise = noise;
  options.seed = seed;
  options.rate_hz = rate_hz;
  return Sim::ComposeStream(family, options);
}

// `ksgnss ARGS` in-process, with `input` as standard input.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& input = std::string()) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  CliResult result;
  result.status = Tool::RunKsgnss(args, Tool::Io{in, out, err});
  result.out = ReadBack(out);
  result.err = ReadBack(err);
  std::fclose(in);
  return result;
}

// Decodes `bytes` handed over in blocks whose sizes `next_block` chooses;
// returns the printed records.
inline std::string DecodeInBlocks(const std::vector<std::uint8_t>& bytes, const Tool::DecodeSettings& settings,
                                  const std::function<std::size_t()>& next_block,
                                  Tool::DecodeStats* stats = nullptr) {
  std::FILE* out = std::tmpfile();
  {
    Tool::DecodeSession session(settings, out);
    for (std::size_t at = 0, n; at < bytes.size(); at += n) {
      n = std::min(std::max<std::size_t>(next_block(), 1), bytes.size() - at);
      session.Feed(bytes.data() + at, n);
    }
    session.Finish();
    if (stats != nullptr) *stats = session.Stats();
  }
  return ReadBack(out);
}

// The number after "key": in a JSON line (the first occurrence); NaN when
// the key is absent.
inline double NumberAfter(const std::string& line, const std::string& key) {
  const std::size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return std::nan("");
  return std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

// A temporary file name of this process: test programs of several build
// trees may run at the same time.
inline std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "ksgnss_" + std::to_string(getpid()) + "_" + name;
}

// Writes `bytes` to TempPath(name); returns the path.
inline std::string WriteTemp(const std::string& name, const std::string& bytes) {
  const std::string path = TempPath(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}
inline std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  return WriteTemp(name, std::string(bytes.begin(), bytes.end()));
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
