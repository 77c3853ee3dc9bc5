// The HTML page of ksgnss report: summary table, sky plot, local track and
// time series, drawn as inline SVG with inline CSS and no script, so that the
// file reads the same offline in any browser.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "tools/report_data.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr double kPi = 3.14159265358979323846;

const char kStyle[] =
    "body{font-family:sans-serif;margin:24px;color:#222;max-width:920px}"
    "h1{font-size:20px}h2{font-size:16px;margin-top:28px}"
    "table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:3px 8px;text-align:left}"
    "svg{background:#fff;border:1px solid #ddd}text{font-size:11px;fill:#333}"
    ".grid{stroke:#ccc;fill:none}.axis{stroke:#666;fill:none}"
    ".sat{stroke:#000;stroke-width:.5}.sys-G{fill:#1f77b4}.sys-R{fill:#d62728}.sys-S{fill:#7f7f7f}"
    ".sys-C{fill:#2ca02c}"
    ".fix{stroke:none}.sol-0,.sol-3{fill:#999}.sol-1,.sol-2{fill:#8c564b}.sol-4{fill:#d62728}"
    ".sol-5,.sol-10{fill:#ff7f0e}.sol-6{fill:#bcbd22}.sol-7{fill:#9467bd}.sol-11{fill:#2ca02c}"
    ".line{fill:none;stroke-width:1.5}.l0{stroke:#1f77b4}.l1{stroke:#d62728}.l2{stroke:#2ca02c}"
    ".t0{fill:#1f77b4}.t1{fill:#d62728}.t2{fill:#2ca02c}";

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
  char text[160];
  std::snprintf(text, sizeof(text), format, a, b, c, d);
  return text;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string SystemName(char system) {
  switch (system) {
    case 'G': return "GPS";
    case 'R': return "GLONASS";
    case 'S': return "SBAS";
    default: return "BeiDou";
  }
}

// A tick step of 1, 2 or 5 times a power of ten giving about `count` ticks.
double NiceStep(double span, int count) {
  if (!(span > 0)) return 1;
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10 * power;
}

std::string SkyPlot(const ReportCollector& data) {
  const double c = 220, radius = 170;
  std::string svg = "<svg id=\"sky\" width=\"440\" height=\"440\" viewBox=\"0 0 440 440\" "
                    "xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\"sky plot\">";
  for (int el = 0; el < 90; el += 30) {
    const double r = (90 - el) / 90.0 * radius;
    svg += Format("<circle class=\"grid\" cx=\"%.0f\" cy=\"%.0f\" r=\"%.1f\"/>", c, c, r);
    svg += Format("<text x=\"%.1f\" y=\"%.1f\">%.0f&#176;</text>", c + 3, c - r + 12, el);
  }
  svg += Format("<line class=\"grid\" x1=\"%.0f\" y1=\"%.0f\" x2=\"%.0f\" y2=\"%.0f\"/>", c - radius, c, c + radius, c);
  svg += Format("<line class=\"grid\" x1=\"%.0f\" y1=\"%.0f\" x2=\"%.0f\" y2=\"%.0f\"/>", c, c - radius, c, c + radius);
  svg += Format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"middle\">N 0&#176;</text>", c, c - radius - 6);
  svg += Format("<text x=\"%.0f\" y=\"%.0f\">E 90&#176;</text>", c + radius + 3, c + 4);
  svg += Format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"middle\">S 180&#176;</text>", c, c + radius + 14);
  svg += Format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"end\">W 270&#176;</text>", c - radius - 3, c + 4);
  svg += "<text x=\"220\" y=\"418\" text-anchor=\"middle\">azimuth (&#176;) clockwise from north</text>"
         "<text x=\"220\" y=\"432\" text-anchor=\"middle\">elevation (&#176;): 0 at the rim, 90 in the centre</text>";
  for (const auto& entry : data.Satellites()) {
    const ReportSatellite& s = entry.second;
    const double r = (90 - s.elevation) / 90.0 * radius;
    const double x = c + r * std::sin(s.azimuth * kPi / 180), y = c - r * std::cos(s.azimuth * kPi / 180);
    // Signal strength as the shade: faint at 20 dB-Hz and below, full at 50.
    const double shade = 0.2 + 0.8 * std::min(1.0, std::max(0.0, (s.snr - 20) / 30));
    char id[16];
    std::snprintf(id, sizeof(id), "%c%02u", s.system, s.prn);
    svg += Format("<circle class=\"sat sys-", 0) + std::string(1, s.system) +
           Format("\" cx=\"%.1f\" cy=\"%.1f\" r=\"8\" fill-opacity=\"%.2f\">", x, y, shade) + "<title>" + id +
           Format(": elevation %.0f&#176;, azimuth %.0f&#176;, %.0f dB-Hz</title></circle>", s.elevation, s.azimuth,
                  s.snr);
    svg += Format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">", x, y - 10) + id + "</text>";
  }
  return svg + "</svg>";
}

