// The command line: help, one-line errors with their exit status, the cmd
// subcommand, and the built tool keeping the library's trace off its output.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::CliResult;
using Testing::Lines;
using Testing::RunCli;

TEST(Cli, HelpForTheToolAndEverySubcommand) {
  const CliResult overview = RunCli({"--help"});
  EXPECT_EQ(overview.status, 0);
  for (const char* name : {"decode", "rtcm", "cmd", "sim"}) {
    EXPECT_NE(overview.out.find(name), std::string::npos) << name;
    const CliResult help = RunCli({"help", name});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(std::string("usage: ksgnss ") + name, 0), 0u) << help.out;
    EXPECT_EQ(RunCli({name, "--help"}).out, help.out);
  }
  EXPECT_EQ(RunCli({}).status, 2);
}

TEST(Cli, MistakesGiveOneLineOnStderrAndAStatus) {
  const std::string sample = Testing::WriteTemp("cli_sample.nmea", "$GPGGA,1*00\r\n");
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } kCases[] = {
      {{"frobnicate"}, 2, "unknown subcommand 'frobnicate'"},
      {{"help", "frobnicate"}, 2, "unknown subcommand"},
      {{"decode", "--frob", sample}, 2, "unknown option '--frob'"},
      {{"decode", "-x", sample}, 2, "unknown option '-x'"},
      {{"decode", "--chunk", "12k", sample}, 2, "bad number '12k' for --chunk"},
      {{"decode", "--chunk", "0", sample}, 2, "--chunk must be between 1"},
      {{"decode", "--chunk"}, 2, "--chunk needs a value"},
      {{"decode", "--text", "--quiet", sample}, 2, "exclude each other"},
      {{"decode", "--baud", "12345", sample}, 2, "unsupported baud rate 12345"},
      {{"decode", "--parse-nmea=1", sample}, 2, "takes no value"},
      {{"decode", sample, sample}, 2, "one input"},
      {{"decode", "/nonexistent/file.nmea"}, 1, "cannot open '/nonexistent/file.nmea'"},
      {{"decode", ::testing::TempDir()}, 1, "is a directory"},
      {{"sim"}, 2, "needs one family"},
      {{"sim", "ublox"}, 2, "unknown family 'ublox'"},
      {{"sim", "nmea", "--noise", "1.5"}, 2, "--noise must be between 0 and 1"},
      {{"sim", "nmea", "--seconds", "abc"}, 2, "bad number 'abc' for --seconds"},
      {{"cmd"}, 2, "needs an operation"},
      {{"cmd", "launch"}, 2, "unknown operation 'launch'"},
      {{"cmd", "elev-mask"}, 2, "usage: ksgnss cmd elev-mask DEG"},
      {{"cmd", "custom", "0x1"}, 2, "bad hex"},
      {{"cmd", "custom", "abc"}, 2, "odd number of hex digits"},
      {{"cmd", "sat-use", "3", "maybe"}, 2, "bad switch 'maybe'"},
      {{"cmd", "--base-config", "/nonexistent.cfg", "inite"}, 1, "cannot open '/nonexistent.cfg'"},
  };
  for (const auto& c : kCases) {
    const CliResult result = RunCli(c.args);
    EXPECT_EQ(result.status, c.status) << c.args[0] << " " << result.err;
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "") << c.says;
  }
}

TEST(Cli, CmdPrintsEveryPacketOfTheOperation) {
  // The NovAtel board answers every board-level operation with ASCII
  // commands; each record's hex is its packet and len its length.
  for (const char* op : {"inite", "start-rover", "unlog", "query-elev-mask"}) {
    const CliResult result = RunCli({"cmd", "--board", "2", op});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    EXPECT_FALSE(lines.empty()) << op;
    for (const std::string& line : lines) {
      const std::size_t len = static_cast<std::size_t>(Testing::NumberAfter(line, "len"));
      const std::size_t hex = line.find("\"hex\":\"") + 7;
      EXPECT_EQ(line.find('"', hex) - hex, 2 * len) << line;
      EXPECT_TRUE(Testing::HasKey(line, "wait"));
    }
    EXPECT_NE(result.err.find(std::to_string(lines.size()) + " packets"), std::string::npos);
  }
  // custom: the bytes cut into packets of 512.
  const std::string payload(1100 * 2, 'a');
  const CliResult custom = RunCli({"cmd", "custom", payload});
  ASSERT_EQ(custom.status, 0) << custom.err;
  const std::vector<std::string> packets = Lines(custom.out);
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(Testing::NumberAfter(packets[0], "len"), 512);
  EXPECT_EQ(Testing::NumberAfter(packets[2], "len"), 76);
  EXPECT_NE(packets[0].find("\"hex\":\"aaaa"), std::string::npos);
  // --text adds the printable form.
  const CliResult text = RunCli({"cmd", "--text", "custom", "24410d0a01"});
  EXPECT_NE(text.out.find("text $A\\r\\n\\x01"), std::string::npos) << text.out;
}

