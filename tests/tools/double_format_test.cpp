// Number formatting of the JSON records: every double byte for byte as the
// standard library's shortest round-trip std::to_chars writes it (plain for
// 1e-5 <= |v| < 1e17 and zero, exponent outside), and the integer writers.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tools/double_format.h"

namespace Kestrel {
namespace KsParse {
namespace {

// Under the ARM emulator a conversion costs far more; fewer samples there.
#if defined(__arm__)
constexpr int kSamples = 150000;
#else
constexpr int kSamples = 1000000;
#endif

std::string Reference(double v) {
  if (!std::isfinite(v)) return "null";
  const double m = std::fabs(v);
  const bool fixed = m == 0.0 || (m >= 1e-5 && m < 1e17);
  char text[64];
  const auto r = std::to_chars(text, text + sizeof(text), v, fixed ? std::chars_format::fixed : std::chars_format::scientific);
  return std::string(text, r.ptr);
}

// Counts mismatches, showing the first few.
struct Comparison {
  int mismatches = 0;
  void operator()(double v) {
    const std::string got = Tool::FormatDouble(v), want = Reference(v);
    if (got != want && ++mismatches <= 5) ADD_FAILURE() << std::hexfloat << v << ": " << got << " != " << want;
  }
};

TEST(DoubleFormat, MatchesStdToCharsOnRandomBitPatterns) {
  std::mt19937_64 random(13);
  Comparison compare;
  for (int i = 0; i < kSamples; ++i) {
    const std::uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof(v));
    compare(v);
  }
  // Every binary exponent at its power of two (where the gap below halves)
  // and both neighbours, and the doubles nearest the powers of ten.
  for (int e = -1074; e <= 1023; ++e) {
    const double v = std::ldexp(1.0, e);
    for (double w : {v, std::nextafter(v, 0.0), std::nextafter(v, HUGE_VAL), -v}) compare(w);
  }
  for (int e = -323; e <= 308; ++e) {
    const double v = std::strtod(("1e" + std::to_string(e)).c_str(), nullptr);
    for (double w : {v, std::nextafter(v, 0.0), std::nextafter(v, HUGE_VAL)}) compare(w);
  }
  EXPECT_EQ(compare.mismatches, 0);
}

TEST(DoubleFormat, MatchesStdToCharsOnMeasurementLikeValues) {
  // Values as the records carry them: centimetres and 0.02 m steps,
  // pseudoranges, binary fractions (carrier phases in 1/256 cycle),
  // degrees from radians, small corrections, whole metres.
  std::mt19937_64 random(17);
  Comparison compare;
  for (int i = 0; i < kSamples / 8; ++i) {
    const auto k = static_cast<std::int64_t>(random() % 4000000000000) - 2000000000000;
    const double unit = static_cast<double>(random() % 1000000) * 1e-6;
    const int binary_places = static_cast<int>(random() % 64);
    for (double v : {k * 0.01, k * 0.02, 2e7 + k * 1e-6, std::ldexp(static_cast<double>(k), -binary_places),
                     k * 1e-11 * 57.29577951308232, k * 1e-15, unit * 0.001, static_cast<double>(k)})
      compare(v);
  }
  EXPECT_EQ(compare.mismatches, 0);
}

TEST(DoubleFormat, WrittenOutCases) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {
      {0.1, "0.1"},
      {0.1 + 0.2, "0.30000000000000004"},
      {123456.789, "123456.789"},
      {20213930.64, "20213930.64"},
      {0.0046700000000000005, "0.0046700000000000005"},
      {4.35e-5, "0.0000435"},
      {1e-5, "0.00001"},
      {1.0000000000000003e-05, "0.000010000000000000003"},
      {9.999999999999999e-06, "9.999999999999999e-06"},
      {1e-7, "1e-07"},
      {1.23e-18, "1.23e-18"},
      {5.684341886080802e-14, "5.684341886080802e-14"},  // 2^-44
      {-45.0, "-45"},
      {500000.0, "500000"},
      {9007199254740994.0, "9007199254740994"},  // 2^53 + 2
      {99999999999999984.0, "99999999999999984"},
      {1e17, "1e+17"},
      {1e23, "1e+23"},
      {8.98846567431158e+307, "8.98846567431158e+307"},  // 2^1023
      {1.7976931348623157e+308, "1.7976931348623157e+308"},
      {2.2250738585072014e-308, "2.2250738585072014e-308"},
      {5e-324, "5e-324"},
      {0.0, "0"},
      {-0.0, "-0"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {-HUGE_VAL, "null"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Tool::FormatDouble(c.value), c.text);
}

TEST(DoubleFormat, Integers) {
  char text[Tool::kDoubleChars];
  const auto u = [&](std::uint64_t v) { return std::string(text, Tool::FormatUnsigned(v, text)); };
  const auto s = [&](std::int64_t v) { return std::string(text, Tool::FormatSigned(v, text)); };
  EXPECT_EQ(u(0) + " " + u(9) + " " + u(10) + " " + u(99) + " " + u(100) + " " + u(99999999) + " " + u(100000000),
            "0 9 10 99 100 99999999 100000000");
  EXPECT_EQ(u(18446744073709551615u), "18446744073709551615");
  EXPECT_EQ(s(-7) + " " + s(std::numeric_limits<std::int64_t>::min()), "-7 -9223372036854775808");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
