// The NovAtel board adapter: NovAtel binary logs, NMEA, RTCM 3 and CMR in the
// board's output; NovAtel ASCII commands towards it.
#pragma once

#include <cstdint>

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

enum class NovAtelFrameResult {
  kIncomplete,  // more bytes expected: the buffer is left as it is
  kDecoded,     // a log was decoded
  kUndecoded,   // a good log that is not decoded
  kRejected,    // not a good log
};

// Checks the NovAtel binary log held in the adapter's frame buffer (header,
// exact length, CRC-32) and hands it to the adapter's DecodeMessage. Leaves
// the buffer to the caller. Shared by the adapters of boards that speak
// NovAtel's binary format.
NovAtelFrameResult ProcessNovAtelFrame(BoardAdapter& adapter);

// The frame step of a board whose frame buffer starts with the NovAtel sync
// bytes: the log is checked and decoded. A good log is then cleared from the
// buffer, decoded or not; a candidate that fails the checks gives up only
// its first byte (FrameBuffer::DropFalseStart). True when a log was decoded.
bool TakeNovAtelFrame(BoardAdapter& adapter);

class NovAtelAdapter : public BoardAdapter {
 public:
  NovAtelAdapter();
  bool ProcessFrame() override;
};

}  // namespace KsParse
}  // namespace Kestrel
