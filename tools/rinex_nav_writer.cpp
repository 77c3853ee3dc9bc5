#include "tools/rinex_nav_writer.h"

#include <cmath>

#include "tools/rinex_format.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

// D19.12: "-1.234567890123D-05".
void AppendNumber(std::string& line, double value) {
  char text[40];
  std::snprintf(text, sizeof(text), "%19.12E", std::isfinite(value) ? value : 0.0);
  for (char* c = text; *c; ++c)
    if (*c == 'E') *c = 'D';
  line += text;
}

// Four values on a broadcast-orbit line (fewer on the last one).
void AppendOrbit(std::string& text, std::initializer_list<double> values) {
  std::string line = "    ";
  for (double v : values) AppendNumber(line, v);
  text += line + "\n";
}

}  // namespace

double UraMetres(int index) {
  static const double kNominal[7] = {2.0, 2.8, 4.0, 5.7, 8.0, 11.3, 16.0};
  if (index < 0) return kNominal[0];
  if (index <= 6) return kNominal[index];
  if (index >= 15) return 6144.0;
  return std::ldexp(1.0, index - 2);
}

double FitHours(double flag, int iodc) {
  if (flag == 0.0) return 4.0;
  if (iodc >= 240 && iodc <= 247) return 8.0;
  if ((iodc >= 248 && iodc <= 255) || iodc == 496) return 14.0;
  if ((iodc >= 497 && iodc <= 503) || (iodc >= 1021 && iodc <= 1023)) return 26.0;
  if (iodc >= 504 && iodc <= 510) return 50.0;
  if (iodc == 511 || (iodc >= 752 && iodc <= 756)) return 74.0;
  if (iodc >= 757 && iodc <= 763) return 98.0;
  return 6.0;
}

void RinexNavWriter::Add(const em_eph_t& eph) {
  if (eph.sat < 1 || eph.sat > 32) return;
  for (const em_eph_t& held : records_)
    if (held.sat == eph.sat && held.iode == eph.iode && held.toes == eph.toes && held.week == eph.week) return;
  records_.push_back(eph);
}

bool RinexNavWriter::Write(std::FILE* out, int reference_week, const std::string& comment) const {
  std::string text;
  char line[128];
  std::snprintf(line, sizeof(line), "%9.2f%11s%-20s%-20s", 3.04, "", "N: GNSS NAV DATA", "G: GPS");
  text += Rinex::HeaderLine(line, "RINEX VERSION / TYPE");
  std::snprintf(line, sizeof(line), "%-20s%-20s%-20s", "ksgnss", "", Rinex::RunDate().c_str());
  text += Rinex::HeaderLine(line, "PGM / RUN BY / DATE");
  if (!comment.empty()) text += Rinex::HeaderLine(comment, "COMMENT");
  text += Rinex::HeaderLine("", "END OF HEADER");
  for (const em_eph_t& e : records_) {
    const std::int32_t week = reference_week >= 0 ? Rinex::NearestWeek(e.week, reference_week) : e.week;
    const std::int32_t shift = week - e.week;
    const Gnss::Calendar toc = Rinex::CalendarOf(e.toc, shift);
    std::snprintf(line, sizeof(line), "%s %04d %02d %02d %02d %02d %02d", Rinex::SatelliteId(e.sat).c_str(),
                  toc.year, toc.month, toc.day, toc.hour, toc.minute, static_cast<int>(toc.second));
    std::string first = line;
    AppendNumber(first, e.f0);
    AppendNumber(first, e.f1);
    AppendNumber(first, e.f2);
    text += first + "\n";
    AppendOrbit(text, {double(e.iode), e.crs, e.deln, e.M0});
    AppendOrbit(text, {e.cuc, e.e, e.cus, std::sqrt(e.A)});
    AppendOrbit(text, {e.toes, e.cic, e.OMG0, e.cis});
    AppendOrbit(text, {e.i0, e.crc, e.omg, e.OMGd});
    AppendOrbit(text, {e.idot, double(e.code), double(week), double(e.flag)});
    AppendOrbit(text, {UraMetres(e.sva), double(e.svh), e.tgd[0], double(e.iodc)});
    // Transmission time in seconds of the toe's week (negative or beyond a
    // week when it lies in another).
    std::int32_t ttr_week = 0, toe_week = 0;
    const double ttr = Gnss::TimeToGps(e.ttr, &ttr_week);
    Gnss::TimeToGps(e.toe, &toe_week);
    AppendOrbit(text, {ttr + (ttr_week - toe_week) * Gnss::kSecondsPerWeek, FitHours(e.fit, e.iodc)});
  }
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) return false;
  return std::fflush(out) == 0;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
