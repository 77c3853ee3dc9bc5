// RTCM 3 and CMR frames found in a board's output.
#include <cstdint>

#include "boards/board_adapter.h"
#include "rtcm/crc24q.h"

namespace Kestrel {
namespace KsParse {

bool ProcessRtcm3Frame(BoardAdapter& adapter) {
  FrameBuffer& f = *adapter.frame;
  if (f.length < 3) return false;  // header incomplete: keep
  const std::uint32_t n = (static_cast<std::uint32_t>(f.data[1] & 0x03) << 8) | f.data[2];
  if (f.length < n + 6) return false;  // body or CRC incomplete: keep
  const std::uint32_t crc = (static_cast<std::uint32_t>(f.data[n + 3]) << 16) |
                            (static_cast<std::uint32_t>(f.data[n + 4]) << 8) | f.data[n + 5];
  if (!Rtcm::CheckCrc24q(f.data, static_cast<int>(n + 3), crc)) {
    f.DropFalseStart(adapter.frame_starts);
    return false;
  }
  // The message number is the first 12 bits after the 3-byte header; a frame
  // too short to hold it reports number 0.
  const unsigned int id = n >= 2 ? (static_cast<unsigned int>(f.data[3]) << 4) | (f.data[4] >> 4) : 0;
  if (adapter.decoder != nullptr) adapter.decoder->HandleRtcm3(id, f.data, n + 6);
  f.Clear();
  return true;
}

bool ProcessCmrFrame(BoardAdapter& adapter) {
  FrameBuffer& f = *adapter.frame;
  // The 12-bit number at bit 24 spans bytes 3 and 4; missing bytes read 0
  // (the buffer beyond `length` is zero).
  const unsigned int id = (static_cast<unsigned int>(f.data[3]) << 4) | (f.data[4] >> 4);
  if (adapter.decoder != nullptr) adapter.decoder->HandleCmr(id, f.data, f.length);
  f.Clear();
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
