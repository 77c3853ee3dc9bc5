// The output record of one RTCM 3 frame: message number, length, whether
// the decoder accepts it, and what Em_TrsMtPrlRTCM decodes from it.
#pragma once

#include <cstddef>
#include <memory>

#include <ksparse/rtcm.h>

#include "tools/json_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

// One decoder for the whole stream, so that 1004 carrier phases stay
// continuous across frames.
class RtcmRecorder {
 public:
  RtcmRecorder();
  ~RtcmRecorder();
  RtcmRecorder(const RtcmRecorder&) = delete;
  RtcmRecorder& operator=(const RtcmRecorder&) = delete;

  // `frame` is a whole CRC-valid frame, preamble to CRC.
  Value Record(const unsigned char* frame, std::size_t length);
  // The same record written straight as JSON; returns the message number.
  unsigned Record(const unsigned char* frame, std::size_t length, JsonWriter& writer);
  // Runs the same decoding as Record without building the record (what
  // --quiet measures); returns the message number.
  unsigned Decode(const unsigned char* frame, std::size_t length);
  // Message number of a frame (0 when the frame is too short to hold one).
  static unsigned MessageNumber(const unsigned char* frame, std::size_t length);

 private:
  // Builders shared by both forms of a record (JsonWriter, ValueBuilder).
  template <typename Sink>
  unsigned Write(Sink& out, const unsigned char* frame, std::size_t length);
  template <typename Sink>
  void Observations(Sink& out, const unsigned char* frame, std::size_t length);

  // Room for every block of the longest frame (1029 bytes hold 65 blocks).
  static constexpr unsigned kObsCapacity = 72;
  std::unique_ptr<em_obsd_t[]> records_;
  obs_t obs_;
  Em_TrsMtPrlRTCM decoder_;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
