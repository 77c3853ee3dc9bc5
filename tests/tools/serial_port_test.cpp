// decode on a serial device: a pseudo-terminal pair stands in for the port,
// a writer thread plays the receiver, and the built tool reads the terminal
// end until the receiver hangs up.
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/tools/tool_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

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

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
