// An independent scan for the frames a noisy stream holds, written from the
// published formats and not from the engines: at each offset, whether a
// frame of one of the given kinds starts there and passes its own check.
// Frames are found left to right; bytes inside a frame found are not
// searched again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Testing {

using Bytes = std::vector<std::uint8_t>;

enum class FrameKind {
  kNmeaGpGl,       // "$GP" / "$GL" sentences
  kNmeaAll,        // also "$GN" and "$BD"
  kNovAtel,        // 0xAA 0x44 0x12, 28-byte header, CRC-32
  kRtcm3,          // 0xD3, 6 reserved bits 0, CRC-24Q
  kRtcm3Short,     // as kRtcm3 with the whole second byte 0
  kTrimble,        // 0x02 frames of any type, 8-bit sum
  kCmr,            // 0x02 frames of type 0x93 or 0x98
  kHemisphereBin,  // "$BIN", 16-bit sum of the data
  kHemisphereReply,  // "$>J" up to CR LF within 100 bytes
  kLegacy,         // '$', id, route, length L, L bytes, XOR 0
  kTransport,      // "$$", stream, sequence, n <= 250, n bytes, CR LF
  kGgaLine,        // "$GPGGA" up to CR LF within 257 bytes
};

struct Found {
  std::size_t offset;
  std::size_t length;
};

// The length of the frame of `kind` at `at`, 0 when none starts there.
std::size_t FrameAt(const Bytes& s, std::size_t at, FrameKind kind);

// The frames of `kinds` in `s`, in order.
std::vector<Found> ScanFrames(const Bytes& s, const std::vector<FrameKind>& kinds);

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
