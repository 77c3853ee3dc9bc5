// Reads bit fields of RTCM 3 frames: most significant bit first, bit p is bit
// 7 - p % 8 of byte p / 8.
//
// The readers touch exactly the bytes that hold the field. They do not check
// bounds themselves: every caller first proves with FitsInFrame that the last
// bit it reads lies inside the bytes it was given.
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {
namespace Rtcm {

// Number of bits in a frame of `length` bytes (64-bit, so it cannot wrap).
constexpr std::uint64_t FrameBits(unsigned int length) { return 8ull * length; }

// Whether a frame of `length` bytes holds every bit below `end_bit`.
constexpr bool FitsInFrame(unsigned int length, std::uint64_t end_bit) {
  return end_bit <= FrameBits(length);
}

// Unsigned value of bits [pos, pos + width), width 1 to 64.
inline std::uint64_t ReadUnsigned(const unsigned char* data, std::uint64_t pos, unsigned width) {
  const std::uint64_t first = pos >> 3;
  const std::uint64_t last = (pos + width - 1) >> 3;
  if (first == last) {
    // Whole field inside one byte: the common case of short fields.
    const unsigned shift = static_cast<unsigned>(7 - ((pos + width - 1) & 7));
    return (static_cast<std::uint64_t>(data[first]) >> shift) & ((1u << width) - 1u);
  }
  std::uint64_t value = data[first] & (0xFFu >> (pos & 7));
  for (std::uint64_t i = first + 1; i < last; ++i) value = (value << 8) | data[i];
  // Bits taken from the last byte: 1 to 8. Shifting them in last keeps the
  // register within 64 bits even for a 64-bit field that spans nine bytes.
  const unsigned tail = static_cast<unsigned>(pos + width - (last << 3));
  return (value << tail) | (static_cast<std::uint64_t>(data[last]) >> (8 - tail));
}

// Two's-complement value of bits [pos, pos + width), width 1 to 64.
inline std::int64_t ReadSigned(const unsigned char* data, std::uint64_t pos, unsigned width) {
  const std::uint64_t raw = ReadUnsigned(data, pos, width);
  if (width >= 64) return static_cast<std::int64_t>(raw);
  const std::uint64_t sign = 1ull << (width - 1);
  // (raw ^ sign) - sign maps [2^(w-1), 2^w) onto [-2^(w-1), 0) without
  // relying on shifts of negative numbers.
  return static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
}

}  // namespace Rtcm
}  // namespace KsParse
}  // namespace Kestrel
