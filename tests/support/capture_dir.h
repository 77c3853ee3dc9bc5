// Where the shared real-receiver captures are: the folder shared/captures
// beside the source tree, found from wherever a test or benchmark program
// runs. Header-only, so that the benchmark programs, which do not link the
// test support library, use the same search.
#pragma once

#include <cstdlib>
#include <string>
#include <sys/stat.h>

#if defined(__linux__)
#include <climits>
#include <unistd.h>
#endif

namespace Kestrel {
namespace KsParse {
namespace Testing {

inline bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The first `shared/captures` in `start` or one of its parents, or "".
inline std::string FindSharedCaptures(std::string start) {
  while (!start.empty()) {
    const std::string candidate = start + "/shared/captures";
    if (IsDirectory(candidate)) return candidate + "/";
    const std::size_t slash = start.find_last_of('/');
    if (slash == std::string::npos) break;
    start.erase(slash);
  }
  return std::string();
}

// The captures folder with a trailing '/', or "" when there is none. Tried
// in order: $KSPARSE_CAPTURES; ../shared/captures beside the source tree
// the program was built from; the parents of the working directory and of
// the program's own directory, so that a build directory anywhere below the
// folder that holds shared/ finds it.
inline std::string CaptureDir() {
  if (const char* env = std::getenv("KSPARSE_CAPTURES")) {
    if (IsDirectory(env)) return std::string(env) + "/";
  }
#ifdef KSPARSE_SOURCE_DIR
  std::string source = KSPARSE_SOURCE_DIR;
  const std::size_t slash = source.find_last_of('/');
  if (slash != std::string::npos) {
    const std::string found = FindSharedCaptures(source.substr(0, slash));
    if (!found.empty()) return found;
  }
#endif
#if defined(__linux__)
  char path[PATH_MAX];
  if (getcwd(path, sizeof(path)) != nullptr) {
    const std::string found = FindSharedCaptures(path);
    if (!found.empty()) return found;
  }
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n > 0) {
    path[n] = '\0';
    const std::string found = FindSharedCaptures(path);
    if (!found.empty()) return found;
  }
#endif
  return std::string();
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
