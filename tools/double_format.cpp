#include "tools/double_format.h"

#include <charconv>
#include <cstring>

#include "tools/pow10_table.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
constexpr std::uint32_t kTenTo8 = 100000000;
constexpr std::uint64_t kTenTo16 = 10000000000000000;
constexpr std::uint64_t kTenTo17 = 100000000000000000;

// The eight digits of x < 10^8 at p, zero-padded.
void Eight(char* p, std::uint32_t x) {
  const std::uint32_t high = x / 10000;
  std::memcpy(p, kDigitQuads.text + 4 * high, 4);
  std::memcpy(p + 4, kDigitQuads.text + 4 * (x - high * 10000), 4);
}

// The number of '0' characters that end the eight digits at p, which are
// not all zeros.
int TrailingZeroChars(const char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ && defined(__GNUC__)
  // The last character is the word's highest byte.
  std::uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  return __builtin_clzll(word ^ 0x3030303030303030u) >> 3;
#else
  int n = 0;
  while (p[7 - n] == '0') ++n;
  return n;
#endif
}

// The number of '0' characters that start the eight digits at p, which are
// not all zeros.
int LeadingZeroChars(const char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ && defined(__GNUC__)
  // The first character is the word's lowest byte.
  std::uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  return __builtin_ctzll(word ^ 0x3030303030303030u) >> 3;
#else
  int n = 0;
  while (p[n] == '0') ++n;
  return n;
#endif
}

int TrailingZeroBits(std::uint64_t x) {  // x > 0
#if defined(__GNUC__)
  return __builtin_ctzll(x);
#else
  int n = 0;
  for (; (x & 1) == 0; x >>= 1) ++n;
  return n;
#endif
}

struct PowersOfFive {
  std::uint64_t value[25];
};

constexpr PowersOfFive MakePowersOfFive() {
  PowersOfFive powers{};
  std::uint64_t power = 1;
  for (auto& value : powers.value) {
    value = power;
    power *= 5;
  }
  return powers;
}

constexpr PowersOfFive kPowersOfFive = MakePowersOfFive();

// The upper 64 bits of the 128-bit product.
std::uint64_t MulHigh(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
  __extension__ typedef unsigned __int128 Wide;
  return static_cast<std::uint64_t>((static_cast<Wide>(a) * b) >> 64);
#else
  // From 32-bit halves; `cross` stays below 2^64.
  const std::uint64_t a_low = a & 0xFFFFFFFFu, a_high = a >> 32;
  const std::uint64_t b_low = b & 0xFFFFFFFFu, b_high = b >> 32;
  const std::uint64_t low_low = a_low * b_low;
  const std::uint64_t high_low = a_high * b_low;
  const std::uint64_t cross = (low_low >> 32) + (high_low & 0xFFFFFFFFu) + a_low * b_high;
  return a_high * b_high + (high_low >> 32) + (cross >> 32);
#endif
}

// floor(q log10 2), floor(log10(3/4 2^q)) and floor(e log2 10), exact over
// the exponents of finite doubles (checked by tools/gen_pow10_table.py).
int FloorLog10Pow2(int q) { return static_cast<int>((q * std::int64_t{661971961083}) >> 41); }
int FloorLog10ThreeQuartersPow2(int q) {
  return static_cast<int>((q * std::int64_t{661971961083} - 274743187321) >> 41);
}
int FloorLog2Pow10(int e) { return (e * 217706) >> 16; }

// cp * g / 2^127 for the table entry g = {hi, lo} (g = hi 2^63 + lo), with
// its lowest bit set when the quotient is not whole: rounding to odd keeps
// the comparisons below exact. The low 64 bits of lo * cp are left out on
// purpose: with g rounded up, this is the rounding the comparisons are
// exact for (the full product misjudges ties).
std::uint64_t ScaleOdd(const std::uint64_t* g, std::uint64_t cp) {
  const std::uint64_t x1 = MulHigh(g[1], cp);
  const std::uint64_t y0 = g[0] * cp;
  const std::uint64_t y1 = MulHigh(g[0], cp);
  const std::uint64_t z = (y0 >> 1) + x1;
  return (y1 + (z >> 63)) | ((z << 1) != 0 ? 1 : 0);
}

