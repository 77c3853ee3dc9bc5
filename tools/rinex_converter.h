// A recording turned into RINEX: fed with the stream's bytes in blocks of
// any size, it decodes them as `ksgnss decode` does (or as RTCM 3 frames)
// and keeps the observations, GPS ephemerides and the first position for
// the observation and navigation files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "tools/decode_session.h"
#include "tools/rinex_nav_writer.h"
#include "tools/rinex_obs_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

struct RinexSettings {
  DecodeSettings decode;  // receiver choice; output mode and listener are set here
  bool rtcm = false;      // RTCM 3 frames instead of a receiver's stream
  int week = 0;           // GPS week of the first RTCM 3 epoch
  RinexObsHeader header;  // marker and comment; the position is filled in
};

class RinexConverter {
 public:
  explicit RinexConverter(const RinexSettings& settings);
  ~RinexConverter();
  RinexConverter(const RinexConverter&) = delete;
  RinexConverter& operator=(const RinexConverter&) = delete;

  void Feed(const unsigned char* data, std::size_t length);
  // End of input: what is still buffered is decoded.
  void Finish();

  std::size_t Epochs() const;
  std::size_t Ephemerides() const;
  // The files; false when writing failed.
  bool WriteObservations(std::FILE* out) const;
  bool WriteNavigation(std::FILE* out) const;

 private:
  class Collector;
  class RtcmReader;
  std::unique_ptr<Collector> collector_;
  std::unique_ptr<RtcmReader> rtcm_;
  std::unique_ptr<DecodeSession> session_;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
