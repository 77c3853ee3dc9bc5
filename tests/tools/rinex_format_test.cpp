// ksgnss rinex on simulated streams of every family that reports
// observations: the files read back by their fixed columns, identical for
// any way the bytes are handed over; and the command's errors.
#if !defined(_WIN32)
#include <pty.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/rinex_test_reader.h"
#include "tests/tools/tool_test_support.h"
#include "tools/progress_line.h"
#include "tools/rinex_converter.h"

namespace Kestrel {
namespace KsParse {
namespace {

struct Files {
  std::string obs;
  std::string nav;
};

Files Convert(const std::vector<std::uint8_t>& bytes, const Tool::RinexSettings& settings,
              const std::function<std::size_t()>& next_block) {
  Tool::RinexConverter converter(settings);
  for (std::size_t at = 0, n; at < bytes.size(); at += n) {
    n = std::min(std::max<std::size_t>(next_block(), 1), bytes.size() - at);
    converter.Feed(bytes.data() + at, n);
  }
  converter.Finish();
  std::FILE* obs = std::tmpfile();
  std::FILE* nav = std::tmpfile();
  EXPECT_TRUE(converter.WriteObservations(obs));
  EXPECT_TRUE(converter.WriteNavigation(nav));
  return Files{Testing::ReadBack(obs), Testing::ReadBack(nav)};
}

struct Family {
  const char* name;
  Sim::Family family;
  int manufacturer;
  int board;
  bool rtcm;
};

TEST(RinexFormat, EveryObservingFamilyReadsBackTheSameForAnyChunking) {
  Testing::SetEnv("SOURCE_DATE_EPOCH", "1260000000");
  const Family families[] = {{"NovAtel", Sim::Family::kNovAtel, 1, 2, false},
                             {"software receiver", Sim::Family::kNovAtel, 2, 3, false},
                             {"RTCM 3", Sim::Family::kRtcm, 0, 0, true}};
  for (const Family& f : families) {
    SCOPED_TRACE(f.name);
    const Sim::SimStream stream = Testing::Simulate(f.family, 20.0, 0.05, 3);
    Tool::RinexSettings settings;
    settings.decode.manufacturer = f.manufacturer;
    settings.decode.board = f.board;
    settings.rtcm = f.rtcm;
    settings.week = 2000;
    const Files whole = Convert(stream.bytes, settings, [] { return std::size_t(1) << 20; });
    const Files single = Convert(stream.bytes, settings, [] { return std::size_t(1); });
    std::mt19937 random(11);
    const Files varied = Convert(stream.bytes, settings, [&] { return std::size_t(1 + random() % 1500); });
    EXPECT_EQ(single.obs, whole.obs);
    EXPECT_EQ(varied.obs, whole.obs);
    EXPECT_EQ(single.nav, whole.nav);
    EXPECT_EQ(varied.nav, whole.nav);

    const Testing::RinexObsFile obs = Testing::ReadRinexObs(whole.obs);
    EXPECT_TRUE(obs.faults.empty()) << obs.faults.front();
    ASSERT_EQ(obs.epochs.size(), 20u);
    for (std::size_t e = 1; e < obs.epochs.size(); ++e) EXPECT_LT(obs.epochs[e - 1], obs.epochs[e]);
    ASSERT_EQ(obs.types.count('G'), 1u);
    const std::vector<std::string>& gps = obs.types.at('G');
    // Code and phase on both GPS frequencies; strength always; Doppler from
    // the boards only (message 1004 carries none).
    for (const char* type : {"C1C", "L1C", "S1C", "C2W", "L2W", "S2W"})
      EXPECT_NE(std::find(gps.begin(), gps.end(), type), gps.end()) << type;
    EXPECT_EQ(std::find(gps.begin(), gps.end(), "D1C") != gps.end(), !f.rtcm);
    std::size_t pseudoranges = 0;
    for (const auto& v : obs.values)
      if (std::get<2>(v.first) == "C1C") {
        ++pseudoranges;
        EXPECT_GT(v.second, 1.9e7);
        EXPECT_LT(v.second, 2.6e7);
      }
    EXPECT_GE(pseudoranges, 20u * 6);
    if (!f.rtcm) {
      const auto nav = Testing::ReadRinexNav(whole.nav);
      ASSERT_FALSE(nav.empty());
      for (const auto& record : nav) EXPECT_EQ(record.second.size(), 29u) << record.first;
    }
  }
  Testing::SetEnv("SOURCE_DATE_EPOCH", nullptr);
}

TEST(RinexFormat, ErrorsNameTheProblemAndFail) {
  const std::string nmea = Testing::WriteTemp("rinex_input.nmea",
                                              "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n");
  Testing::CliResult r = Testing::RunCli({"rinex", "-o", Testing::TempPath("none"), nmea});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no observations in " + nmea), std::string::npos) << r.err;
  EXPECT_EQ(Testing::ReadText(Testing::TempPath("none") + ".obs"), "");

  const Sim::SimStream stream = Testing::Simulate(Sim::Family::kNovAtel, 2.0);
  const std::string input = Testing::WriteTemp("rinex_input.gps", stream.bytes);
  r = Testing::RunCli({"rinex", "-o", "/nonexistent-folder/x", input});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ksgnss rinex: cannot write /nonexistent-folder/x.obs: No such file or directory\n");

  r = Testing::RunCli({"rinex", "--week", "1562", input});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ksgnss rinex: --week applies to --rtcm input only\n");

  const std::string base = Testing::TempPath("rinex_out");
  r = Testing::RunCli({"rinex", "-o" + base, "--marker", "BASE 1", input});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "ksgnss rinex: 2 epochs to " + base + ".obs, 10 ephemerides to " + base + ".nav\n");
  EXPECT_NE(Testing::ReadText(base + ".obs").find("BASE 1                                                      MARKER NAME"),
            std::string::npos);
  for (const char* ext : {".obs", ".nav"}) std::remove((base + ext).c_str());
  std::remove(input.c_str());
  std::remove(nmea.c_str());
}

// A clock that advances 100 ms at every reading, so that the test does not
// depend on how busy the machine is.
std::chrono::steady_clock::time_point SteppingClock() {
  static std::chrono::steady_clock::time_point t;
  t += std::chrono::milliseconds(100);
  return t;
}

TEST(RinexFormat, ProgressLineOnlyOnATerminal) {
  std::FILE* file = std::tmpfile();
  {
    Tool::ProgressLine progress(file, "rinex", &SteppingClock);
    for (int i = 0; i < 5; ++i) progress.Update(4096, 3);
    progress.Done();
  }
  EXPECT_EQ(Testing::ReadBack(file), "");

#if !defined(_WIN32)  // a pseudo-terminal stands in for the console
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  std::FILE* terminal = fdopen(slave, "w");
  {
    Tool::ProgressLine progress(terminal, "rinex", &SteppingClock);
    progress.Update(4096, 3);  // 100 ms after the start: not drawn
    progress.Update(4096, 4);  // 200 ms: not drawn
    progress.Update(4096, 5);  // 300 ms: drawn
    progress.Update(4096, 6);  // 100 ms after the last line: not drawn
    progress.Done();
  }
  std::fclose(terminal);
  // The terminal may hand the line over in pieces; with its other end
  // closed, reading ends (EIO) once everything is read.
  std::string text;
  char piece[256];
  ssize_t n;
  while ((n = read(master, piece, sizeof(piece))) > 0) text.append(piece, static_cast<std::size_t>(n));
  close(master);
  // The terminal turns the line feed into carriage return and line feed.
  EXPECT_EQ(text, "\rksgnss rinex: 12288 bytes read, 5 epochs\r\n");
#endif
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
