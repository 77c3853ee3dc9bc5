// Many-bytes-at-a-time tests for the NMEA scans. Sentences are looked at by
// the engine (where does it end, is it intact) and the splitter (where are
// its fields); sixteen bytes tested at once (eight where only words are
// used) let a clean stretch of text cost a few instructions instead of a
// branch per byte. Only the bytes a test flags are examined one by one.
#pragma once

#include <cstdint>
#include <cstring>

// KSPARSE_PORTABLE_SCAN builds the word code on x86 too, to test it there.
#if defined(__SSE2__) && !defined(KSPARSE_PORTABLE_SCAN)
#define KSPARSE_SCAN_SSE2 1
#include <emmintrin.h>
#endif

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

// The high bit of exactly those bytes of v below n (n <= 0x80).
inline Word Below(Word v, unsigned char n) {
  return ~(((v & kLow7) + Splat(static_cast<unsigned char>(0x80 - n))) | v | kLow7);
}

// The high bit of exactly those bytes of v that equal c: the sums stay
// inside each byte, so no byte disturbs its neighbour.
inline Word Equal(Word v, unsigned char c) {
  const Word x = v ^ Splat(c);
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The exclusive-or of the eight bytes of w.
inline unsigned char Fold(Word w) {
  w ^= w >> 32;
  w ^= w >> 16;
  w ^= w >> 8;
  return static_cast<unsigned char>(w);
}

// Index of the lowest set bit of a non-zero mask.
inline unsigned LowestBit(unsigned mask) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctz(mask));
#else
  unsigned i = 0;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++i;
  }
  return i;
#endif
}

// Sixteen bytes tested at once. Each test answers with a mask whose bit i
// stands for byte i; the bytes themselves can be folded by exclusive-or.
// The vector unit does it where there is one, two words otherwise.
class Bytes16 {
 public:
  static Bytes16 Zero() { return Bytes16(); }
  // p[0..15] must be readable.
  explicit Bytes16(const unsigned char* p) {
#if defined(KSPARSE_SCAN_SSE2)
    v_ = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
#else
    lo_ = Load(p);
    hi_ = Load(p + 8);
#endif
  }

  unsigned Equal(unsigned char c) const {
#if defined(KSPARSE_SCAN_SSE2)
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v_, _mm_set1_epi8(static_cast<char>(c)))));
#else
    return Gather(NmeaScan::Equal(lo_, c), NmeaScan::Equal(hi_, c));
#endif
  }

  // Bytes below n (1 <= n <= 0x80).
  unsigned Below(unsigned char n) const {
#if defined(KSPARSE_SCAN_SSE2)
    const __m128i top = _mm_set1_epi8(static_cast<char>(n - 1));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v_, top), v_)));
#else
    return Gather(NmeaScan::Below(lo_, n), NmeaScan::Below(hi_, n));
#endif
  }

  // Bytes outside [lo, hi] (lo <= hi < 0x80).
  unsigned Outside(unsigned char lo, unsigned char hi) const {
#if defined(KSPARSE_SCAN_SSE2)
    const __m128i t = _mm_sub_epi8(v_, _mm_set1_epi8(static_cast<char>(lo)));
    const __m128i inside = _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(static_cast<char>(hi - lo))), t);
    return ~static_cast<unsigned>(_mm_movemask_epi8(inside)) & 0xFFFFu;
#else
    // Above hi: the sum leaves the low seven bits (no carry between bytes),
    // and a set high bit is above anyway.
    const Word above = Splat(static_cast<unsigned char>(0x7F - hi));
    const Word lo_out = NmeaScan::Below(lo_, lo) | ((((lo_ & kLow7) + above) | lo_) & kHigh);
    const Word hi_out = NmeaScan::Below(hi_, lo) | ((((hi_ & kLow7) + above) | hi_) & kHigh);
    return Gather(lo_out, hi_out);
#endif
  }

  // The first k bytes (k <= 16), the others zero.
  Bytes16 First(unsigned k) const {
    Bytes16 r;
#if defined(KSPARSE_SCAN_SSE2)
    static const unsigned char kMask[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    r.v_ = _mm_and_si128(v_, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMask + 16 - k)));
#else
    r.lo_ = k >= 8 ? lo_ : lo_ & ((Word{1} << (8 * k)) - 1);
    r.hi_ = k >= 16 ? hi_ : k <= 8 ? 0 : hi_ & ((Word{1} << (8 * (k - 8))) - 1);