// East and north metres of each epoch around the mean position.
std::vector<std::pair<double, double>> LocalTrack(const std::vector<ReportEpoch>& epochs) {
  double lat0 = 0, lon0 = 0;
  for (const ReportEpoch& e : epochs) lat0 += e.latitude, lon0 += e.longitude;
  lat0 /= static_cast<double>(epochs.size());
  lon0 /= static_cast<double>(epochs.size());
  // WGS-84 radii of curvature at the mean latitude.
  const double a = 6378137.0, e2 = 0.0066943799901413165, s = std::sin(lat0);
  const double n = a / std::sqrt(1 - e2 * s * s), m = n * (1 - e2) / (1 - e2 * s * s);
  std::vector<std::pair<double, double>> track;
  for (const ReportEpoch& e : epochs)
    track.emplace_back((e.longitude - lon0) * n * std::cos(lat0), (e.latitude - lat0) * m);
  return track;
}

std::string TrackPlot(const ReportCollector& data) {
  const std::vector<ReportEpoch>& epochs = data.Epochs();
  const std::vector<std::pair<double, double>> track = LocalTrack(epochs);
  double extent = 0.5;
  for (const auto& p : track) extent = std::max({extent, std::fabs(p.first), std::fabs(p.second)});
  const double step = NiceStep(2 * extent, 6);
  extent = std::ceil(extent / step) * step;
  const double left = 60, top = 20, size = 340, scale = size / (2 * extent);
  std::string svg = "<svg id=\"track\" width=\"420\" height=\"420\" viewBox=\"0 0 420 420\" "
                    "xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\"track\">";
  for (double v = -extent; v <= extent + step / 2; v += step) {
    const double x = left + (v + extent) * scale, y = top + (extent - v) * scale;
    svg += Format("<line class=\"grid\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\"/>", x, top, x, top + size);
    svg += Format("<line class=\"grid\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\"/>", left, y, left + size, y);
    svg += Format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%g</text>", x, top + size + 14, v);
    svg += Format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%g</text>", left - 4, y + 4, v);
  }
  svg += Format("<rect class=\"axis\" x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\"/>", left, top, size, size);
  svg += "<text x=\"230\" y=\"410\" text-anchor=\"middle\">east (m) from the mean position</text>";
  svg += "<text x=\"14\" y=\"190\" text-anchor=\"middle\" transform=\"rotate(-90 14 190)\">north (m)</text>";
  for (std::size_t i = 0; i < track.size(); ++i) {
    const double x = left + (track[i].first + extent) * scale, y = top + (extent - track[i].second) * scale;
    svg += Format("<circle class=\"fix sol-%.0f\" cx=\"%.1f\" cy=\"%.1f\" r=\"3\"/>", epochs[i].solution, x, y);
  }
  return svg + "</svg>";
}

struct Series {
  const char* name;
  double ReportEpoch::*value;  // or null for the solution code and satellites used
  unsigned ReportEpoch::*count;
};

