// What both Hemisphere adapters share about the board's output: the "$BIN"
// binary message frame, the "$>J" text replies and the JSHOW reply, which
// reports the elevation mask in use.
#pragma once

#include <cstdint>

#include "boards/board_decoder.h"
#include "boards/frame_buffer.h"
#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace Hemisphere {

// "$BIN", block ID (u16), data length L (u16), L data bytes, a 16-bit sum of
// the data bytes, CR LF; every number little-endian.
constexpr std::uint32_t kBinHeader = 8;
constexpr std::uint32_t kBinTrailer = 4;
constexpr std::uint32_t kBinOverhead = kBinHeader + kBinTrailer;
constexpr std::uint32_t kOffBlockId = 4;
constexpr std::uint32_t kOffDataLength = 6;
// The largest message that fits the adapter's frame buffer carries
// 2048 - 12 = 2036 data bytes.
constexpr std::uint32_t kMaxBinData = FrameBuffer::kCapacity - kBinOverhead;

// A reply is one line, "$>J..." up to its LF; no more than this many bytes
// of it are read.
constexpr std::uint32_t kMaxReply = 128;

enum class BinCheck {
  kIncomplete,  // more bytes expected: keep the buffer
  kGood,        // a whole message whose checks passed
  kRejected,    // too long, or a check failed: drop it
};

struct BinRules {
  bool line_end;     // the frame must end with CR LF
  bool nonzero_xor;  // the exclusive-or of all frame bytes must not be 0
};

// Checks the "$BIN" frame at the start of `frame`: the header is held, the
// message fits the buffer, all of it is held, its checksum is right, plus
// the rules given. Bytes held beyond the announced message are not read.
BinCheck CheckBinFrame(const FrameBuffer& frame, BinRules rules);

// The data of a message whose frame was checked, as the decoders see it.
struct BinMessage {
  const unsigned char* data;
  std::uint32_t length;
};
// The data part of a whole frame of `frame_length` bytes; null data when
// the frame does not hold the length its header announces.
BinMessage BinData(const unsigned char* frame, std::uint32_t frame_length);

// The length of the reply at the start of `frame`: through its LF when one
// is held within kMaxReply bytes, else what is held up to kMaxReply bytes;
// 0 while fewer than `least` bytes are held.
std::uint32_t ReplyLength(const FrameBuffer& frame, std::uint32_t least);

// Whether `word` occurs in the first `n` bytes of `text`.
bool Contains(const unsigned char* text, std::uint32_t n, const char* word);

// JSHOW reply: clears msg_flags; when the reply is about the mask ("MASK"
// in it), the number after its last comma becomes elev_mask_reported and
// 0x4000000 is raised. Always true: the reply is understood.
bool ParseJshowReply(BoardDecoder& decoder, const unsigned char* text, std::uint32_t n);

// The binary messages are little-endian like NovAtel's logs and read with
// the same field readers.
using NovAtel::F32;
using NovAtel::F64;
using NovAtel::U16;
using NovAtel::U32;

// The message's own check: the 16-bit sum of its `data_length` data bytes
// equals the value after them. `frame` starts at "$BIN" and holds them all.
inline bool BinSumMatches(const unsigned char* frame, std::uint32_t data_length) {
  std::uint32_t sum = 0;
  for (std::uint32_t i = 0; i < data_length; ++i) sum += frame[kBinHeader + i];
  return (sum & 0xFFFF) == U16(frame + kBinHeader + data_length);
}

}  // namespace Hemisphere
}  // namespace KsParse
}  // namespace Kestrel
