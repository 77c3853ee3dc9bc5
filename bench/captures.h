// The shared real-receiver captures for the benchmark programs, found from
// any build directory (see tests/support/capture_dir.h).
#pragma once

#include <cstdio>
#include <string>

#include "tests/support/capture_dir.h"

namespace BenchFeed {

// Path of a shared capture, "" when the captures are absent; the folder
// itself (with its trailing '/') for an empty name. Says once on standard
// error which folder is read, or that simulated streams stand in.
inline std::string CaptureFile(const std::string& name) {
  static const std::string dir = [] {
    const std::string found = Kestrel::KsParse::Testing::CaptureDir();
    if (found.empty())
      std::fprintf(stderr, "no shared captures found (set KSPARSE_CAPTURES): simulated streams only\n");
    else
      std::fprintf(stderr, "shared captures: %s\n", found.c_str());
    return found;
  }();
  return dir.empty() ? std::string() : dir + name;
}

}  // namespace BenchFeed
