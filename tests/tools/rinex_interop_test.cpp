// ksgnss rinex against RTKLIB on real recordings: every observation and
// ephemeris field equal to what convbin writes for the same bytes, and
// rnx2rtkp's single-point positions from our files next to the receiver's
// own BESTPOS. Skipped when the captures or the tools are absent.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "boards/gnss_utils.h"
#include "support/test_paths.h"
#include "tests/tools/rinex_test_reader.h"
#include "tests/tools/tool_test_support.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr const char* kConvbin = "/usr/bin/convbin";
constexpr const char* kRnx2rtkp = "/usr/bin/rnx2rtkp";

class RinexInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/ksgnss_rinex_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  // Our files and convbin's for one capture: BASE.obs/.nav and peer.obs/.nav.
  void ConvertBoth(const std::string& capture, const std::vector<std::string>& ours, const std::string& peer_args) {
    std::vector<std::string> args = {"rinex", "-o", dir_ + "/ours"};
    args.insert(args.end(), ours.begin(), ours.end());
    args.push_back(capture);
    const Testing::CliResult r = Testing::RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string command = std::string(kConvbin) + " " + peer_args + " -v 3.04 -od -os -o " + dir_ +
                                "/peer.obs -n " + dir_ + "/peer.nav '" + capture + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // Every observation of ours equals convbin's (same epoch, satellite and
  // type) within the tolerance of its kind; every convbin observation of the
  // systems we decode is in ours. Prints the largest differences.
  void ExpectSameObservations(const std::string& systems) {
    const Testing::RinexObsFile ours = Testing::ReadRinexObs(Testing::ReadText(dir_ + "/ours.obs"));
    const Testing::RinexObsFile peer = Testing::ReadRinexObs(Testing::ReadText(dir_ + "/peer.obs"));
    ASSERT_TRUE(ours.faults.empty()) << ours.faults.front();
    ASSERT_EQ(ours.epochs, peer.epochs);
    const std::map<char, double> tolerance = {{'C', 0.001}, {'L', 0.001}, {'D', 0.001}, {'S', 0.25}};
    std::map<char, double> largest;
    std::size_t compared = 0;
    for (const auto& v : ours.values) {
      const auto theirs = peer.values.find(v.first);
      ASSERT_NE(theirs, peer.values.end()) << std::get<1>(v.first) << " " << std::get<2>(v.first);
      const char kind = std::get<2>(v.first)[0];
      const double d = std::fabs(v.second - theirs->second);
      EXPECT_LE(d, tolerance.at(kind)) << ours.epochs[std::get<0>(v.first)] << " " << std::get<1>(v.first) << " "
                                       << std::get<2>(v.first);
      largest[kind] = std::max(largest[kind], d);
      ++compared;
    }
    for (const auto& v : peer.values) {
      if (systems.find(std::get<1>(v.first)[0]) == std::string::npos) continue;
      EXPECT_EQ(ours.values.count(v.first), 1u) << std::get<1>(v.first) << " " << std::get<2>(v.first);
    }
    std::printf("%zu observations compared; largest differences C %g m, L %g cycles, D %g Hz, S %g dB-Hz\n",
                compared, largest['C'], largest['L'], largest['D'], largest['S']);
  }

  std::string dir_;
};

TEST_F(RinexInterop, NovAtelRecordingMatchesConvbin) {
  const std::string capture = Testing::CapturePath("oemv_200911218.gps");
  if (capture.empty()) GTEST_SKIP() << "capture oemv_200911218.gps not present";
  if (access(kConvbin, X_OK) != 0) GTEST_SKIP() << "convbin not installed";
  ConvertBoth(capture, {"--board", "2"}, "-r nov");
  ExpectSameObservations("GRS");

  // Ephemerides: every one of ours is convbin's record for that satellite
  // and toc, each number equal to the 12 decimals convbin prints. The
  // accuracy (index 23) is the RINEX nominal value of the URA index, which
  // convbin rounds differently.
  const auto ours = Testing::ReadRinexNav(Testing::ReadText(dir_ + "/ours.nav"));
  const auto peer = Testing::ReadRinexNav(Testing::ReadText(dir_ + "/peer.nav"));
  ASSERT_EQ(ours.size(), 9u);
  double largest = 0;
  for (const auto& record : ours) {
    const auto match = std::find_if(peer.begin(), peer.end(), [&](const auto& p) { return p.first == record.first; });
    ASSERT_NE(match, peer.end()) << record.first;
    ASSERT_EQ(record.second.size(), match->second.size());
    for (std::size_t k = 0; k < record.second.size(); ++k) {
      if (k == 23) continue;
      const double a = record.second[k], b = match->second[k];
      const double d = std::fabs(a - b) / std::max(std::fabs(b), 1e-300);
      EXPECT_LE(std::fabs(a - b), 5e-12 * std::fabs(b)) << record.first << " value " << k;
      if (b != 0) largest = std::max(largest, d);
    }
  }
  std::printf("9 ephemerides compared; largest relative difference %g\n", largest);
}

