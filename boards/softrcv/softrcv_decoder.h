// The software receiver's decoder: the board's NovAtel-style logs, and the
// solutions of the in-process positioning server, which reach it through a
// sink object while a session runs.
#pragma once

#include <cstdint>

#include "boards/novatel/novatel_decoder.h"
#include "boards/softrcv/solver_com.h"

namespace Kestrel {
namespace KsParse {

class SoftReceiverDecoder : public NovAtelDecoder {
 public:
  static constexpr unsigned kRefStationKept = 41;
  static constexpr unsigned kChannels = 32;

  SoftReceiverDecoder() = default;
  ~SoftReceiverDecoder() override;

  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;

  // Starts a positioning session with the server (or restarts a running
  // one, which reports false). False when no session could be started.
  bool StartSession();
  // What the server's notification carries: the solution record at byte 88
  // of `data`.
  void OnSolution(const unsigned char* data);

  SoftRcv::ISolver* solver = nullptr;
  SoftRcv::SolutionSink* sink = nullptr;
  SoftRcv::SolverSolution solution = {};
  unsigned char refstation_head[kRefStationKept] = {};
  // Tracking state per channel from log 911: satellite, state, C/N0.
  struct Channel {
    std::uint16_t prn;
    std::uint16_t state;
    float cn0;
  };
  Channel channels[kChannels] = {};
  std::uint32_t channel_count = 0;

 private:
  bool DecodeChannels(const unsigned char* body, unsigned size);
  bool DecodeSatellites(const unsigned char* body, unsigned size);
  void EndSession();
};

}  // namespace KsParse
}  // namespace Kestrel
