// Doubles and integers as JSON numbers. A double is written in the shortest
// decimal form that reads back to exactly the same value (the nearest such
// form, ties to the even digit), in plain notation for 1e-5 <= |v| < 1e17
// and whole numbers there, with an exponent outside: 0.1, 500000,
// 0.30000000000000004, 1e-300, 1.7976931348623157e+308. This is the output
// of std::to_chars in fixed or scientific form, produced several times
// faster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kestrel {
namespace KsParse {
namespace Tool {

// Room that FormatDouble and the integer writers may touch: a little more
// than the longest text, as digits are copied in fixed-size pieces.
constexpr std::size_t kDoubleChars = 64;

// Writes `value` into `text` (kDoubleChars long); returns the length. NaN
// and infinities, which JSON cannot express, are written as "null".
std::size_t FormatDouble(double value, char* text);
std::string FormatDouble(double value);

// Decimal digits of an integer into `text` (kDoubleChars long); returns the
// length.
std::size_t FormatUnsigned(std::uint64_t value, char* text);
std::size_t FormatSigned(std::int64_t value, char* text);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
