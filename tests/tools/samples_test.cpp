// The committed samples are what `ksgnss sim` makes from the manifest (a
// change to the simulator or a platform difference shows here), and the
// demo decodes each of them successfully.
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "tests/tools/tool_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

TEST(Samples, CommittedFilesMatchTheSimulator) {
  std::ifstream manifest(Testing::SourcePath("samples/manifest"));
  ASSERT_TRUE(manifest.good());
  std::string line;
  int samples = 0;
  while (std::getline(manifest, line)) {
    if (line.empty() || line[0] == '#') continue;
    // "file | sim arguments | decode options"; the shell ignores the spaces
    // around the arguments.
    const std::string file = line.substr(0, line.find_first_of(" |"));
    const std::size_t bar = line.find('|');
    const std::string sim = line.substr(bar + 1, line.find('|', bar + 1) - bar - 1);
    const std::string committed = Testing::ReadFile(Testing::SourcePath("samples/" + file));
    EXPECT_FALSE(committed.empty()) << file;
    EXPECT_LT(committed.size(), 8192u) << file;
    EXPECT_EQ(Testing::ShellOutput(Testing::ToolCommand(KSGNSS_PATH) + " " + sim + Testing::kNoErrors), committed)
        << file;
    ++samples;
  }
  EXPECT_EQ(samples, 5);
}

TEST(Samples, DemoSummarisesEverySample) {
#if defined(_WIN32)
  GTEST_SKIP() << "the demo is a POSIX shell script";
#elif defined(KSGNSS_EMULATED)
  GTEST_SKIP() << "the demo script starts the tool without the emulator";
#endif
  std::string build = KSGNSS_PATH;
  build = build.substr(0, build.rfind('/'));  // .../tools
  build = build.substr(0, build.rfind('/'));
  const std::string out = Testing::ShellOutput(Testing::SourcePath("tools/demo.sh") + " " + build + "; echo status $?");
  EXPECT_NE(out.find("status 0"), std::string::npos) << out;
  EXPECT_EQ(out.find("no fix"), std::string::npos) << out;
  EXPECT_NE(out.find("in view    GPS 10 GLONASS 6 BeiDou 7"), std::string::npos) << out;
  EXPECT_NE(out.find("1021: 2, 1022: 2, 1023: 2, 1024: 2, 1025: 2, 1026: 2, 1027: 2"), std::string::npos) << out;
}
}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
