#include "tools/frame_audit.h"

#include <cctype>

#include "boards/novatel/novatel_wire.h"
#include "rtcm/crc24q.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr std::size_t kMaxSentence = 120;  // beyond the 82 characters of NMEA 0183, for long proprietary ones

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<unsigned char>(std::toupper(c));
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Length of the sentence at `p` with its checksum and line ending (0 when
// there is no well-formed "*hh"); `*good` tells whether the checksum matches.
std::size_t Sentence(const unsigned char* p, std::size_t available, bool* good) {
  unsigned char sum = 0;
  for (std::size_t i = 1; i < available && i < kMaxSentence; ++i) {
    if (p[i] == '*') {
      if (i + 2 >= available) return 0;
      const int hi = HexValue(p[i + 1]), lo = HexValue(p[i + 2]);
      if (hi < 0 || lo < 0) return 0;
      *good = (hi << 4 | lo) == sum;
      std::size_t end = i + 3;  // the line ending belongs to the sentence
      if (end < available && p[end] == '\r') ++end;
      if (end < available && p[end] == '\n') ++end;
      return end;
    }
    if (p[i] < 0x20 || p[i] > 0x7E) return 0;
    sum ^= p[i];
  }
  return 0;
}

}  // namespace

FrameAuditResult AuditFrames(const unsigned char* data, std::size_t length) {
  FrameAuditResult r;
  std::size_t at = 0;
  while (at < length) {
    const unsigned char* p = data + at;
    const std::size_t available = length - at;
    std::size_t frame = 0;
    bool good = false;
    if (p[0] == '$') {
      frame = Sentence(p, available, &good);
    } else if (p[0] == 0xAA && available >= 28 && p[1] == 0x44 && p[2] == 0x12) {
      const std::size_t total = std::size_t(p[3]) + (std::size_t(p[8]) | std::size_t(p[9]) << 8) + 4;
      if (total <= available && p[3] >= 28) {
        frame = total;
        good = NovAtel::Crc32(p, total) == 0;
      }
    } else if (p[0] == 0xD3 && available >= 6 && (p[1] & 0xFC) == 0) {
      const std::size_t total = (std::size_t(p[1] & 3) << 8 | p[2]) + 6;
      if (total <= available) {
        frame = total;
        good = Rtcm::Crc24q(p, static_cast<unsigned int>(total - 3)) ==
               (std::uint32_t(p[total - 3]) << 16 | std::uint32_t(p[total - 2]) << 8 | p[total - 1]);
      }
    }
    if (frame != 0 && good) {
      ++r.good_frames;
      at += frame;
      continue;
    }
    // A frame with a wrong check value is counted once; the scan goes on one
    // byte later, since its start may have been a chance match in other data.
    if (frame != 0) ++r.bad_frames;
    ++r.stray_bytes;
    ++at;
  }
  return r;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
