#include "boards/nmea/nmea_sentence.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace Kestrel {
namespace KsParse {

namespace {

// Byte classes of the splitter: 0 ordinary, 1 field separator, 2 end of the
// field's value ('*' starts the checksum; CR, LF and NUL end the line).
constexpr unsigned char kOrdinary = 0;
constexpr unsigned char kComma = 1;
constexpr unsigned char kValueEnd = 2;

struct ByteClasses {
  unsigned char of[256];
  constexpr ByteClasses() : of() {
    of[static_cast<unsigned char>(',')] = kComma;
    of[static_cast<unsigned char>('*')] = kValueEnd;
    of[static_cast<unsigned char>('\r')] = kValueEnd;
    of[static_cast<unsigned char>('\n')] = kValueEnd;
    of[0] = kValueEnd;
  }
};
constexpr ByteClasses kClasses;

constexpr unsigned kNoEnd = ~0u;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr double kPow10[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int kFastDigits = 15;  // 10^15 < 2^53: the digits are exact in a double

}  // namespace

void NmeaSentence::Assign(const char* text, unsigned length) {
  if (text == nullptr) {
    text = "";
    length = 0;
  }
  if (length > kMaxLength) length = kMaxLength;
  text_ = text;
  length_ = length;
  if (length != 0) std::memcpy(split_, text, length);
  split_[length] = '\0';
  commas_ = 0;
  fields_ = 0;

  unsigned start = 0;
  unsigned value_end = kNoEnd;  // where the current field's value ended early
  for (unsigned i = 0; i < length; ++i) {
    const unsigned char cls = kClasses.of[static_cast<unsigned char>(split_[i])];
    if (cls == kOrdinary) continue;
    if (cls == kComma) {
      if (fields_ < kMaxFields) {
        start_[fields_] = static_cast<std::uint16_t>(start);
        len_[fields_] = static_cast<std::uint16_t>((value_end == kNoEnd ? i : value_end) - start);
        ++fields_;
      }
      split_[i] = '\0';
      ++commas_;
      start = i + 1;
      value_end = kNoEnd;
    } else if (value_end == kNoEnd) {
      value_end = i;
      split_[i] = '\0';
    }
  }
  if (fields_ < kMaxFields) {
    start_[fields_] = static_cast<std::uint16_t>(start);
    len_[fields_] = static_cast<std::uint16_t>((value_end == kNoEnd ? length : value_end) - start);
    ++fields_;
  }
}

int NmeaSentence::Int(unsigned k) const { return NmeaAtoi(Field(k)); }

double NmeaSentence::Double(unsigned k) const { return NmeaAtof(Field(k)); }

int NmeaAtoi(const char* p) {
  while (IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; IsDigit(*p); ++p) {
    // Stop accumulating once past the int range; the rest only saturates.
    if (value <= INT_MAX) value = value * 10 + (*p - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double NmeaAtof(const char* text) {
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  std::uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  for (; IsDigit(*p) && digits <= kFastDigits; ++p, ++digits) mantissa = mantissa * 10 + (*p - '0');
  if (*p == '.') {
    for (++p; IsDigit(*p) && digits <= kFastDigits; ++p, ++digits, ++decimals)
      mantissa = mantissa * 10 + (*p - '0');
  }
  // Exponents, white space, hexadecimal, inf/nan and long digit strings: the
  // library routine.
  if (*p != '\0' || digits > kFastDigits) return std::strtod(text, nullptr);
  if (digits == 0) return 0.0;  // "", "-", "." convert nothing
  // Both operands are exact, so the one rounding of the division gives the
  // correctly rounded value.
  const double value = static_cast<double>(mantissa) / kPow10[decimals];
  return negative ? -value : value;
}

namespace {

// Copies at most n (<= 15) characters of a NUL-terminated text.
struct Prefix {
  char text[16];
  Prefix(const char* from, unsigned n) {
    if (n > 15) n = 15;
    unsigned i = 0;
    for (; i < n && from[i] != '\0'; ++i) text[i] = from[i];
    text[i] = '\0';
  }
};

}  // namespace

int NmeaAtoiN(const char* text, unsigned n) { return NmeaAtoi(Prefix(text, n).text); }

double NmeaAtofN(const char* text, unsigned n) { return NmeaAtof(Prefix(text, n).text); }

}  // namespace KsParse
}  // namespace Kestrel