struct Decimal {
  std::uint64_t digits;  // at most 17 digits
  int exponent;          // the value is digits * 10^exponent
};

// The shortest decimal that rounds to the normal double c 2^q, the nearest
// to it among those, ties to the even one. The rounding interval is scaled
// by 10^-k into 4x fixed point (two more bits) so that the candidates, the
// multiples of 10^k and 10^(k+1) next to the value, are tested exactly;
// 10^k is at most the interval's width, so one of the first two always
// fits and at most one of the second two does.
Decimal Shortest(std::uint64_t c, int q) {
  const std::uint64_t odd = c & 1;  // an odd significand leaves out the interval's ends
  const std::uint64_t cb = c << 2;
  const std::uint64_t cb_right = cb + 2;
  std::uint64_t cb_left;
  int k;
  if (c != kHiddenBit || q == -1074) {
    cb_left = cb - 2;
    k = FloorLog10Pow2(q);
  } else {
    // A power of two: the gap below is half the gap above.
    cb_left = cb - 1;
    k = FloorLog10ThreeQuartersPow2(q);
  }
  const std::uint64_t* g = kPow10Table[k - kPow10TableMinK];
  const int h = q + FloorLog2Pow10(-k) + 2;
  const std::uint64_t vb = ScaleOdd(g, cb << h);
  const std::uint64_t vb_left = ScaleOdd(g, cb_left << h);
  const std::uint64_t vb_right = ScaleOdd(g, cb_right << h);

  const std::uint64_t s = vb >> 2;
  const std::uint64_t s10 = s / 10 * 10;
  const std::uint64_t t10 = s10 + 10;
  const bool s10_in = vb_left + odd <= s10 << 2;
  const bool t10_in = (t10 << 2) + odd <= vb_right;
  if (s10_in != t10_in) return {s10_in ? s10 : t10, k};
  const std::uint64_t t = s + 1;
  const bool s_in = vb_left + odd <= s << 2;
  const bool t_in = (t << 2) + odd <= vb_right;
  if (s_in != t_in) return {s_in ? s : t, k};
  const auto above_middle = static_cast<std::int64_t>(vb - ((s + t) << 1));
  return {above_middle < 0 || (above_middle == 0 && (s & 1) == 0) ? s : t, k};
}

std::size_t Fallback(double value, char* text, std::chars_format format) {
  return static_cast<std::size_t>(std::to_chars(text, text + kDoubleChars, value, format).ptr - text);
}

}  // namespace

std::size_t FormatLargeUnsigned(std::uint64_t value, char* text) {
  if (value < kTenTo8) {
    const auto x = static_cast<std::uint32_t>(value);
    const std::uint32_t high = x / 10000;
    const std::size_t n = FormatBelow10000(high, text);
    std::memcpy(text + n, kDigitQuads.text + 4 * (x - high * 10000), 4);
    return n + 4;
  }
  // The last eight digits after the others.
  const std::uint64_t upper = value / kTenTo8;
  const std::size_t head = FormatUnsigned(upper, text);
  Eight(text + head, static_cast<std::uint32_t>(value - upper * kTenTo8));
  return head + 8;
}

