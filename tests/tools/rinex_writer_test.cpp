// The RINEX 3.04 writers on hand-made decoder records: the exact lines of
// the observation and navigation files, with the expected text written out
// from the format's column layout.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "boards/gnss_utils.h"
#include "tests/tools/tool_test_support.h"
#include "tools/rinex_nav_writer.h"
#include "tools/rinex_obs_writer.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::Lines;
using namespace Tool;
using Testing::ReadBack;

em_obsd_t Record(unsigned sat, std::uint32_t week, double sow) {
  em_obsd_t o = {};
  const em_gtime_t t = Gnss::GpsToTime(week, sow);
  o.time = t.time;
  o.sec = t.sec;
  o.sat = static_cast<std::uint8_t>(sat);
  return o;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

class RinexWriter : public ::testing::Test {
 protected:
  void SetUp() override { Testing::SetEnv("SOURCE_DATE_EPOCH", "1260000000"); }
  void TearDown() override { Testing::SetEnv("SOURCE_DATE_EPOCH", nullptr); }
};

TEST_F(RinexWriter, ObservationFileColumnsTypesAndEpochs) {
  // 2009-12-18 23:07:00.5 GPS time is week 1562, 515220.5 s.
  std::vector<em_obsd_t> first;
  em_obsd_t g = Record(5, 1562, 515220.5);
  g.code[0] = 1, g.code[1] = 19;
  g.p[0] = 20213930.641, g.p[1] = 20213929.547;
  g.l[0] = 106224932.512, g.l[1] = 82772666.965;
  g.d[0] = -1140.227f, g.d[1] = -888.492f;
  g.snr[0] = 51, g.snr[1] = 45;
  g.lli[0] = 1, g.lli[1] = 2;
  first.push_back(g);
  em_obsd_t r = Record(44, 1562, 515220.5);  // GLONASS slot 7; no Doppler
  r.code[0] = 1;
  r.p[0] = 21815848.070, r.l[0] = 116495399.641, r.snr[0] = 40;
  first.push_back(r);
  em_obsd_t s = Record(120, 1562, 515220.5);  // SBAS PRN 120: nothing at the second index is kept
  s.code[0] = 1, s.code[1] = 19;
  s.p[0] = 37175537.062, s.l[0] = 197915775.836, s.p[1] = 37175537.062;
  first.push_back(s);
  first.push_back(Record(70, 1562, 515220.5));  // outside every system's numbering
  em_obsd_t g13 = Record(13, 1562, 515220.5);
  g13.p[0] = 24389990.742;  // no code: the band's usual signal

  em_obsd_t late = Record(5, 1562, 515279.99999999);  // prints as the next minute, never as 60 s
  late.code[0] = 1;
  late.p[0] = 20214000.5;

  RinexObsWriter writer(1.0);
  writer.AddEpoch(first.data(), first.size());
  writer.AddEpoch(&g13, 1);  // same time: joins the epoch
  writer.AddEpoch(&late, 1);
  EXPECT_EQ(writer.Epochs(), 2u);
  EXPECT_EQ(writer.FirstWeek(), 1562);
  RinexObsHeader header;
  header.marker = "PILLAR 7";
  header.xyz[0] = -3869297.0463, header.xyz[1] = 3436571.375, header.xyz[2] = 3717369.8735;
  std::FILE* out = std::tmpfile();
  ASSERT_TRUE(writer.Write(out, header));
  const std::vector<std::string> lines = Lines(ReadBack(out));

  const std::vector<std::string> header_lines = {
      "     3.04           OBSERVATION DATA    M: Mixed            RINEX VERSION / TYPE",
      "ksgnss                                  20091205 080000 UTC PGM / RUN BY / DATE",
      "PILLAR 7                                                    MARKER NAME",
      " -3869297.0463  3436571.3750  3717369.8735                  APPROX POSITION XYZ",
      "        0.0000        0.0000        0.0000                  ANTENNA: DELTA H/E/N",
      "G    8 C1C L1C D1C S1C C2W L2W D2W S2W                      SYS / # / OBS TYPES",
      "R    3 C1C L1C S1C                                          SYS / # / OBS TYPES",
      "S    2 C1C L1C                                              SYS / # / OBS TYPES",
      "  2009    12    18    23     7    0.5000000     GPS         TIME OF FIRST OBS",
      "  2009    12    18    23     8    0.0000000     GPS         TIME OF LAST OBS",
      "G L1C                                                       SYS / PHASE SHIFT",
      "G L2W                                                       SYS / PHASE SHIFT",
      "  0                                                         GLONASS SLOT / FRQ #",
  };
  for (const std::string& line : header_lines) EXPECT_TRUE(Contains(lines, line)) << line;
  const std::vector<std::string> body = {
      "                                                            END OF HEADER",
      "> 2009 12 18 23 07  0.5000000  0  4",
      "G05  20213930.641 8 106224932.51218     -1140.227 8        51.000 8  20213929.547 7  82772666.96527"
      "      -888.492 7        45.000 7",
      "R07  21815848.070 6 116495399.641 6        40.000 6",
      "S20  37175537.062   197915775.836",
      "G13  24389990.742",
      "> 2009 12 18 23 08  0.0000000  0  1",
      "G05  20214000.500",  // no signal strength: no indicator
  };
  ASSERT_GE(lines.size(), body.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(body.size()), lines.end()), body);
}