// One time-series chart; lines break at gaps in the data.
std::string Chart(const char* id, const char* unit, const std::vector<ReportEpoch>& epochs,
                  const std::vector<Series>& series, const std::vector<bool>& gap_before) {
  const double left = 60, top = 12, width = 820, height = 110;
  const double t0 = epochs.front().time, span = std::max(1.0, epochs.back().time - t0);
  double high = 0;
  auto value = [](const ReportEpoch& e, const Series& s) {
    return s.value != nullptr ? e.*(s.value) : static_cast<double>(e.*(s.count));
  };
  for (const ReportEpoch& e : epochs)
    for (const Series& s : series) high = std::max(high, value(e, s));
  const double ystep = NiceStep(high > 0 ? high : 1, 4);
  high = std::max(ystep, std::ceil(high / ystep) * ystep);
  const double xstep = NiceStep(span, 8);
  std::string svg = std::string("<svg id=\"") + id +
                    "\" width=\"900\" height=\"160\" viewBox=\"0 0 900 160\" xmlns=\"http://www.w3.org/2000/svg\">";
  for (double v = 0; v <= high + ystep / 2; v += ystep) {
    const double y = top + height - v / high * height;
    svg += Format("<line class=\"grid\" x1=\"%.0f\" y1=\"%.1f\" x2=\"%.0f\" y2=\"%.1f\"/>", left, y, left + width, y);
    svg += Format("<text x=\"%.0f\" y=\"%.1f\" text-anchor=\"end\">%g</text>", left - 4, y + 4, v);
  }
  for (double t = 0; t <= span + xstep / 2; t += xstep) {
    const double x = left + t / span * width;
    svg += Format("<text x=\"%.1f\" y=\"%.0f\" text-anchor=\"middle\">%g</text>", x, top + height + 14, t);
  }
  svg += Format("<rect class=\"axis\" x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\"/>", left, top, width,
                height);
  svg += "<text x=\"470\" y=\"154\" text-anchor=\"middle\">time (s) from the first epoch</text>";
  svg += std::string("<text x=\"12\" y=\"70\" text-anchor=\"middle\" transform=\"rotate(-90 12 70)\">") + unit +
         "</text>";
  for (std::size_t k = 0; k < series.size(); ++k) {
    std::string points;
    auto flush = [&]() {
      if (!points.empty())
        svg += Format("<polyline class=\"line l%.0f\" points=\"", static_cast<double>(k)) + points + "\"/>";
      points.clear();
    };
    for (std::size_t i = 0; i < epochs.size(); ++i) {
      if (gap_before[i]) flush();
      points += Format("%.1f,%.1f ", left + (epochs[i].time - t0) / span * width,
                       top + height - value(epochs[i], series[k]) / high * height);
    }
    flush();
    if (series.size() > 1)
      svg += Format("<text class=\"t%.0f\" x=\"%.0f\" y=\"24\">", static_cast<double>(k), left + 8 + 70.0 * k) +
             series[k].name + "</text>";
  }
  return svg + "</svg>";
}

}  // namespace

