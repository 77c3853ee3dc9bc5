// What `ksgnss report` draws: the satellites seen and the position epochs of
// a decoded recording, gathered from the receiver's callbacks.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/decode_session.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

struct ReportSatellite {
  char system;  // 'G', 'R', 'S', 'C'
  unsigned prn;
  double azimuth;    // degrees
  double elevation;  // degrees
  double snr;        // dB-Hz, first frequency
};

struct ReportEpoch {
  double time;  // seconds since 1970 (GPS time scale for the binary boards)
  double latitude, longitude, height;  // radians, radians, metres
  unsigned solution;
  unsigned used;  // satellites used
  double pdop, hdop, vdop;
  double hprec, vprec;  // metres
};

// The name of a solution code ("single", "RTK fixed", ...).
const char* SolutionName(unsigned code);

class ReportCollector : public DecodeListener {
 public:
  void OnCallback(Em_Gnss& gnss, Msg_Type kind, unsigned int flags) override;

  // Satellites by system and number, each at its last reported place.
  const std::map<std::pair<char, unsigned>, ReportSatellite>& Satellites() const { return satellites_; }
  // The board's own positions, or the NMEA ones when it reported none.
  const std::vector<ReportEpoch>& Epochs() const { return board_epochs_.empty() ? nmea_epochs_ : board_epochs_; }

 private:
  std::map<std::pair<char, unsigned>, ReportSatellite> satellites_;
  std::vector<ReportEpoch> board_epochs_;
  std::vector<ReportEpoch> nmea_epochs_;
  double dop_[3] = {0, 0, 0};
  unsigned used_in_list_[4] = {0, 0, 0, 0};
};

struct ReportSource {
  std::string name;         // the input as given
  std::uint64_t bytes = 0;  // bytes read
  std::uint64_t messages = 0;
  std::uint64_t bad_frames = 0;     // frames with a wrong check value
  std::uint64_t stray_bytes = 0;    // bytes in no well-formed frame
};

// The whole page: self-contained HTML with inline CSS and SVG, no script.
std::string ReportPage(const ReportCollector& data, const ReportSource& source);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
