// NMEA capture logs as a receiver sends them. The logs keep one sentence per
// line, often without its CR, and may begin with '#' comment lines of their
// own; on the wire every sentence ends with CR LF and nothing else is sent.
// Header-only, so that benchmarks can use it without the test library.
#pragma once

#include <string>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Testing {

// The log's sentences in order, without line ends; comment and empty lines
// are dropped.
inline std::vector<std::string> NmeaLogSentences(const std::string& log) {
  std::vector<std::string> sentences;
  std::size_t pos = 0;
  while (pos < log.size()) {
    std::size_t end = log.find('\n', pos);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
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

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
