// NovAtel binary log layout: the 28-byte header, little-endian field readers
// and the frame CRC-32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace NovAtel {

constexpr unsigned char kSync0 = 0xAA;
constexpr unsigned char kSync1 = 0x44;
constexpr unsigned char kSync2 = 0x12;

// Header fields (offsets from the first sync byte).
constexpr std::uint32_t kHeaderLength = 28;
constexpr std::uint32_t kCrcLength = 4;
constexpr std::uint32_t kOffHeaderLength = 3;
constexpr std::uint32_t kOffMessageId = 4;
constexpr std::uint32_t kOffMessageType = 6;
constexpr std::uint32_t kOffBodyLength = 8;
constexpr std::uint32_t kOffWeek = 14;
constexpr std::uint32_t kOffMilliseconds = 16;
constexpr unsigned char kResponseBit = 0x80;  // message type: a reply to a command

// Message IDs of the logs this decoder knows.
constexpr unsigned kIdGpsEphem = 7;
constexpr unsigned kIdVersion = 37;
constexpr unsigned kIdRawEphem = 41;
constexpr unsigned kIdBestPos = 42;
constexpr unsigned kIdRange = 43;
constexpr unsigned kIdSatVis = 48;
constexpr unsigned kIdRangeCmp = 140;
constexpr unsigned kIdPsrDop = 174;
constexpr unsigned kIdRefStation = 175;
constexpr unsigned kIdBestXyz = 241;
constexpr unsigned kId726 = 726;
constexpr unsigned kIdEphem1047 = 1047;

// BeiDou satellites are numbered PRN + 160 in the tables and observations.
constexpr std::uint32_t kBeidouOffset = 160;

// RANGECMP carrier phase: it rolls over at this many cycles, and the number
// of roll-overs is recovered from the pseudorange with these wavelengths
// (L1 for the L1 C/A signal, L2 for every other).
constexpr double kAdrRollover = 8388608.0;
constexpr double kWavelengthL1 = 0.1902936727984;
constexpr double kWavelengthL2 = 0.2442102134246;

// Little-endian readers; the caller has checked that the bytes are held.
inline std::uint16_t U16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t I32(const unsigned char* p) { return static_cast<std::int32_t>(U32(p)); }
inline float F32(const unsigned char* p) {
  const std::uint32_t bits = U32(p);
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}
inline double F64(const unsigned char* p) {
  const std::uint64_t bits = U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
  double value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

// Float fields arrive from the wire unchecked: these conversions never leave
// the target's range. NaN and values outside it give 0.
inline std::int32_t TruncToInt(double v) {
  return v > -2147483649.0 && v < 2147483648.0 ? static_cast<std::int32_t>(v) : 0;
}
inline std::uint8_t TruncToByte(double v) {
  return v > -1.0 && v < 256.0 ? static_cast<std::uint8_t>(v) : 0;
}

// Copies up to `size` bytes into `dest`, zero-filling what the source lacks.
inline void KeepBytes(unsigned char* dest, std::size_t size, const unsigned char* src,
                      std::size_t available) {
  const std::size_t n = available < size ? available : size;
  std::memcpy(dest, src, n);
  std::memset(dest + n, 0, size - n);
}

// NovAtel's CRC-32 (reflected polynomial 0xEDB88320, initial value 0, no
// final inversion), continued from `crc`. Run over a whole frame including
// its trailing CRC it yields 0 for a good frame.
std::uint32_t Crc32(const unsigned char* data, std::size_t count, std::uint32_t crc = 0);

// True for a log of `count` bytes with the 28-byte header and a good CRC:
// a log the board sent, whether or not it is one that is decoded.
inline bool IsIntactLog(const unsigned char* frame, std::size_t count) {
  return count >= kHeaderLength && frame[kOffHeaderLength] == kHeaderLength && Crc32(frame, count) == 0;
}

}  // namespace NovAtel
}  // namespace KsParse
}  // namespace Kestrel
