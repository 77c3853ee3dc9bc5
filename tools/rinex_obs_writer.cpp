#include "tools/rinex_obs_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "tools/rinex_format.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

// Observation kinds in the order each signal lists them.
constexpr char kKinds[4] = {'C', 'L', 'D', 'S'};
constexpr const char* kSystems = "GRSC";

double Value(const em_obsd_t& o, unsigned f, unsigned kind, double snr_unit) {
  switch (kind) {
    case 0: return o.p[f];
    case 1: return o.l[f];
    case 2: return o.d[f];
    default: return o.snr[f] * snr_unit;
  }
}

// F14.3, or blanks for a missing value (0) or one the field cannot hold.
// Formatted by hand from the value in thousandths, ties to even as printf
// rounds them (decoded values are often exact binary fractions, so ties
// occur): printf's exact decimal expansion is most of the conversion's time.
void AppendValue(std::string& line, double value, int lli, int ssi) {
  if (value == 0.0 || !std::isfinite(value) || std::fabs(value) >= 1e10) {
    line.append(16, ' ');
    return;
  }
  const double scaled = std::nearbyint(std::fabs(value) * 1000.0);
  unsigned long long n = static_cast<unsigned long long>(scaled);
  char field[16];
  int at = 14;
  for (int digit = 0; digit < 3; ++digit, n /= 10) field[--at] = static_cast<char>('0' + n % 10);
  field[--at] = '.';
  do {
    field[--at] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  if (value < 0 && scaled != 0) field[--at] = '-';
  while (at > 0) field[--at] = ' ';
  line.append(field, 14);
  line += lli > 0 ? static_cast<char>('0' + lli) : ' ';
  line += ssi > 0 ? static_cast<char>('0' + ssi) : ' ';
}

// Signal strength indicator 1-9 from dB-Hz (1: below 12, 9: 54 or more).
int StrengthIndicator(double dbhz) {
  if (dbhz <= 0.0) return 0;
  return std::min(9, std::max(1, static_cast<int>(dbhz / 6.0)));
}

void TrimRight(std::string& line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
}

}  // namespace

std::string RinexSignal(char system, unsigned index, unsigned code) {
  // Decoder signal codes: 1 L1 C/A, 2 L1 P, 14 L2 civil, 19 L2 P(Y)
  // (semi-codeless tracking for GPS). BeiDou B1I sits in band 2 and B2I in
  // band 7 of the RINEX numbering.
  if (system == 'C') return index == 0 ? "2I" : "7I";
  // SBAS satellites broadcast on L1 and L5 only; what a decoder reports at
  // the second index for them is not an L5 signal and is left out.
  if (system == 'S') return index == 0 ? "1C" : "";
  switch (code) {
    case 1: return "1C";
    case 2: return "1P";
    case 14: return system == 'R' ? "2C" : "2X";
    case 19: return system == 'R' ? "2P" : "2W";
    default: break;
  }
  if (index == 0) return "1C";
  return system == 'R' ? "2P" : "2W";
}

void RinexObsWriter::AddEpoch(const em_obsd_t* records, std::size_t count) {
  if (count == 0) return;
  const em_gtime_t time = {records[0].time, records[0].sec};
  if (epochs_.empty() || epochs_.back().time.time != time.time || epochs_.back().time.sec != time.sec)
    epochs_.push_back(Epoch{time, {}});
  std::vector<em_obsd_t>& sats = epochs_.back().sats;
  for (std::size_t i = 0; i < count; ++i) {
    if (Rinex::SatelliteId(records[i].sat).empty()) continue;
    auto same = std::find_if(sats.begin(), sats.end(), [&](const em_obsd_t& o) { return o.sat == records[i].sat; });
    if (same != sats.end()) {
      *same = records[i];
    } else {
      sats.push_back(records[i]);
    }
  }
  if (sats.empty()) epochs_.pop_back();
}

int RinexObsWriter::FirstWeek() const {
  if (epochs_.empty()) return -1;
  std::int32_t week = 0;
  Gnss::TimeToGps(epochs_.front().time, &week);
  return week;
}

