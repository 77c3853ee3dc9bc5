// NMEA capture logs as a receiver sends them. The logs keep one sentence per
// line, often without its CR, and may begin with '#' comment lines of their
// own; on the wire every sentence ends with CR LF and nothing else is sent.
// Header-only, so that benchmarks can use it without the test library.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Testing {

// The log's sentences in order, without line ends; comment and empty lines
// are dropped.
inline std::vector<std::string> NmeaLogSentences(const std::string& log) {
  std::vector<std::string> sentences;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') sentences.push_back(line);
  }
  return sentences;
}

// The sentences as one stream, each ended with CR LF.
inline std::string NmeaWire(const std::vector<std::string>& sentences) {
  std::string wire;
  for (const std::string& s : sentences) wire += s + "\r\n";
  return wire;
}

// The shared NMEA capture logs found in `captures_dir` (with its trailing
// slash): name and sentences of each; none when the folder is absent.
inline std::vector<std::pair<std::string, std::vector<std::string>>> NmeaCaptures(
    const std::string& captures_dir) {
  std::vector<std::pair<std::string, std::vector<std::string>>> logs;
  for (const char* name : {"skytraq-dgps.nmea", "telit-he910.nmea", "ublox-zed-f9p-nmea.nmea"}) {
    std::ifstream in(captures_dir + name, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty()) logs.emplace_back(name, NmeaLogSentences(text));
  }
  return logs;
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
