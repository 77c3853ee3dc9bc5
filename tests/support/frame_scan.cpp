#include "support/frame_scan.h"

namespace Kestrel {
namespace KsParse {
namespace Testing {

namespace {

// CRC-24Q (RTCM 10403): polynomial 0x1864CFB, initial 0, bit by bit.
std::uint32_t Crc24q(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= static_cast<std::uint32_t>(p[i]) << 16;
    for (int b = 0; b < 8; ++b) {
      crc <<= 1;
      if (crc & 0x1000000) crc ^= 0x1864CFB;
    }
  }
  return crc & 0xFFFFFF;
}

// NovAtel's CRC-32: reflected polynomial 0xEDB88320, initial 0, no final
// inversion; over a whole log with its CRC it gives 0.
std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int b = 0; b < 8; ++b) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return crc;
}

unsigned Le16(const Bytes& s, std::size_t at) { return s[at] | (s[at + 1] << 8u); }

int Hex(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Talker(const Bytes& s, std::size_t at, bool all) {
  const char a = static_cast<char>(s[at + 1]), b = static_cast<char>(s[at + 2]);
  if (a == 'G' && (b == 'P' || b == 'L')) return true;
  return all && ((a == 'G' && b == 'N') || (a == 'B' && b == 'D'));
}

// An NMEA sentence: printable ASCII, no '$' before its end; with "*hh" the
// checksum must match (the sentence then runs two bytes past the check
// characters, its CR LF); without, it ends with its CR LF. At most 300 bytes.
std::size_t Nmea(const Bytes& s, std::size_t at, bool all) {
  if (at + 3 > s.size() || s[at] != '$' || !Talker(s, at, all)) return 0;
  for (std::size_t i = at + 1; i < s.size() && i - at < 300; ++i) {
    const std::uint8_t c = s[i];
    if (c == '$') return 0;
    if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7E)) return 0;  // NMEA is printable ASCII
    if (c == '*') {
      const std::size_t length = i - at + 5;
      if (length > 300 || at + length > s.size()) return 0;
      std::uint8_t x = 0;
      for (std::size_t k = at + 1; k < i; ++k) x ^= s[k];
      const int hi = Hex(s[i + 1]), lo = Hex(s[i + 2]);
      return hi >= 0 && lo >= 0 && ((hi << 4) | lo) == x && length > 6 ? length : 0;
    }
    if (c == '\r' || c == '\n') {
      const std::size_t length = i - at + (c == '\r' ? 2 : 1);
      return length > 6 && at + length <= s.size() ? length : 0;
    }
  }
  return 0;
}

}  // namespace

std::size_t FrameAt(const Bytes& s, std::size_t at, FrameKind kind) {
  const std::size_t left = s.size() - at;
  switch (kind) {
    case FrameKind::kNmeaGpGl: return Nmea(s, at, false);
    case FrameKind::kNmeaAll: return Nmea(s, at, true);
    case FrameKind::kNovAtel: {
      if (left < 28 || s[at] != 0xAA || s[at + 1] != 0x44 || s[at + 2] != 0x12 || s[at + 3] != 28) return 0;
      const std::size_t length = 32 + Le16(s, at + 8);
      return length <= 2048 && length <= left && Crc32(&s[at], length) == 0 ? length : 0;
    }
    case FrameKind::kRtcm3:
    case FrameKind::kRtcm3Short: {
      if (left < 6 || s[at] != 0xD3) return 0;
      if ((s[at + 1] & (kind == FrameKind::kRtcm3 ? 0xFC : 0xFF)) != 0) return 0;
      const std::size_t n = ((s[at + 1] & 3u) << 8) | s[at + 2];
      if (n + 6 > left) return 0;
      const std::uint32_t crc = (s[at + n + 3] << 16u) | (s[at + n + 4] << 8u) | s[at + n + 5];
      return Crc24q(&s[at], n + 3) == crc ? n + 6 : 0;
    }
    case FrameKind::kTrimble:
    case FrameKind::kCmr: {
      if (left < 6 || s[at] != 0x02) return 0;
      if (kind == FrameKind::kCmr && s[at + 2] != 0x93 && s[at + 2] != 0x98) return 0;
      const std::size_t n = s[at + 3];
      if (n + 6 > left) return 0;
      unsigned sum = 0;
      for (std::size_t i = 1; i < n + 4; ++i) sum += s[at + i];
      return (sum & 0xFF) == s[at + n + 4] ? n + 6 : 0;
    }
    case FrameKind::kHemisphereBin: {
      if (left < 12 || s[at] != '$' || s[at + 1] != 'B' || s[at + 2] != 'I') return 0;
      const std::size_t n = Le16(s, at + 6);
      if (n >= 2037 || n + 12 > left) return 0;
      unsigned sum = 0;
      std::uint8_t x = 0;
      for (std::size_t i = 0; i < n + 12; ++i) x ^= s[at + i];
      for (std::size_t i = 0; i < n; ++i) sum += s[at + 8 + i];
      return x != 0 && (sum & 0xFFFF) == Le16(s, at + 8 + n) ? n + 12 : 0;
    }
    case FrameKind::kHemisphereReply: {
      if (left < 3 || s[at] != '$' || s[at + 1] != '>' || s[at + 2] != 'J') return 0;
      for (std::size_t i = 0; i + 1 < 100 && i + 1 < left; ++i)
        if (s[at + i] == '\r' && s[at + i + 1] == '\n') return i + 2;
      return 0;
    }
    case FrameKind::kLegacy: {
      if (left < 9 || s[at] != '$') return 0;
      const std::size_t n = s[at + 5];
      if (n + 9 > left) return 0;
      std::uint8_t x = 0;
      for (std::size_t i = 0; i <= n + 6; ++i) x ^= s[at + i];
      return x == 0 ? n + 9 : 0;
    }
    case FrameKind::kTransport: {
      if (left < 7 || s[at] != '$' || s[at + 1] != '$' || s[at + 4] > 250) return 0;
      const std::size_t n = s[at + 4];
      return n + 7 <= left && s[at + 5 + n] == '\r' && s[at + 6 + n] == '\n' ? n + 7 : 0;
    }
    case FrameKind::kGgaLine: {
      static const char kLead[] = "$GPGGA";
      for (std::size_t i = 0; i < 6; ++i)
        if (i >= left || s[at + i] != static_cast<std::uint8_t>(kLead[i])) return 0;
      for (std::size_t i = 6; i + 1 < left && i + 1 < 257; ++i) {
        if (s[at + i] == '$') return 0;
        if (s[at + i] == '\r' && s[at + i + 1] == '\n') return i + 2;
      }
      return 0;
    }
  }
  return 0;
}

std::vector<Found> ScanFrames(const Bytes& s, const std::vector<FrameKind>& kinds) {
  std::vector<Found> found;
  for (std::size_t at = 0; at < s.size();) {
    std::size_t length = 0;
    for (FrameKind k : kinds) {
      length = FrameAt(s, at, k);
      if (length != 0) break;
    }
    if (length == 0) {
      ++at;
      continue;
    }
    found.push_back({at, length});
    at += length;
  }
  return found;
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
