// Garbage between the frames of a simulated stream, to exercise
// resynchronisation: random bytes that no reader takes for the start of a
// frame, false starts that a reader gives up at once, and whole frames that
// a reader must reject (bad CRC, NMEA text with no end). None of them can
// swallow the real frame that follows, so a correct decoder still yields
// every real frame.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sim/trajectory.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

enum class NoiseKind : std::uint8_t {
  kFiller,           // random bytes only
  kFalseRtcm,        // 0xD3 with non-zero reserved bits
  kFalseNmea,        // '$' followed by a lower-case letter
  kFalseNovAtel,     // 0xAA 0x44 with a wrong third sync byte
  kBadCrcRtcm,       // complete RTCM 3 frame, CRC-24Q off by one bit
  kBadCrcNovAtel,    // complete NovAtel log, CRC-32 off by one bit
  kUnendedNmea,      // "$GP" sentence with no '*' or line end within 300 bytes
};

class NoiseSource {
 public:
  // `kinds` are the false starts and bad frames this stream's readers meet.
  NoiseSource(std::uint64_t seed, double probability, std::vector<NoiseKind> kinds);
  // With the probability given, appends one burst: a few filler bytes, then
  // one false start or bad frame of the kinds given.
  void MaybeAppend(std::vector<std::uint8_t>& out);

  std::uint64_t Bursts() const { return bursts_; }
  // Complete frames with a bad check value appended so far.
  std::uint64_t BadFrames() const { return bad_frames_; }

 private:
  std::uint8_t Filler();
  void AppendFiller(std::vector<std::uint8_t>& out, unsigned count);

  SimRandom random_;
  double probability_;
  std::vector<NoiseKind> kinds_;
  std::uint64_t bursts_ = 0;
  std::uint64_t bad_frames_ = 0;
};

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