#endif
    return r;
  }

  // Stores the sixteen bytes to dest, those equal to c as zeros.
  void StoreZeroing(unsigned char c, unsigned char* dest) const {
#if defined(KSPARSE_SCAN_SSE2)
    const __m128i kept = _mm_andnot_si128(_mm_cmpeq_epi8(v_, _mm_set1_epi8(static_cast<char>(c))), v_);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), kept);
#else
    const Word lo = lo_ & ~(((NmeaScan::Equal(lo_, c) >> 7) * 0xFF));
    const Word hi = hi_ & ~(((NmeaScan::Equal(hi_, c) >> 7) * 0xFF));
    for (int i = 0; i < 8; ++i) {
      dest[i] = static_cast<unsigned char>(lo >> (8 * i));
      dest[8 + i] = static_cast<unsigned char>(hi >> (8 * i));
    }
#endif
  }

  Bytes16 operator^(const Bytes16& other) const {
    Bytes16 r;
#if defined(KSPARSE_SCAN_SSE2)
    r.v_ = _mm_xor_si128(v_, other.v_);
#else
    r.lo_ = lo_ ^ other.lo_;
    r.hi_ = hi_ ^ other.hi_;
#endif
    return r;
  }

  // The exclusive-or of the sixteen bytes.
  unsigned char Fold() const {
#if defined(KSPARSE_SCAN_SSE2)
    __m128i x = _mm_xor_si128(v_, _mm_srli_si128(v_, 8));
    x = _mm_xor_si128(x, _mm_srli_si128(x, 4));
    const std::uint32_t w = static_cast<std::uint32_t>(_mm_cvtsi128_si32(x));
    const std::uint32_t h = w ^ (w >> 16);
    return static_cast<unsigned char>(h ^ (h >> 8));
#else
    return NmeaScan::Fold(lo_ ^ hi_);
#endif
  }

 private:
  Bytes16() {
#if defined(KSPARSE_SCAN_SSE2)
    v_ = _mm_setzero_si128();
#else
    lo_ = hi_ = 0;
#endif
  }

#if defined(KSPARSE_SCAN_SSE2)
  __m128i v_;
#else
  // The high bits of the bytes (as Equal and Below give them) to one bit a
  // byte: the multiplication gathers bit 8i at bit 56 + i.
  static unsigned Gather(Word lo, Word hi) {
    constexpr Word kGather = 0x0102040810204080ull;
    return static_cast<unsigned>((((lo >> 7) * kGather) >> 56) | ((((hi >> 7) * kGather) >> 56) << 8));
  }
  Word lo_;
  Word hi_;
#endif
};

// The set bits of every 8-bit mask, as positions, and how many there are.
struct BitPositions {
  std::uint8_t at[256][8];
  std::uint8_t count[256];
};

constexpr BitPositions MakeBitPositions() {
  BitPositions table{};
  for (unsigned m = 0; m < 256; ++m) {
    unsigned n = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((m >> bit) & 1u) table.at[m][n++] = static_cast<std::uint8_t>(bit);
    }
    table.count[m] = static_cast<std::uint8_t>(n);
  }
  return table;
}

inline constexpr BitPositions kBitPositions = MakeBitPositions();

// Writes base + i for every set bit i of the 8-bit mask to out[0..], in
// order, and returns how many. out[0..7] must be writable: all eight are
// written at once where the vector unit allows.
inline unsigned AppendPositions(std::uint16_t* out, unsigned mask, unsigned base) {
#if defined(KSPARSE_SCAN_SSE2)
  __m128i at = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kBitPositions.at[mask]));
  at = _mm_add_epi16(_mm_unpacklo_epi8(at, _mm_setzero_si128()), _mm_set1_epi16(static_cast<short>(base)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), at);
#else
  for (unsigned i = 0; i < kBitPositions.count[mask]; ++i)
    out[i] = static_cast<std::uint16_t>(base + kBitPositions.at[mask][i]);
#endif
  return kBitPositions.count[mask];
}

// out[i] = in[i] - 1 for i < n, eight at a time where the vector unit
// allows: then n is rounded up to a multiple of eight, so both arrays must
// have room for seven entries more (the extra results are not used).
inline void Decrement(std::uint16_t* out, const std::uint16_t* in, unsigned n) {
  unsigned i = 0;
#if defined(KSPARSE_SCAN_SSE2)
  const __m128i one = _mm_set1_epi16(1);
  for (; i < n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi16(v, one));
  }
#endif
  for (; i < n; ++i) out[i] = static_cast<std::uint16_t>(in[i] - 1);
}

}  // namespace NmeaScan
}  // namespace KsParse
}  // namespace Kestrel
