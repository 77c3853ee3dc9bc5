// The "$BIN" frame check, reply delimiting and the JSHOW reply that both
// Hemisphere adapters share.
#include <cstring>

#include "boards/hemisphere/hemisphere_wire.h"
#include "boards/nmea/nmea_sentence.h"

namespace Kestrel {
namespace KsParse {
namespace Hemisphere {

namespace {

// A mask beyond this is no elevation mask: such a reply is not stored.
constexpr double kMaxMaskDegrees = 90.0;
// atof over at most this many characters (the limit of NmeaAtofN).
constexpr std::uint32_t kNumberChars = 15;

}  // namespace

BinCheck CheckBinFrame(const FrameBuffer& frame, BinRules rules) {
  if (frame.length < kBinHeader) return BinCheck::kIncomplete;
  const unsigned char* d = frame.data;
  const std::uint32_t n = U16(d + kOffDataLength);
  // A length that can never fit the buffer is refused before it is waited for.
  if (n > kMaxBinData) return BinCheck::kRejected;
  const std::uint32_t total = n + kBinOverhead;
  if (frame.length < total) return BinCheck::kIncomplete;

  if (!BinSumMatches(d, n)) return BinCheck::kRejected;
  if (rules.line_end && (d[total - 2] != '\r' || d[total - 1] != '\n')) return BinCheck::kRejected;
  if (rules.nonzero_xor) {
    unsigned char folded = 0;
    for (std::uint32_t i = 0; i < total; ++i) folded ^= d[i];
    if (folded == 0) return BinCheck::kRejected;
  }
  return BinCheck::kGood;
}

BinMessage BinData(const unsigned char* frame, std::uint32_t frame_length) {
  if (frame == nullptr || frame_length < kBinOverhead) return {nullptr, 0};
  const std::uint32_t n = U16(frame + kOffDataLength);
  if (n > frame_length - kBinOverhead) return {nullptr, 0};
  return {frame + kBinHeader, n};
}

std::uint32_t ReplyLength(const FrameBuffer& frame, std::uint32_t least) {
  if (frame.length < least || frame.length == 0) return 0;
  const std::uint32_t window = frame.length < kMaxReply ? frame.length : kMaxReply;
  const void* lf = std::memchr(frame.data, '\n', window);
  if (lf != nullptr) return static_cast<std::uint32_t>(static_cast<const unsigned char*>(lf) - frame.data) + 1;
  // A reply is never held waiting for its line end: under the legacy engine
  // the next piece may begin another frame, which would be glued to it.
  return window;
}

bool Contains(const unsigned char* text, std::uint32_t n, const char* word) {
  const std::size_t w = std::strlen(word);
  if (w == 0 || w > n) return false;
  for (std::uint32_t i = 0; i + w <= n; ++i) {
    if (std::memcmp(text + i, word, w) == 0) return true;
  }
  return false;
}

bool ParseJshowReply(BoardDecoder& decoder, const unsigned char* text, std::uint32_t n) {
  decoder.msg_flags = 0;
  if (!Contains(text, n, "MASK")) return true;
  std::uint32_t comma = n;
  for (std::uint32_t i = n; i > 0; --i) {
    if (text[i - 1] == ',') {
      comma = i - 1;
      break;
    }
  }
  if (comma == n) return true;
  const char* number = reinterpret_cast<const char*>(text + comma + 1);
  const std::uint32_t rest = n - comma - 1;
  // The number ends at the line end; a field without a leading digit, or
  // a value no mask can have, reports nothing.
  if (rest == 0 || number[0] < '0' || number[0] > '9') return true;
  const double degrees = NmeaAtofN(number, rest < kNumberChars ? rest : kNumberChars);
  if (!(degrees <= kMaxMaskDegrees)) return true;
  decoder.elev_mask_reported = static_cast<std::uint32_t>(degrees);
  decoder.msg_flags |= MsgBit::kElevMask;
  return true;
}

}  // namespace Hemisphere
}  // namespace KsParse
}  // namespace Kestrel
