// RINEX 3.04 GPS navigation file: one LNAV record per distinct broadcast
// ephemeris of a recording.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <ksparse/nav_records.h>

namespace Kestrel {
namespace KsParse {
namespace Tool {

// SV accuracy in metres of a URA index, the nominal values of IS-GPS-200:
// 2.0, 2.8, 4.0, 5.7, 8.0, 11.3, 16.0, then 2^(N-2).
double UraMetres(int index);
// Curve-fit interval in hours from the fit flag and IODC.
double FitHours(double flag, int iodc);

class RinexNavWriter {
 public:
  // A GPS ephemeris (satellites 1-32); one already held for the same
  // satellite, IODE and toe is not added again.
  void Add(const em_eph_t& eph);
  std::size_t Count() const { return records_.size(); }

  // The whole file. Weeks that a decoder completed from the system clock
  // are moved by whole 1024-week steps next to `reference_week` when that
  // is not negative (the week of the recording's observations). False when
  // writing failed.
  bool Write(std::FILE* out, int reference_week, const std::string& comment) const;

 private:
  std::vector<em_eph_t> records_;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