bool RinexObsWriter::Write(std::FILE* out, const RinexObsHeader& header) const {
  // Observation types per system: "C1C" ... for every signal and kind with
  // at least one value, signals in band then attribute order.
  std::map<char, std::map<std::string, unsigned>> seen;  // system -> signal -> kinds bit mask
  for (const Epoch& e : epochs_) {
    for (const em_obsd_t& o : e.sats) {
      const char system = Rinex::SatelliteId(o.sat)[0];
      for (unsigned f = 0; f < 2; ++f) {
        unsigned mask = 0;
        for (unsigned k = 0; k < 4; ++k)
          if (Value(o, f, k, snr_unit_) != 0.0) mask |= 1u << k;
        const std::string signal = RinexSignal(system, f, o.code[f]);
        if (mask != 0 && !signal.empty()) seen[system][signal] |= mask;
      }
    }
  }
  std::string text;
  char line[128];
  const bool mixed = seen.size() != 1;
  std::snprintf(line, sizeof(line), "%9.2f%11s%-20s%-20s", 3.04, "", "OBSERVATION DATA",
                mixed ? "M: Mixed" : seen.begin()->first == 'G' ? "G: GPS"
                                     : seen.begin()->first == 'R' ? "R: GLONASS"
                                     : seen.begin()->first == 'S' ? "S: SBAS payload"
                                                                  : "C: BeiDou");
  text += Rinex::HeaderLine(line, "RINEX VERSION / TYPE");
  std::snprintf(line, sizeof(line), "%-20s%-20s%-20s", "ksgnss", "", Rinex::RunDate().c_str());
  text += Rinex::HeaderLine(line, "PGM / RUN BY / DATE");
  if (!header.comment.empty()) text += Rinex::HeaderLine(header.comment, "COMMENT");
  text += Rinex::HeaderLine(header.marker, "MARKER NAME");
  text += Rinex::HeaderLine("", "OBSERVER / AGENCY");
  text += Rinex::HeaderLine("", "REC # / TYPE / VERS");
  text += Rinex::HeaderLine("", "ANT # / TYPE");
  std::snprintf(line, sizeof(line), "%14.4f%14.4f%14.4f", header.xyz[0], header.xyz[1], header.xyz[2]);
  text += Rinex::HeaderLine(line, "APPROX POSITION XYZ");
  std::snprintf(line, sizeof(line), "%14.4f%14.4f%14.4f", 0.0, 0.0, 0.0);
  text += Rinex::HeaderLine(line, "ANTENNA: DELTA H/E/N");

  // Per system, the types in file order: (index into the record, kind).
  std::map<char, std::vector<std::pair<std::string, unsigned>>> types;
  for (const char* s = kSystems; *s; ++s) {
    const auto found = seen.find(*s);
    if (found == seen.end()) continue;
    std::vector<std::string> names;
    for (const auto& signal : found->second)
      for (unsigned k = 0; k < 4; ++k)
        if (signal.second & (1u << k)) {
          types[*s].emplace_back(signal.first, k);
          names.push_back(std::string(1, kKinds[k]) + signal.first);
        }
    for (std::size_t at = 0; at < names.size(); at += 13) {
      std::string content;
      if (at == 0) {
        std::snprintf(line, sizeof(line), "%c  %3u", *s, static_cast<unsigned>(names.size()));
        content = line;
      } else {
        content.assign(6, ' ');
      }
      for (std::size_t i = at; i < names.size() && i < at + 13; ++i) content += " " + names[i];
      text += Rinex::HeaderLine(content, "SYS / # / OBS TYPES");
    }
  }
  text += Rinex::HeaderLine("DBHZ", "SIGNAL STRENGTH UNIT");
  em_gtime_t first = epochs_.empty() ? em_gtime_t{0, 0.0} : epochs_.front().time;
  em_gtime_t last = first;
  for (const Epoch& e : epochs_) {
    if (Gnss::TimeDiff(e.time, first) < 0) first = e.time;
    if (Gnss::TimeDiff(e.time, last) > 0) last = e.time;
  }
  for (const em_gtime_t* t : {&first, &last}) {
    const Gnss::Calendar c = Rinex::CalendarOf(*t);
    std::snprintf(line, sizeof(line), "%6d%6d%6d%6d%6d%13.7f%5s%3s", c.year, c.month, c.day, c.hour, c.minute,
                  c.second, "", "GPS");
    text += Rinex::HeaderLine(line, t == &first ? "TIME OF FIRST OBS" : "TIME OF LAST OBS");
  }
  // Phase shifts are not known: one line per phase type, correction blank.
  for (const char* s = kSystems; *s; ++s)
    for (const auto& type : types[*s])
      if (type.second == 1) text += Rinex::HeaderLine(std::string(1, *s) + " L" + type.first, "SYS / PHASE SHIFT");
  if (types.count('R') != 0) {
    // The decoders do not report GLONASS frequency numbers or biases, so
    // these records (required with GLONASS) list nothing.
    text += Rinex::HeaderLine("  0", "GLONASS SLOT / FRQ #");
    text += Rinex::HeaderLine(" C1C         C1P         C2C         C2P", "GLONASS COD/PHS/BIS");
  }
  text += Rinex::HeaderLine("", "END OF HEADER");
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) return false;

  for (const Epoch& e : epochs_) {
    text.clear();
    const Gnss::Calendar c = Rinex::CalendarOf(e.time);
    std::snprintf(line, sizeof(line), "> %04d %02d %02d %02d %02d%11.7f  0%3u\n", c.year, c.month, c.day, c.hour,
                  c.minute, c.second, static_cast<unsigned>(e.sats.size()));
    text += line;
    for (const em_obsd_t& o : e.sats) {
      std::string row = Rinex::SatelliteId(o.sat);
      const char system = row[0];
      for (const auto& type : types[system]) {
        unsigned f = 2;
        for (unsigned k = 2; k-- > 0;)
          if (RinexSignal(system, k, o.code[k]) == type.first) f = k;
        if (f == 2) {
          row.append(16, ' ');
          continue;
        }
        const double value = Value(o, f, type.second, snr_unit_);
        const int lli = type.second == 1 ? o.lli[f] & 3 : 0;
        AppendValue(row, value, lli, StrengthIndicator(o.snr[f] * snr_unit_));
      }
      TrimRight(row);
      text += row;
      text += '\n';
    }
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) return false;
  }
  return std::fflush(out) == 0;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
