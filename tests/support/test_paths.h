// Locations of data that tests read: the project's own samples and, when the
// folder exists, the shared real-receiver captures beside the project.
#pragma once

#include <string>

namespace Kestrel {
namespace KsParse {
namespace Testing {

// Absolute path of a file under the project root.
std::string SourcePath(const std::string& relative);

// Path of a real capture under shared/captures (see capture_dir.h), or an
// empty string when the folder or the file is absent (tests then skip).
std::string CapturePath(const std::string& name);

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
