#include "tools/rtcm_frame_finder.h"

#include "rtcm/crc24q.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr unsigned char kPreamble = 0xD3;

// The numbers RTCM 3 assigns: 1001 to 1300, and 4001 to 4095 for the
// makers' own messages. A 12-bit number outside them is a false preamble
// (a run of D3 03 FF reads as message 3376).
bool KnownMessageNumber(const unsigned char* frame) {
  const unsigned number = (static_cast<unsigned>(frame[3]) << 4) | (frame[4] >> 4);
  return (number >= 1001 && number <= 1300) || (number >= 4001 && number <= 4095);
}

}  // namespace

void RtcmFrameFinder::Feed(const unsigned char* data, std::size_t length) {
  // Examined bytes are dropped before new ones come in, so the buffer holds
  // at most one candidate frame plus the new piece.
  if (pos_ > 0) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
    pos_ = 0;
  }
  buffer_.insert(buffer_.end(), data, data + length);
}

bool RtcmFrameFinder::Next(const unsigned char** frame, std::size_t* length) {
  for (;;) {
    while (pos_ < buffer_.size() && buffer_[pos_] != kPreamble) {
      ++pos_;
      ++skipped_;
    }
    const std::size_t held = buffer_.size() - pos_;
    if (held < 3) {
      if (finished_) {
        skipped_ += held;
        pos_ = buffer_.size();
      }
      return false;
    }
    const unsigned char* p = buffer_.data() + pos_;
    if ((p[1] & 0xFC) != 0) {
      ++pos_;
      ++skipped_;
      continue;
    }
    const std::size_t message = (static_cast<std::size_t>(p[1] & 0x03) << 8) | p[2];
    const std::size_t total = message + 6;
    if (held < total) {
      if (!finished_) return false;
      ++pos_;
      ++skipped_;
      continue;
    }
    // A candidate long enough to hold a message number is checked for a
    // known one before the CRC, which costs a pass over up to 1026 bytes:
    // a flood of false preambles then costs a few instructions a byte. It is
    // counted with the bad CRCs, as it was when its CRC was the first check;
    // only a CRC-valid frame with an unassigned number is refused now.
    if (message >= 2 && !KnownMessageNumber(p)) {
      ++bad_crc_;
      ++pos_;
      ++skipped_;
      continue;
    }
    const std::uint32_t expected = (static_cast<std::uint32_t>(p[message + 3]) << 16) |
                                   (static_cast<std::uint32_t>(p[message + 4]) << 8) | p[message + 5];
    if (Rtcm::Crc24q(p, static_cast<unsigned int>(message + 3)) != expected) {
      ++bad_crc_;
      ++pos_;
      ++skipped_;
      continue;
    }
    *frame = p;
    *length = total;
    pos_ += total;
    return true;
  }
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
