// The command line: one-line errors with their exit status, the cmd
// subcommand, the built tool keeping the library's trace off its output, and
// decode on a serial device.
#if !defined(_WIN32)
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::CliResult;
using Testing::Lines;
using Testing::RunCli;

TEST(Cli, MistakesGiveOneLineOnStderrAndAStatus) {
  const std::string sample = Testing::WriteTemp("cli_sample.nmea", "$GPGGA,1*4B\r\n");
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } kCases[] = {
      {{"frobnicate"}, 2, "unknown subcommand 'frobnicate'"},
      {{"decode", "--frob", sample}, 2, "unknown option '--frob'"},
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
      {{"cmd", "launch"}, 2, "unknown operation 'launch'"},
      {{"cmd", "elev-mask"}, 2, "usage: ksgnss cmd elev-mask DEG"},
      {{"cmd", "custom", "abc"}, 2, "odd number of hex digits"},
      {{"cmd", "sat-use", "3", "maybe"}, 2, "bad switch 'maybe'"},
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
      EXPECT_NE(line.find("\"wait\":"), std::string::npos) << line;
    }
    EXPECT_NE(result.err.find(std::to_string(lines.size()) + " packets"), std::string::npos);
  }
  // custom (cut into packets of 512 as the engine's raw packets are) with
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
              {"name = ABCDEFGHIJK\n", "at most 9 characters"}};
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
  const std::string tool = Testing::ToolCommand(KSGNSS_PATH);
  ASSERT_EQ(std::system((tool + " sim rtcm --seconds 3 > " + Testing::ToolCommand(sample) + Testing::kNoErrors).c_str()),
            0);
  for (const std::string& command :
       {tool + " rtcm " + Testing::ToolCommand(sample), tool + " decode --board 2 " + Testing::ToolCommand(sample)}) {
    int status = -1;
    const std::string out = Testing::ShellOutput(command + Testing::kNoErrors, &status);
    EXPECT_EQ(status, 0) << command;
    for (const std::string& line : Lines(out)) EXPECT_EQ(line.rfind("{\"", 0), 0u) << command << ": " << line;
    EXPECT_EQ(out.find("1004\r"), std::string::npos) << command;
  }
}

#if !defined(_WIN32)
// Windows has no pseudo-terminals: its serial path is tested from the host
// side, with a COM port of Wine mapped to one (tests/tools/wine_serial_test.py).

// decode on a serial device: a pseudo-terminal pair stands in for the port,
// a writer thread plays the receiver, and the built tool reads the terminal
// end until the receiver hangs up.
TEST(SerialPort, DecodesWhatTheReceiverWritesUntilItHangsUp) {
  const Sim::SimStream stream = Testing::Simulate(Sim::Family::kNmea, 8, 0.3);
  const std::string expected =
      Testing::RunCli({"decode", Testing::WriteTemp("serial_reference.nmea", stream.bytes)}).out;
  ASSERT_FALSE(expected.empty());

  int receiver = -1;
  int port = -1;
  char name[128] = {};
  ASSERT_EQ(openpty(&receiver, &port, name, nullptr, nullptr), 0);
  // Neither end may leak into the tool: a tool holding the master open
  // would never see the hang-up.
  fcntl(receiver, F_SETFD, FD_CLOEXEC);
  fcntl(port, F_SETFD, FD_CLOEXEC);
  // Raw before the first byte: the default line discipline would turn CR
  // into LF and echo everything back.
  termios tio = {};
  ASSERT_EQ(tcgetattr(port, &tio), 0);
  cfmakeraw(&tio);
  ASSERT_EQ(tcsetattr(port, TCSANOW, &tio), 0);

  // timeout(1) bounds the test should the hang-up ever go unnoticed.
  std::FILE* tool =
      popen(("timeout 60 " + std::string(KSGNSS_PATH) + " decode --baud 9600 " + name + " 2>/dev/null").c_str(), "r");
  ASSERT_NE(tool, nullptr);
  std::thread writer([&] {
    // Pieces of varying size with pauses, as a receiver sends epochs.
    std::size_t at = 0;
    for (std::size_t piece = 1; at < stream.bytes.size(); piece = piece * 3 % 701 + 1) {
      const std::size_t n = std::min(piece, stream.bytes.size() - at);
      ASSERT_EQ(write(receiver, stream.bytes.data() + at, n), static_cast<ssize_t>(n));
      at += n;
      if (piece % 7 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Hang up only once the tool has read everything: closing the master
    // discards what is still queued at the terminal end.
    for (int i = 0; i < 1000; ++i) {
      int queued = 0;
      ioctl(port, FIONREAD, &queued);
      if (queued == 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    close(receiver);
  });
  const std::string out = Testing::ReadAll(tool);
  writer.join();
  EXPECT_EQ(pclose(tool), 0);
  close(port);
  EXPECT_EQ(out, expected);
}
#endif

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
