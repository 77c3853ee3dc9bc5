// Real-data cross-check of the NovAtel decoder against Debian's convbin
// (RTKLIB), which turns the same recording into RINEX: every RANGECMP epoch's
// pseudoranges, carrier phases, Doppler and signal strengths, and every
// RAWEPHEM ephemeris. Skipped when the capture or the tool is absent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "boards/gnss_utils.h"
#include "board_test_support.h"
#include "support/test_paths.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr const char* kConvbin = "/usr/bin/convbin";

struct RinexSat {
  double value[8];  // C1 L1 D1 S1 C2 L2 D2 S2; 0 where the field is blank
};
using RinexEpoch = std::map<unsigned, RinexSat>;  // by the decoder's satellite number

// G01 -> 1, R01 -> 38 (slot + 37), S20 -> 120: the numbers RANGECMP uses.
unsigned SatNumber(const std::string& id) {
  const unsigned n = static_cast<unsigned>(std::atoi(id.c_str() + 1));
  switch (id[0]) {
    case 'R': return n + 37;
    case 'S': return n + 100;
    default: return n;
  }
}

// convbin's RINEX files (observations, GPS navigation) for the capture.
bool RunConvbin(const std::string& capture, std::string* obs, std::string* nav) {
  char dir[] = "/tmp/ksparse_novatel_XXXXXX";
  if (mkdtemp(dir) == nullptr) return false;
  *obs = std::string(dir) + "/capture.obs";
  *nav = std::string(dir) + "/capture.nav";
  const std::string command = std::string(kConvbin) + " -r nov -od -os -o " + *obs + " -n " + *nav + " '" + capture +
                              "' > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The lines of a RINEX file after its header.
std::vector<std::string> RinexBody(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  bool header = true;
  for (std::string line; std::getline(in, line);) {
    if (!header) lines.push_back(line);
    header = header && line.find("END OF HEADER") == std::string::npos;
  }
  return lines;
}

std::vector<RinexEpoch> ReadObservations(const std::string& path) {
  std::vector<RinexEpoch> epochs;
  for (const std::string& line : RinexBody(path)) {
    if (line[0] == '>') {
      epochs.emplace_back();
      continue;
    }
    RinexSat s{};
    for (std::size_t k = 0, at = 3; k < 8; ++k, at += 16)
      s.value[k] = at < line.size() ? std::atof(line.substr(at, 14).c_str()) : 0.0;
    epochs.back()[SatNumber(line.substr(0, 3))] = s;
  }
  return epochs;
}

// GPS navigation records by satellite and IODE: the 29 values after the
// clock reference time, D exponents read as E.
std::map<std::pair<unsigned, int>, std::vector<double>> ReadNavigation(const std::string& path) {
  const std::vector<std::string> lines = RinexBody(path);
  std::map<std::pair<unsigned, int>, std::vector<double>> records;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i][0] != 'G') continue;
    std::vector<double> v;
    const unsigned sat = SatNumber(lines[i].substr(0, 3));
    std::string text = lines[i].substr(23);
    for (int k = 0; k < 7 && i + 1 < lines.size(); ++k) text += lines[++i].substr(4);
    for (char& c : text) c = c == 'D' ? 'E' : c;
    for (std::size_t at = 0; at + 19 <= text.size(); at += 19) v.push_back(std::atof(text.substr(at, 19).c_str()));
    records[{sat, static_cast<int>(v[3])}] = v;
  }
  return records;
}

TEST(NovAtelInterop, AgreesWithConvbin) {
  const std::string capture = Testing::CapturePath("oemv_200911218.gps");
  if (capture.empty()) GTEST_SKIP() << "capture oemv_200911218.gps not present";
  if (access(kConvbin, X_OK) != 0) GTEST_SKIP() << "convbin not installed";
  std::string obs_path, nav_path;
  ASSERT_TRUE(RunConvbin(capture, &obs_path, &nav_path));
  const std::vector<RinexEpoch> epochs = ReadObservations(obs_path);
  const auto nav = ReadNavigation(nav_path);
  std::remove(obs_path.c_str());
  std::remove(nav_path.c_str());
  rmdir(obs_path.substr(0, obs_path.rfind('/')).c_str());
  ASSERT_EQ(epochs.size(), 46u);
  ASSERT_EQ(nav.size(), 9u);

  Testing::NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  std::size_t epoch = 0, ephemerides = 0;
  for (const std::string& log : Testing::SplitNovAtelLogs(Testing::ReadFile(capture))) {
    if (log.size() > FrameBuffer::kCapacity) continue;
    ASSERT_TRUE(b.Feed(log));
    if (Testing::LogId(log) == 140) {
      ASSERT_LT(epoch, epochs.size());
      const RinexEpoch& ref = epochs[epoch++];
      ASSERT_EQ(d.obs_count, ref.size()) << "epoch " << epoch;
      for (std::uint32_t i = 0; i < d.obs_count; ++i) {
        const em_obsd_t& o = d.obs[i];
        const auto r = ref.find(o.sat);
        ASSERT_NE(r, ref.end()) << "satellite " << int(o.sat);
        for (int f = 0; f < 2; ++f) {
          const double* v = r->second.value + 4 * f;
          SCOPED_TRACE(int(o.sat));
          Testing::ExpectNear(Testing::D{o.p[f], o.l[f], o.d[f], 1.0 * o.snr[f]}, Testing::D(v, v + 4), 1e-3);
        }
      }
    }
    if (Testing::LogId(log) == 41) {
      const em_eph_t& e = d.eph[d.last_eph_sat > 0 ? d.last_eph_sat - 1 : 0];
      const auto r = nav.find({static_cast<unsigned>(e.sat), e.iode});
      ASSERT_NE(r, nav.end()) << e.sat;
      const std::vector<double>& v = r->second;
      ++ephemerides;
      // RINEX order: af0 af1 af2 / IODE Crs dn M0 / Cuc e Cus sqrtA / toe Cic
      // OMG0 Cis / i0 Crc omg OMGd / idot code week flag / sva svh tgd iodc /
      // ttr fit.
      const double ours[] = {e.f0, e.f1, e.f2, double(e.iode), e.crs, e.deln, e.M0, e.cuc, e.e, e.cus,
                             std::sqrt(e.A), e.toes, e.cic, e.OMG0, e.cis, e.i0, e.crc, e.omg, e.OMGd,
                             e.idot, double(e.code), 0, double(e.flag), 0, double(e.svh), e.tgd[0],
                             double(e.iodc)};
      for (std::size_t k = 0; k < sizeof(ours) / sizeof(ours[0]); ++k) {
        if (k == 21 || k == 23) continue;  // week (below) and accuracy in metres
        EXPECT_NEAR(ours[k], v[k], 1e-11 * std::fabs(v[k]) + 1e-20) << "sat " << e.sat << " value " << k;
      }
      // The 10-bit week is completed from the clock: whole 1024-week steps.
      EXPECT_EQ((e.week - static_cast<int>(v[21])) % 1024, 0);
      std::int32_t week = 0;
      EXPECT_EQ(Gnss::TimeToGps(e.toe, &week), v[11]);
      EXPECT_EQ(week, e.week);
    }
  }
  EXPECT_EQ(epoch, epochs.size());
  EXPECT_EQ(ephemerides, 25u);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