std::size_t FormatGeneralDouble(double value, char* text) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (static_cast<unsigned>(biased - 1) >= 0x7FE) {
    if (biased == 0x7FF) {
      std::memcpy(text, "null", 4);
      return 4;
    }
    // Zeros; subnormals (below 2.3e-308) are left to the library.
    if ((bits << 1) != 0) return Fallback(value, text, std::chars_format::scientific);
    text[0] = '-';
    text[bits >> 63] = '0';
    return 1 + (bits >> 63);
  }
  char* p = text;
  if (bits >> 63) *p++ = '-';
  const auto sign = static_cast<std::size_t>(p - text);
  const std::uint64_t c = (bits & (kHiddenBit - 1)) | kHiddenBit;
  const int q = biased - 1075;
  // Whole numbers below 10^17 are written as their exact digits.
  Decimal decimal;
  bool exact = false;
  if (q >= 0) {
    if (q <= 4 && (c << q) < kTenTo17) return sign + FormatUnsigned(c << q, p);
  } else {
    const int zeros = TrailingZeroBits(c);
    if (zeros >= -q) return sign + FormatUnsigned(c >> -q, p);
    // A value with few binary places, c 2^q = m 2^-j with m odd, is
    // m 5^j 10^-j exactly, and that decimal ends in 5: every decimal with
    // fewer digits lies at least five units of its last place, 5 10^-j,
    // away. When that is more than half the gap to the neighbouring
    // doubles (at most 2^(q-1)), that is when 10^(1-j) > 2^q, the exact
    // decimal is the only shortest one, and so it has at most 17 digits
    // (and j <= 24). Measured values in binary units (1/256 cycle, 1/128 m)
    // take this path.
    const int j = -q - zeros;
    if (j <= 24 && -q > FloorLog2Pow10(j - 1)) {
      decimal = {(c >> zeros) * kPowersOfFive.value[j], -j};
      exact = true;
    }
  }
  if (!exact) decimal = Shortest(c, q);
  // All 17 digits, zero-padded; leading and trailing zeros are cut. The
  // copies below move fixed-size pieces; the zeroed tail of the scratch
  // buffer keeps them inside it.
  char digits[40] = {};
  const auto upper = static_cast<std::uint32_t>(decimal.digits / kTenTo8);
  const auto lower = static_cast<std::uint32_t>(decimal.digits - upper * kTenTo8);
  const std::uint32_t first = upper / kTenTo8;
  const std::uint32_t middle = upper - first * kTenTo8;
  digits[0] = static_cast<char>('0' + first);
  Eight(digits + 1, middle);
  Eight(digits + 9, lower);
  int leading, n;
  if (exact) {
    // Any length; no trailing zeros.
    leading = first != 0 ? 0 : middle != 0 ? 1 + LeadingZeroChars(digits + 1) : 9 + LeadingZeroChars(digits + 9);
    n = 17 - leading;
  } else {
    // 16 or 17 digits, trailing zeros possible.
    leading = decimal.digits < kTenTo16 ? 1 : 0;
    if (lower != 0) {
      n = 17 - leading - TrailingZeroChars(digits + 9);
    } else if (middle != 0) {
      n = 9 - leading - TrailingZeroChars(digits + 1);
    } else {
      n = 1;  // a first digit and sixteen zeros
    }
  }
  const char* d = digits + leading;
  const int exponent = decimal.exponent + 16 - leading;  // of the first digit

  // Plain for 1e-5 <= |value| < 1e17: the shortest decimal is in that range
  // exactly when the value is (both ends are doubles).
  if (exponent >= -5 && exponent <= 16) {
    const int point = exponent + 1;  // digits before the decimal point
    if (n <= point) return Fallback(value, text, std::chars_format::fixed);  // whole: handled above
    if (point > 0) {
      std::memcpy(p, d, 16);
      p[point] = '.';
      std::memcpy(p + point + 1, d + point, 17);
      return sign + static_cast<std::size_t>(n) + 1;
    }
    std::memcpy(p, "0.000000", 8);
    std::memcpy(p + 2 - point, d, 17);
    return sign + static_cast<std::size_t>(2 - point + n);
  }
  p[0] = d[0];
  std::size_t length = 1;
  if (n > 1) {
    p[1] = '.';
    std::memcpy(p + 2, d + 1, 16);
    length = static_cast<std::size_t>(n) + 1;
  }
  p += length;
  *p++ = 'e';
  *p++ = exponent < 0 ? '-' : '+';
  // Two or three exponent digits.
  const auto e = static_cast<std::uint32_t>(exponent < 0 ? -exponent : exponent);
  const std::size_t e_digits = e >= 100 ? 3 : 2;
  std::memcpy(p, kDigitQuads.text + 4 * e + 4 - e_digits, 4);
  return static_cast<std::size_t>(p - text) + e_digits;
}

std::string FormatDouble(double value) {
  char text[kDoubleChars];
  return std::string(text, FormatDouble(value, text));
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
