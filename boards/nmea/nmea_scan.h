// Word-at-a-time byte tests for the NMEA scans. Sentences are looked at by
// the engine (where does it end), the frame step (is it intact) and the
// splitter (where are its fields); eight bytes tested at once let a clean
// stretch of text cost a few instructions per eight bytes instead of a
// branch per byte. Only the bytes that end a test's fast run are examined
// one by one.
#pragma once

#include <cstdint>
#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace NmeaScan {

using Word = std::uint64_t;

constexpr Word kOnes = 0x0101010101010101ull;
constexpr Word kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr Word kHigh = 0x8080808080808080ull;

constexpr Word Splat(unsigned char c) { return kOnes * c; }

// Eight bytes from p, the byte at the lowest address in the least
// significant place on every host, so that "first byte" is "lowest bits".
inline Word Load(const unsigned char* p) {
  Word w;
  std::memcpy(&w, p, sizeof w);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  w = __builtin_bswap64(w);
#endif
  return w;
}

// Whether some byte of v is below n (n <= 0x80). A borrow only leaves a
// byte that is below n itself, so the answer is exact even though the
// flagged bits above that byte are not.
inline bool AnyBelow(Word v, unsigned char n) { return ((v - Splat(n)) & ~v & kHigh) != 0; }

// Whether some byte of v lies outside [lo, 0x7E] (lo <= 0x80): below lo,
// DEL, or any byte with its high bit set. Exact for the same reason.
inline bool AnyOutside(Word v, unsigned char lo) {
  return (((v - Splat(lo)) | (v + kOnes) | v) & kHigh) != 0;
}

// The high bit of exactly those bytes of v that equal c: the sums stay
// inside each byte, so no byte disturbs its neighbour.
inline Word Equal(Word v, unsigned char c) {
  const Word x = v ^ Splat(c);
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Index (0-7) of the first byte flagged in a non-zero Equal() result.
inline int FirstFlagged(Word flags) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(flags) >> 3;
#else
  int i = 0;
  while ((flags & 0x80) == 0) {
    flags >>= 8;
    ++i;
  }
  return i;
#endif
}

// The exclusive-or of the eight bytes of w.
inline unsigned char Fold(Word w) {
  w ^= w >> 32;
  w ^= w >> 16;
  w ^= w >> 8;
  return static_cast<unsigned char>(w);
}

}  // namespace NmeaScan
}  // namespace KsParse
}  // namespace Kestrel
