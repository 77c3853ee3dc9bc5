#include "support/test_paths.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "support/capture_dir.h"

namespace Kestrel {
namespace KsParse {
namespace Testing {

std::string SourcePath(const std::string& relative) {
  return std::string(KSPARSE_SOURCE_DIR) + "/" + relative;
}

std::string CapturePath(const std::string& name) {
  const std::string dir = CaptureDir();
  if (dir.empty()) return std::string();
  std::string path = dir + name;
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::string();
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
