// ksgnss report: the frame scan behind the summary, the page of each
// committed sample (self-contained, labelled, one mark per satellite and
// per position), and the page rendered by a real browser, Debian's chromium
// in headless mode, when it is installed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "tests/tools/rinex_test_reader.h"
#include "tests/tools/tool_test_support.h"
#include "tools/frame_audit.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ReportFrameAudit, CountsBadCheckValuesAndStrayBytes) {
  const std::string good_nmea = "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n";
  const std::string bad_nmea = "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*77\r\n";
  // The RTCM 3 message 1005 example frame of RTCM 10403, CRC-24Q 36 0B 98.
  const unsigned char rtcm[] = {0xD3, 0x00, 0x13, 0x3E, 0xD7, 0xD3, 0x02, 0x02, 0x98, 0x0E, 0xDE, 0xEF, 0x34,
                                0xB4, 0xBD, 0x62, 0xAC, 0x09, 0x41, 0x98, 0x6F, 0x33, 0x36, 0x0B, 0x98};
  std::string bytes = "xyz" + good_nmea + bad_nmea + std::string(reinterpret_cast<const char*>(rtcm), sizeof(rtcm));
  bytes += std::string(reinterpret_cast<const char*>(rtcm), sizeof(rtcm) - 1) + "\x99";  // CRC broken
  const Tool::FrameAuditResult r =
      Tool::AuditFrames(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  EXPECT_EQ(r.good_frames, 2u);
  EXPECT_EQ(r.bad_frames, 2u);
  EXPECT_EQ(r.stray_bytes, 3 + bad_nmea.size() + sizeof(rtcm));
}

struct Sample {
  const char* file;
  std::vector<std::string> options;
  std::size_t satellites;  // distinct satellites of the GSV sentences with a checksum that matches
  std::size_t positions;   // GGA sentences (NMEA) or BESTPOS logs (NovAtel) with a good check value
};

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = {
      {"nmea-rover.nmea", {"--parse-nmea"}, 23, 6},
      {"nmea-noisy.nmea", {"--parse-nmea"}, 23, 4},
      {"nmea-drive.nmea", {"--parse-nmea"}, 23, 9},
      {"novatel-rover.gps", {"--board", "2", "--parse-nmea"}, 23, 3},
  };
  return samples;
}

std::string PageOf(const Sample& s, const std::string& html) {
  std::vector<std::string> args = {"report", "-o", html};
  args.insert(args.end(), s.options.begin(), s.options.end());
  args.push_back(Testing::SourcePath(std::string("samples/") + s.file));
  const Testing::CliResult r = Testing::RunCli(args);
  EXPECT_EQ(r.status, 0) << r.err;
  return Testing::ReadText(html);
}

TEST(Report, EachSamplesPageIsSelfContainedAndLabelled) {
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.file);
    const std::string html = Testing::TempPath("report.html");
    const std::string page = PageOf(s, html);
    std::remove(html.c_str());
    EXPECT_EQ(Count(page, "<script"), 0u);
    EXPECT_EQ(Count(page, "src="), 0u);
    EXPECT_EQ(Count(page, "href="), 0u);
    EXPECT_EQ(Count(page, "url("), 0u);
    EXPECT_EQ(Count(page, "class=\"sat "), s.satellites);
    EXPECT_EQ(Count(page, "class=\"fix "), s.positions);
    for (const char* label : {"azimuth (&#176;)", "elevation (&#176;)", "east (m)", "north (m)",
                              "time (s) from the first epoch", ">satellites<", ">DOP<", ">metres<"})
      EXPECT_NE(page.find(label), std::string::npos) << label;
  }
  const std::string empty = Testing::WriteTemp("report_empty.bin", std::string(300, '\0'));
  const Testing::CliResult r = Testing::RunCli({"report", "-o", Testing::TempPath("x.html"), empty});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ksgnss report: nothing decoded from " + empty + " (check --board)\n");
  std::remove(empty.c_str());
}

#ifndef _WIN32
// Chromium's software rendering is slow on a busy machine: each page gets
// three minutes. (The Windows build has no browser to start.)
TEST(ReportRender, ChromiumDrawsEverySamplesPageWithoutConsoleErrors) {
  if (access(kChromium, X_OK) != 0) GTEST_SKIP() << "chromium not installed";
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.file);
    char dir[] = "/tmp/ksgnss_render_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string d = dir;
    PageOf(s, d + "/page.html");
    const std::string command = "timeout 180 " + std::string(kChromium) +
                                " --headless --disable-gpu --no-sandbox --hide-scrollbars --user-data-dir=" + d +
                                "/profile --enable-logging=stderr --v=0 --window-size=960,2400 --screenshot=" + d +
                                "/page.png --dump-dom file://" + d + "/page.html > " + d + "/dom.html 2> " + d +
                                "/log.txt";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string dom = Testing::ReadText(d + "/dom.html");
    const std::string log = Testing::ReadText(d + "/log.txt");
    const std::string png = Testing::ReadText(d + "/page.png");
    EXPECT_EQ(Count(log, ":CONSOLE"), 0u) << log;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    // The browser's own reading of the page: every mark is in its DOM.
    EXPECT_EQ(Count(dom, "class=\"sat "), s.satellites);
    EXPECT_EQ(Count(dom, "class=\"fix "), s.positions);
    EXPECT_EQ(Count(dom, "<svg id="), 6u);  // sky plot, track and four time series
    std::system(("rm -rf '" + d + "'").c_str());
  }
}
#endif

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