std::string ReportPage(const ReportCollector& data, const ReportSource& source) {
  const std::vector<ReportEpoch>& epochs = data.Epochs();
  // A gap: more than one and a half times the usual (median) interval.
  std::vector<double> intervals;
  for (std::size_t i = 1; i < epochs.size(); ++i) intervals.push_back(epochs[i].time - epochs[i - 1].time);
  std::vector<double> sorted = intervals;
  std::sort(sorted.begin(), sorted.end());
  const double usual = sorted.empty() ? 0 : sorted[sorted.size() / 2];
  std::vector<bool> gap_before(epochs.size(), false);
  std::size_t gaps = 0;
  double longest = 0;
  for (std::size_t i = 1; i < epochs.size(); ++i) {
    if (intervals[i - 1] > 1.5 * usual && intervals[i - 1] > usual + 0.01) {
      gap_before[i] = true;
      ++gaps;
      longest = std::max(longest, intervals[i - 1]);
    }
  }
  std::map<unsigned, std::size_t> by_solution;
  for (const ReportEpoch& e : epochs) ++by_solution[e.solution];
  std::map<char, std::size_t> by_system;
  for (const auto& s : data.Satellites()) ++by_system[s.first.first];

  std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>ksgnss report: " +
                     Escape(source.name) + "</title><style>" + kStyle + "</style></head><body>\n";
  html += "<h1>ksgnss report: " + Escape(source.name) + "</h1>\n<table id=\"summary\">";
  auto row = [&](const std::string& name, const std::string& value) {
    html += "<tr><th>" + name + "</th><td>" + value + "</td></tr>";
  };
  row("bytes read", std::to_string(source.bytes));
  row("messages decoded", std::to_string(source.messages));
  row("frames rejected (wrong check value)", std::to_string(source.bad_frames));
  row("bytes outside well-formed frames", std::to_string(source.stray_bytes));
  row("position epochs", std::to_string(epochs.size()));
  if (!epochs.empty()) {
    const std::time_t first = static_cast<std::time_t>(epochs.front().time);
    char text[64];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", std::gmtime(&first));
    row("span", std::string(text) + Format(" + %.1f s", epochs.back().time - epochs.front().time));
  }
  std::string fixes;
  for (const auto& s : by_solution)
    fixes += (fixes.empty() ? "" : ", ") + std::string(SolutionName(s.first)) + Format(" (%.0f): ", s.first) +
             std::to_string(s.second);
  row("fixes by solution type", fixes.empty() ? "none" : fixes);
  row("gaps in the data", gaps == 0 ? std::string("none") : std::to_string(gaps) + Format(", longest %.1f s", longest));
  std::string seen;
  for (const auto& s : by_system) seen += (seen.empty() ? "" : ", ") + SystemName(s.first) + " " + std::to_string(s.second);
  row("satellites seen", seen.empty() ? "none" : seen);
  html += "</table>\n";

  html += "<h2>Sky plot: " + std::to_string(data.Satellites().size()) +
          " satellites, last reported place; shade: signal strength (20 to 50 dB-Hz); colour: GPS blue, "
          "GLONASS red, SBAS grey, BeiDou green</h2>\n" +
          SkyPlot(data) + "\n";
  if (epochs.empty()) return html + "<p>No positions in this recording.</p></body></html>\n";
  std::string legend;
  for (const auto& s : by_solution)
    legend += Format("<svg width=\"10\" height=\"10\"><circle class=\"key sol-%.0f\" cx=\"5\" cy=\"5\" r=\"4\"/></svg> ",
                     s.first) + SolutionName(s.first) + " ";
  html += "<h2>Track: " + std::to_string(epochs.size()) + " positions</h2>\n<p>" + legend + "</p>\n" +
          TrackPlot(data) + "\n";
  html += "<h2>Satellites used</h2>\n" +
          Chart("used", "satellites", epochs, {{"used", nullptr, &ReportEpoch::used}}, gap_before) + "\n";
  html += "<h2>Solution code</h2>\n" +
          Chart("solution", "code", epochs, {{"code", nullptr, &ReportEpoch::solution}}, gap_before) + "\n";
  html += "<h2>Dilution of precision</h2>\n" +
          Chart("dop", "DOP", epochs,
                {{"PDOP", &ReportEpoch::pdop, nullptr}, {"HDOP", &ReportEpoch::hdop, nullptr},
                 {"VDOP", &ReportEpoch::vdop, nullptr}},
                gap_before) +
          "\n";
  html += "<h2>Precision</h2>\n" +
          Chart("precision", "metres", epochs,
                {{"horizontal", &ReportEpoch::hprec, nullptr}, {"vertical", &ReportEpoch::vprec, nullptr}},
                gap_before) +
          "\n";
  return html + "</body></html>\n";
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
