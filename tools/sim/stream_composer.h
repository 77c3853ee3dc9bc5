// Simulated receiver streams: the scripted trajectory encoded epoch by epoch
// in one output family, with optional garbage between the frames. Used by
// `ksgnss sim`, the committed samples and the tool's round-trip tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/trajectory.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

enum class Family : std::uint8_t {
  kNmea,     // GGA, RMC, GSA, GST, GSV (GPS, GLONASS, BeiDou), ZDA
  kNovAtel,  // BESTPOS, PSRDOP, RANGECMP, RAWEPHEM, and GGA, GSA, GSV
  kRtcm,     // 1004 every epoch; 1021-1027 at the start and every 10 s
};

// "nmea", "novatel", "rtcm"; false for other names.
bool FamilyFromName(const std::string& name, Family* family);
const char* FamilyName(Family family);

struct StreamOptions {
  double seconds = 10.0;
  double rate_hz = 1.0;
  std::uint32_t seed = 1;
  double noise = 0.0;  // probability of a garbage burst before each frame
};

struct SimStream {
  std::vector<std::uint8_t> bytes;
  // The real frames in stream order, each complete (NMEA: one sentence).
  std::vector<std::vector<std::uint8_t>> frames;
  std::uint64_t noise_bursts = 0;
  std::uint64_t bad_frames = 0;  // whole frames with a bad check value among the noise
};

SimStream ComposeStream(Family family, const StreamOptions& options);

// The frames of one epoch; `first` adds what is sent once at the start.
std::vector<std::vector<std::uint8_t>> NmeaEpochFrames(const TrajectoryEpoch& epoch);
std::vector<std::vector<std::uint8_t>> NovAtelEpochFrames(const TrajectoryEpoch& epoch, bool first);
std::vector<std::vector<std::uint8_t>> RtcmEpochFrames(const TrajectoryEpoch& epoch, bool first);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
