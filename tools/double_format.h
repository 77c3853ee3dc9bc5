// Doubles and integers as JSON numbers. A double is written in the shortest
// decimal form that reads back to exactly the same value (the nearest such
// form, ties to the even digit), in plain notation for 1e-5 <= |v| < 1e17
// and whole numbers there, with an exponent outside: 0.1, 500000,
// 0.30000000000000004, 1e-300, 1.7976931348623157e+308. This is the output
// of std::to_chars in fixed or scientific form, produced several times
// faster.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace Kestrel {
namespace KsParse {
namespace Tool {

// Room that FormatDouble and the integer writers may touch: a little more
// than the longest text, as digits are copied in fixed-size pieces.
constexpr std::size_t kDoubleChars = 64;

// The four digits of every number below 10^4, zero-padded, one after the
// other, computed when compiled; four spare characters at the end let a
// shorter number be copied from inside its entry four characters at a time.
struct DigitQuads {
  char text[4 * 10000 + 4];
};

constexpr DigitQuads MakeDigitQuads() {
  DigitQuads quads{};
  for (int i = 0; i < 10000; ++i) {
    quads.text[4 * i] = static_cast<char>('0' + i / 1000);
    quads.text[4 * i + 1] = static_cast<char>('0' + i / 100 % 10);
    quads.text[4 * i + 2] = static_cast<char>('0' + i / 10 % 10);
    quads.text[4 * i + 3] = static_cast<char>('0' + i % 10);
  }
  return quads;
}

inline constexpr DigitQuads kDigitQuads = MakeDigitQuads();

// The digits of x < 10^4 without leading zeros into `text` (four
// characters written); returns their count.
inline std::size_t FormatBelow10000(std::uint32_t x, char* text) {
  const std::size_t n = 1 + (x >= 10) + (x >= 100) + (x >= 1000);
  std::memcpy(text, kDigitQuads.text + 4 * x + 4 - n, 4);
  return n;
}

// The general cases of the functions below.
std::size_t FormatLargeUnsigned(std::uint64_t value, char* text);
std::size_t FormatGeneralDouble(double value, char* text);

// Decimal digits of an integer into `text` (kDoubleChars long); returns the
// length. Small numbers, the most common in records, are written inline.
inline std::size_t FormatUnsigned(std::uint64_t value, char* text) {
  return value < 10000 ? FormatBelow10000(static_cast<std::uint32_t>(value), text) : FormatLargeUnsigned(value, text);
}

inline std::size_t FormatSigned(std::int64_t value, char* text) {
  if (value >= 0) return FormatUnsigned(static_cast<std::uint64_t>(value), text);
  text[0] = '-';
  return 1 + FormatUnsigned(0 - static_cast<std::uint64_t>(value), text + 1);
}

// Writes `value` into `text` (kDoubleChars long); returns the length. NaN
// and infinities, which JSON cannot express, are written as "null".
inline std::size_t FormatDouble(double value, char* text) {
  if (value >= 0.0 && value < 10000.0) {
    const auto whole = static_cast<std::uint32_t>(value);
    if (whole == value && (whole != 0 || !std::signbit(value))) return FormatBelow10000(whole, text);
  }
  return FormatGeneralDouble(value, text);
}

std::string FormatDouble(double value);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
