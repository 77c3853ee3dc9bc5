// Helpers of the ksgnss tests: run a subcommand in-process with temporary
// files as its streams, decode a byte stream in chosen blocks, split output
// into lines.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "tools/commands.h"
#include "tools/decode_session.h"

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

// Everything written to a temporary file.
inline std::string ReadBack(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  return ReadAll(file);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    lines.push_back(text.substr(start, stop - start));
    start = stop + 1;
  }
  return lines;
}

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

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
  std::fclose(out);
  std::fclose(err);
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
    std::size_t at = 0;
    while (at < bytes.size()) {
      std::size_t n = next_block();
      if (n == 0) n = 1;
      if (n > bytes.size() - at) n = bytes.size() - at;
      session.Feed(bytes.data() + at, n);
      at += n;
    }
    session.Finish();
    if (stats != nullptr) *stats = session.Stats();
  }
  const std::string text = ReadBack(out);
  std::fclose(out);
  return text;
}

// The number after "key": in a JSON line (the first occurrence); NaN when
// the key is absent.
inline double NumberAfter(const std::string& line, const std::string& key) {
  const std::size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return std::nan("");
  return std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

inline bool HasKey(const std::string& line, const std::string& key) {
  return line.find("\"" + key + "\":") != std::string::npos;
}

// A temporary file name of this process: test programs of several build
// trees may run at the same time.
inline std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "ksgnss_" + std::to_string(getpid()) + "_" + name;
}

inline std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::string path = TempPath(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
