#include "support/test_paths.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace Kestrel {
namespace KsParse {
namespace Testing {

std::string SourcePath(const std::string& relative) {
  return std::string(KSPARSE_SOURCE_DIR) + "/" + relative;
}

std::string CapturePath(const std::string& name) {
  std::string path = std::string(KSPARSE_SOURCE_DIR) + "/../shared/captures/" + name;
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
