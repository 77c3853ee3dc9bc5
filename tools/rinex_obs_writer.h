// RINEX 3.04 observation file of a whole recording. The header names the
// observation types actually seen and the time of the first epoch, so the
// epochs are kept until the end and the file is written in one go.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <ksparse/nav_records.h>

namespace Kestrel {
namespace KsParse {
namespace Tool {

struct RinexObsHeader {
  std::string marker = "UNKNOWN";
  std::string comment;  // e.g. the input it was converted from
  bool has_position = false;
  double xyz[3] = {0.0, 0.0, 0.0};  // approximate marker position, ECEF metres
};

// The RINEX code (band digit and attribute) of a decoder signal code for the
// satellite system `system` ('G', 'R', 'S', 'C') observed at frequency
// index `index` (0 or 1). Decoders that give no code (0) get the usual
// signal of that band. Empty when the system has no such signal.
std::string RinexSignal(char system, unsigned index, unsigned code);

class RinexObsWriter {
 public:
  // `snr_unit`: dB-Hz per count of the records' signal strength (1 for the
  // board decoders, 0.25 for RTCM 3 message 1004).
  explicit RinexObsWriter(double snr_unit) : snr_unit_(snr_unit) {}

  // One observation list. A list with the same time as the last epoch adds
  // to it (an epoch split over several messages); satellites outside the
  // RINEX numbering are left out.
  void AddEpoch(const em_obsd_t* records, std::size_t count);

  std::size_t Epochs() const { return epochs_.size(); }
  // GPS week of the first epoch, -1 without epochs.
  int FirstWeek() const;

  // The whole file. False when writing failed.
  bool Write(std::FILE* out, const RinexObsHeader& header) const;

 private:
  struct Epoch {
    em_gtime_t time;
    std::vector<em_obsd_t> sats;
  };
  double snr_unit_;
  std::vector<Epoch> epochs_;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
