// Replay driver for the fuzz targets when libFuzzer is not linked in.
//
// With file or directory arguments every file is run once through the target.
// Without arguments a fixed sequence of pseudo-random inputs is run, so that
// each target is exercised by the ordinary test suite too.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return 1;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

void RunRandom() {
  std::mt19937 rng(20261206u);
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 3000; ++i) {
    std::size_t size = rng() % (i < 2000 ? 64u : 4096u);
    bytes.resize(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    // Some inputs start with sync bytes the parsers look for, so that their
    // deeper paths run too.
    static const std::uint8_t kStarts[][3] = {
        {0xD3, 0x00, 0x13}, {0xAA, 0x44, 0x12}, {'$', 'G', 'P'}, {0x02, 0x00, 0x98}, {'$', 'B', 'I'}};
    if (size >= 3 && (i % 3) == 0) std::copy(kStarts[(i / 3) % 5], kStarts[(i / 3) % 5] + 3, bytes.begin());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    RunRandom();
    return 0;
  }
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file()) failures += RunFile(entry.path());
      }
    } else {
      failures += RunFile(arg);
    }
  }
  return failures == 0 ? 0 : 1;
}