TEST_F(RinexInterop, RtcmStreamMatchesConvbinForGps) {
  const std::string capture = Testing::CapturePath("testglo.rtcm3");
  if (capture.empty()) GTEST_SKIP() << "capture testglo.rtcm3 not present";
  if (access(kConvbin, X_OK) != 0) GTEST_SKIP() << "convbin not installed";
  // The stream's GPS week (2009-12-18) is given on both sides.
  ConvertBoth(capture, {"--rtcm", "--week", "1562"}, "-r rtcm3 -tr 2009/12/18 23:00:00");
  ExpectSameObservations("GS");
}

struct Fix {
  double lat, lon, height;
};

// The receiver's own BESTPOS solutions by calendar second (GPS time).
class BestPos : public Tool::DecodeListener {
 public:
  void OnCallback(Em_Gnss& gnss, Msg_Type kind, unsigned int flags) override {
    if (kind != MSG_GNSS || (flags & 0x10000000u) == 0) return;
    POS_INFO p = {};
    gnss.Get_Gnss_Pos(&p);
    if (p.latitude == 0 && p.longitude == 0) return;
    char key[32];
    std::snprintf(key, sizeof(key), "%04d/%02d/%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  static_cast<int>(p.second));
    fixes[key] = Fix{p.latitude, p.longitude, p.height};
  }
  std::map<std::string, Fix> fixes;
};

TEST_F(RinexInterop, Rnx2rtkpSinglePointLiesNextToBestpos) {
  const std::string capture = Testing::CapturePath("oemv_200911218.gps");
  if (capture.empty()) GTEST_SKIP() << "capture oemv_200911218.gps not present";
  if (access(kRnx2rtkp, X_OK) != 0) GTEST_SKIP() << "rnx2rtkp not installed";
  const Testing::CliResult r = Testing::RunCli({"rinex", "-o", dir_ + "/ours", capture});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pos = dir_ + "/ours.pos";
  const std::string command = std::string(kRnx2rtkp) + " -p 0 -t -o " + pos + " " + dir_ + "/ours.obs " + dir_ +
                              "/ours.nav > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);

  BestPos best;
  Tool::DecodeSettings settings;
  settings.board = 2;
  settings.listener = &best;
  settings.set_time_zone = true;  // calendar in GPS time, as rnx2rtkp prints it
  const std::string bytes = Testing::ReadFile(capture);
  Testing::DecodeInBlocks(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), settings, [] { return 4096; });

  double largest = 0, sum = 0;
  std::size_t both = 0;
  for (const std::string& line : Testing::FileLines(Testing::ReadText(pos))) {
    if (line.empty() || line[0] == '%') continue;
    char date[11], time[13];
    double lat, lon, height;
    ASSERT_EQ(std::sscanf(line.c_str(), "%10s %12s %lf %lf %lf", date, time, &lat, &lon, &height), 5) << line;
    const auto fix = best.fixes.find(std::string(date) + " " + std::string(time).substr(0, 8));
    if (fix == best.fixes.end()) continue;
    double a[3], b[3];
    const double rad = std::acos(-1.0) / 180;
    Gnss::GeodeticToEcef(lat * rad, lon * rad, height, a);
    Gnss::GeodeticToEcef(fix->second.lat, fix->second.lon, fix->second.height, b);
    const double d = std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                               (a[2] - b[2]) * (a[2] - b[2]));
    EXPECT_LT(d, 10.0) << line;
    largest = std::max(largest, d);
    sum += d;
    ++both;
  }
  EXPECT_GE(both, 40u);
  std::printf("%zu epochs; distance to BESTPOS max %.2f m, mean %.2f m\n", both, largest, both ? sum / both : 0.0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
