#include "tools/sim/stream_composer.h"

#include <cmath>

#include "tools/sim/noise.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

std::vector<NoiseKind> NoiseKinds(Family family) {
  switch (family) {
    case Family::kNmea:
      return {NoiseKind::kFiller, NoiseKind::kFalseNmea, NoiseKind::kUnendedNmea};
    case Family::kNovAtel:
      return {NoiseKind::kFiller, NoiseKind::kFalseNmea, NoiseKind::kFalseNovAtel, NoiseKind::kFalseRtcm,
              NoiseKind::kBadCrcNovAtel, NoiseKind::kUnendedNmea};
    case Family::kRtcm:
      return {NoiseKind::kFiller, NoiseKind::kFalseRtcm, NoiseKind::kBadCrcRtcm};
  }
  return {};
}

}  // namespace

bool FamilyFromName(const std::string& name, Family* family) {
  for (Family f : {Family::kNmea, Family::kNovAtel, Family::kRtcm})
    if (name == FamilyName(f)) {
      *family = f;
      return true;
    }
  return false;
}

const char* FamilyName(Family family) {
  switch (family) {
    case Family::kNmea:
      return "nmea";
    case Family::kNovAtel:
      return "novatel";
    case Family::kRtcm:
      return "rtcm";
  }
  return "";
}

SimStream ComposeStream(Family family, const StreamOptions& options) {
  SimStream stream;
  const Trajectory trajectory(options.seed);
  NoiseSource noise(options.seed, options.noise, NoiseKinds(family));
  const long epochs = std::lround(options.seconds * options.rate_hz);
  for (long k = 0; k < epochs; ++k) {
    const TrajectoryEpoch epoch = trajectory.At(static_cast<double>(k) / options.rate_hz);
    std::vector<std::vector<std::uint8_t>> frames;
    switch (family) {
      case Family::kNmea:
        frames = NmeaEpochFrames(epoch);
        break;
      case Family::kNovAtel:
        frames = NovAtelEpochFrames(epoch, k == 0);
        break;
      case Family::kRtcm:
        frames = RtcmEpochFrames(epoch, k == 0);
        break;
    }
    for (auto& frame : frames) {
      noise.MaybeAppend(stream.bytes);
      stream.bytes.insert(stream.bytes.end(), frame.begin(), frame.end());
      stream.frames.push_back(std::move(frame));
    }
  }
  stream.noise_bursts = noise.Bursts();
  stream.bad_frames = noise.BadFrames();
  return stream;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
