#include "tools/double_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "tools/pow10_table.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
constexpr std::uint64_t kLow63 = (std::uint64_t{1} << 63) - 1;
constexpr std::uint32_t kTenTo8 = 100000000;
constexpr std::uint64_t kTenTo16 = 10000000000000000;
constexpr std::uint64_t kTenTo17 = 100000000000000000;

void Pair(char* p, std::uint32_t x) { std::memcpy(p, kDigitPairs + 2 * x, 2); }

// The eight digits of x < 10^8, zero-padded: x / 10^6 in fixed point with
// 57 fraction bits, rounded up, gives the first pair as its whole part and
// each next pair from the fraction times 100 (the rounding error stays far
// below one unit of the last pair; checked for every x). 32-bit ARM has no
// cheap 64-bit division; this needs none.
void Eight(char* p, std::uint32_t x) {
  constexpr std::uint64_t kFraction = (std::uint64_t{1} << 57) - 1;
  std::uint64_t y = x * std::uint64_t{144115188076};  // ceil(2^57 / 10^6)
  Pair(p, static_cast<std::uint32_t>(y >> 57));
  y = (y & kFraction) * 100;
  Pair(p + 2, static_cast<std::uint32_t>(y >> 57));
  y = (y & kFraction) * 100;
  Pair(p + 4, static_cast<std::uint32_t>(y >> 57));
  y = (y & kFraction) * 100;
  Pair(p + 6, static_cast<std::uint32_t>(y >> 57));
}

// The decimal trailing zeros of x > 0 (at most 15 counted).
int TrailingZeros(std::uint32_t x) {
  int zeros = 0;
  if (x % 100000000 == 0) {
    x /= 100000000;
    zeros += 8;
  }
  if (x % 10000 == 0) {
    x /= 10000;
    zeros += 4;
  }
  if (x % 100 == 0) {
    x /= 100;
    zeros += 2;
  }
  return x % 10 == 0 ? zeros + 1 : zeros;
}

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
// the comparisons below exact.
std::uint64_t ScaleOdd(const std::uint64_t* g, std::uint64_t cp) {
  const std::uint64_t x1 = MulHigh(g[1], cp);
  const std::uint64_t y0 = g[0] * cp;
  const std::uint64_t y1 = MulHigh(g[0], cp);
  const std::uint64_t z = (y0 >> 1) + x1;
  return (y1 + (z >> 63)) | (((z & kLow63) + kLow63) >> 63);
}

struct Decimal {
  std::uint64_t digits;  // 16 or 17 digits, trailing zeros possible
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

std::size_t FormatUnsigned(std::uint64_t value, char* text) {
  if (value < 10) {
    text[0] = static_cast<char>('0' + value);
    return 1;
  }
  if (value < 100) {
    Pair(text, static_cast<std::uint32_t>(value));
    return 2;
  }
  // Backwards from the end of a scratch buffer, then one fixed-size copy.
  char digits[48] = {};
  char* p = digits + 24;
  while (value >= kTenTo8) {  // at most twice
    const std::uint64_t upper = value / kTenTo8;
    p -= 8;
    Eight(p, static_cast<std::uint32_t>(value - upper * kTenTo8));
    value = upper;
  }
  auto x = static_cast<std::uint32_t>(value);
  while (x >= 100) {
    const std::uint32_t upper = x / 100;
    p -= 2;
    Pair(p, x - upper * 100);
    x = upper;
  }
  if (x >= 10) {
    p -= 2;
    Pair(p, x);
  } else {
    *--p = static_cast<char>('0' + x);
  }
  std::memcpy(text, p, 24);
  return static_cast<std::size_t>(digits + 24 - p);
}

std::size_t FormatSigned(std::int64_t value, char* text) {
  if (value >= 0) return FormatUnsigned(static_cast<std::uint64_t>(value), text);
  text[0] = '-';
  return 1 + FormatUnsigned(0 - static_cast<std::uint64_t>(value), text + 1);
}

std::size_t FormatDouble(double value, char* text) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & (kHiddenBit - 1);
  if (biased == 0x7FF) {
    std::memcpy(text, "null", 4);
    return 4;
  }
  // Subnormals (below 2.3e-308) are left to the library.
  if (biased == 0 && fraction != 0) return Fallback(value, text, std::chars_format::scientific);
  char* p = text;
  if (bits >> 63) *p++ = '-';
  const auto sign = static_cast<std::size_t>(p - text);
  if (biased == 0) {
    *p = '0';
    return sign + 1;
  }
  const std::uint64_t c = fraction | kHiddenBit;
  const int q = biased - 1075;
  // Whole numbers below 10^17 are written as their exact digits.
  if (q >= 0) {
    if (q <= 4 && (c << q) < kTenTo17) return sign + FormatUnsigned(c << q, p);
  } else if (q >= -52 && (c & ((std::uint64_t{1} << -q) - 1)) == 0) {
    return sign + FormatUnsigned(c >> -q, p);
  }

  const Decimal decimal = Shortest(c, q);
  // All 17 digits, zero-padded; a leading zero is skipped and trailing zeros
  // are cut. The copies below move fixed-size pieces; the zeroed tail of
  // the scratch buffer keeps them inside it.
  char digits[40] = {};
  const auto upper = static_cast<std::uint32_t>(decimal.digits / kTenTo8);
  const auto lower = static_cast<std::uint32_t>(decimal.digits - upper * kTenTo8);
  digits[0] = static_cast<char>('0' + upper / kTenTo8);
  Eight(digits + 1, upper % kTenTo8);
  Eight(digits + 9, lower);
  const int leading = decimal.digits < kTenTo16 ? 1 : 0;
  const char* d = digits + leading;
  int n = 17 - leading;
  const int exponent = decimal.exponent + n - 1;  // of the first digit
  if (lower % 10 == 0) n -= lower == 0 ? 8 + TrailingZeros(upper) : TrailingZeros(lower);

  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-5 && magnitude < 1e17) {
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
  auto e = static_cast<std::uint32_t>(exponent < 0 ? -exponent : exponent);
  if (e >= 100) {
    *p++ = static_cast<char>('0' + e / 100);
    e %= 100;
  }
  Pair(p, e);
  return static_cast<std::size_t>(p + 2 - text);
}

std::string FormatDouble(double value) {
  char text[kDoubleChars];
  return std::string(text, FormatDouble(value, text));
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
