// A small RINEX 3 reader for the tests: observation files read back by their
// fixed columns (checking the layout on the way) and GPS navigation records
// as lists of numbers.
#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Testing {

struct RinexObsFile {
  std::vector<std::string> header;                     // lines up to END OF HEADER
  std::map<char, std::vector<std::string>> types;      // "C1C" ... per system
  std::vector<std::string> epochs;                     // "yyyy mm dd hh mm ss.sssssss" as printed
  // (epoch index, satellite, type) -> value; blank fields are absent.
  std::map<std::tuple<std::size_t, std::string, std::string>, double> values;
  std::vector<std::string> faults;                     // layout faults found while reading
};

inline std::vector<std::string> FileLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The epoch time of an epoch line as six numbers, so that "00.0000000"
// and " 0.0000000" compare equal.
inline std::string EpochKey(const std::string& line) {
  std::istringstream in(line.substr(2, 27));
  int y, mo, d, h, mi;
  double s;
  in >> y >> mo >> d >> h >> mi >> s;
  char key[64];
  std::snprintf(key, sizeof(key), "%04d-%02d-%02d %02d:%02d:%010.7f", y, mo, d, h, mi, s);
  return key;
}

inline RinexObsFile ReadRinexObs(const std::string& text) {
  RinexObsFile file;
  const std::vector<std::string> lines = FileLines(text);
  std::size_t i = 0;
  char system = ' ';
  for (; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    file.header.push_back(line);
    if (line.size() < 61 || line.size() > 80) file.faults.push_back("header line width: " + line);
    const std::string label = line.size() > 60 ? line.substr(60) : "";
    if (label.rfind("SYS / # / OBS TYPES", 0) == 0) {
      if (line[0] != ' ') system = line[0];
      std::istringstream in(line.substr(7, 53));
      for (std::string t; in >> t;) file.types[system].push_back(t);
    }
    if (label.rfind("END OF HEADER", 0) == 0) break;
  }
  if (i == lines.size()) file.faults.push_back("no END OF HEADER");
  for (++i; i < lines.size();) {
    const std::string& epoch = lines[i++];
    if (epoch.size() < 35 || epoch[0] != '>' || epoch[29] != ' ' || epoch[30] != ' ' || epoch[31] != '0') {
      file.faults.push_back("epoch line: " + epoch);
      break;
    }
    const std::size_t count = static_cast<std::size_t>(std::atoi(epoch.substr(32, 3).c_str()));
    file.epochs.push_back(EpochKey(epoch));
    for (std::size_t k = 0; k < count; ++k, ++i) {
      if (i >= lines.size() || lines[i].empty() || lines[i][0] == '>') {
        file.faults.push_back("fewer satellites than the epoch line says at " + epoch);
        break;
      }
      const std::string& row = lines[i];
      const std::string sat = row.substr(0, 3);
      const std::vector<std::string>& types = file.types[sat[0]];
      if (row.size() > 3 + 16 * types.size()) file.faults.push_back("row longer than its types: " + row);
      for (std::size_t t = 0; t < types.size() && 3 + 16 * t < row.size(); ++t) {
        const std::string field = row.substr(3 + 16 * t, 14);
        if (field.find_first_not_of(' ') == std::string::npos) continue;
        if (field.size() != 14 || field[10] != '.') file.faults.push_back("field not F14.3: " + row);
        file.values[std::make_tuple(file.epochs.size() - 1, sat, types[t])] = std::atof(field.c_str());
      }
    }
  }
  return file;
}

// GPS navigation records: satellite and toc text (the first 23 columns),
// then the 29 numbers, D exponents read as E.
inline std::vector<std::pair<std::string, std::vector<double>>> ReadRinexNav(const std::string& text) {
  const std::vector<std::string> lines = FileLines(text);
  std::vector<std::pair<std::string, std::vector<double>>> records;
  std::size_t i = 0;
  while (i < lines.size() && lines[i].find("END OF HEADER") == std::string::npos) ++i;
  for (++i; i + 7 < lines.size() + 1 && i < lines.size(); i += 8) {
    if (lines[i].empty() || lines[i][0] != 'G') break;
    std::string numbers = lines[i].substr(23);
    for (std::size_t k = 1; k < 8 && i + k < lines.size(); ++k) numbers += lines[i + k].substr(4);
    for (char& c : numbers) c = c == 'D' ? 'E' : c;
    std::vector<double> v;
    for (std::size_t at = 0; at + 19 <= numbers.size(); at += 19) v.push_back(std::atof(numbers.substr(at, 19).c_str()));
    records.emplace_back(lines[i].substr(0, 23), v);
  }
  return records;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