TEST(Cli, CmdAppliesConfigurationFilesFirst) {
  const std::string base = Testing::WriteTemp("base.cfg",
                                     "# base station\n"
                                     "port = 2\n"
                                     "diff_format = 7   # RTCM 3\n"
                                     "latitude = 31.5\n"
                                     "name = ROOF\n");
  const CliResult plain = RunCli({"cmd", "--board", "2", "start-base"});
  const CliResult configured = RunCli({"cmd", "--board", "2", "--base-config", base, "start-base"});
  ASSERT_EQ(configured.status, 0) << configured.err;
  EXPECT_NE(plain.out, configured.out);
  const std::string rover = Testing::WriteTemp("rover.cfg", "port = 0\nbaud = 115200\nref_station = R1\n");
  EXPECT_EQ(RunCli({"cmd", "--board", "2", "--rover-config", rover, "start-rover"}).status, 0);

  const struct {
    const char* text;
    const char* says;
  } kBad[] = {{"port 2\n", "base.cfg:1: expected key = value"},
              {"\n\nspeed = 3\n", "base.cfg:3: unknown key 'speed'"},
              {"elev_mask = 300\n", "elev_mask must be between 0 and 255"},
              {"name = ABCDEFGHIJK\n", "at most 9 characters"},
              {"latitude = north\n", "bad number 'north'"}};
  for (const auto& bad : kBad) {
    const CliResult result = RunCli({"cmd", "--base-config", Testing::WriteTemp("base.cfg", bad.text), "inite"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(bad.says), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

TEST(Cli, DecodeFileAndStandardInputAgree) {
  const Sim::SimStream stream = Testing::Simulate(Sim::Family::kNmea, 4);
  const std::string bytes(stream.bytes.begin(), stream.bytes.end());
  const std::string path = Testing::WriteTemp("cli_decode.nmea", stream.bytes);
  const CliResult file = RunCli({"decode", "--chunk", "100", path});
  ASSERT_EQ(file.status, 0) << file.err;
  EXPECT_EQ(RunCli({"decode"}, bytes).out, file.out);
  EXPECT_EQ(RunCli({"decode", "-"}, bytes).out, file.out);
  EXPECT_EQ(file.err, "ksgnss decode: " + std::to_string(bytes.size()) + " bytes read, " +
                          std::to_string(Lines(file.out).size()) + " callbacks (kind 1: " +
                          std::to_string(Lines(file.out).size()) + ")\n");
  const CliResult text = RunCli({"decode", "--text", "--timezone", "8", path});
  EXPECT_NE(text.out.find("kind 1  flags 0x00001000\n  pos "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("time 2026-03-14 16:00:00.000"), std::string::npos) << text.out;
}

// The built tool: the decoder's trace lines (one per RTCM 3 message) must
// not reach standard output.
TEST(Cli, BuiltToolKeepsTheLibraryTraceOffItsOutput) {
  const std::string sample = Testing::TempPath("trace.rtcm3");
  const std::string tool = KSGNSS_PATH;
  ASSERT_EQ(std::system((tool + " sim rtcm --seconds 3 > " + sample + " 2>/dev/null").c_str()), 0);
  for (const std::string& command : {tool + " rtcm " + sample, tool + " decode --board 2 " + sample}) {
    int status = -1;
    const std::string out = Testing::ShellOutput(command + " 2>/dev/null", &status);
    EXPECT_EQ(status, 0) << command;
    for (const std::string& line : Lines(out)) EXPECT_EQ(line.rfind("{\"", 0), 0u) << command << ": " << line;
    EXPECT_EQ(out.find("1004\r"), std::string::npos) << command;
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