TEST(RinexWriterSignals, DecoderCodesToRinexCodes) {
  EXPECT_EQ(RinexSignal('G', 0, 1), "1C");
  EXPECT_EQ(RinexSignal('G', 0, 2), "1P");
  EXPECT_EQ(RinexSignal('G', 1, 19), "2W");
  EXPECT_EQ(RinexSignal('G', 1, 14), "2X");
  EXPECT_EQ(RinexSignal('R', 1, 19), "2P");
  EXPECT_EQ(RinexSignal('R', 1, 14), "2C");
  EXPECT_EQ(RinexSignal('C', 0, 1), "2I");
  EXPECT_EQ(RinexSignal('C', 1, 19), "7I");
  EXPECT_EQ(RinexSignal('R', 1, 0), "2P");
  EXPECT_EQ(RinexSignal('S', 1, 19), "");
}

TEST_F(RinexWriter, NavigationRecordScaledAndMovedToTheRecordingsWeek) {
  // A week completed from a clock 1024 weeks later than the recording.
  em_eph_t e = {};
  e.sat = 11, e.iode = 110, e.iodc = 110, e.week = 1562 + 1024, e.code = 2;
  e.toe = Gnss::GpsToTime(1562 + 1024, 518400);
  e.toc = e.toe;
  e.ttr = Gnss::GpsToTime(1562 + 1024, 515226);
  e.toes = 518400;
  e.f0 = -3.49921174347e-05, e.f1 = -2.04636307899e-12;
  e.crs = 2.5, e.deln = 6.694207412037e-09, e.M0 = -0.6432488508566;
  e.cuc = 2.793967723846e-07, e.e = 1.037508016452e-02, e.cus = 4.427507519722e-06, e.A = 5153.5 * 5153.5;
  e.idot = 3.035840740667e-11, e.tgd[0] = -1.164153218269e-08;
  RinexNavWriter writer;
  writer.Add(e);
  writer.Add(e);  // the same ephemeris again
  em_eph_t beidou = e;
  beidou.sat = 165;
  writer.Add(beidou);
  EXPECT_EQ(writer.Count(), 1u);
  std::FILE* out = std::tmpfile();
  ASSERT_TRUE(writer.Write(out, 1562, ""));
  const std::vector<std::string> expected = {
      "     3.04           N: GNSS NAV DATA    G: GPS              RINEX VERSION / TYPE",
      "ksgnss                                  20091205 080000 UTC PGM / RUN BY / DATE",
      "                                                            END OF HEADER",
      "G11 2009 12 19 00 00 00-3.499211743470D-05-2.046363078990D-12 0.000000000000D+00",
      "     1.100000000000D+02 2.500000000000D+00 6.694207412037D-09-6.432488508566D-01",
      "     2.793967723846D-07 1.037508016452D-02 4.427507519722D-06 5.153500000000D+03",
      "     5.184000000000D+05 0.000000000000D+00 0.000000000000D+00 0.000000000000D+00",
      "     0.000000000000D+00 0.000000000000D+00 0.000000000000D+00 0.000000000000D+00",
      "     3.035840740667D-11 2.000000000000D+00 1.562000000000D+03 0.000000000000D+00",
      "     2.000000000000D+00 0.000000000000D+00-1.164153218269D-08 1.100000000000D+02",
      "     5.152260000000D+05 4.000000000000D+00",
  };
  EXPECT_EQ(Lines(ReadBack(out)), expected);
}

TEST(RinexNav, AccuracyAndFitIntervalFromTheBroadcastIndices) {
  // URA index to metres: 2^(1+N/2) to one decimal up to 6, then 2^(N-2).
  EXPECT_EQ(UraMetres(1), 2.8);
  EXPECT_EQ(UraMetres(5), 11.3);
  EXPECT_EQ(UraMetres(7), 32.0);
  EXPECT_EQ(UraMetres(14), 4096.0);
  // Fit flag 0: 4 hours; flag 1 by IODC.
  EXPECT_EQ(FitHours(0, 300), 4.0);
  EXPECT_EQ(FitHours(1, 300), 6.0);
  EXPECT_EQ(FitHours(1, 245), 8.0);
  EXPECT_EQ(FitHours(1, 496), 14.0);
  EXPECT_EQ(FitHours(1, 1022), 26.0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
