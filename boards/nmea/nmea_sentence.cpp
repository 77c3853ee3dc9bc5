#include "boards/nmea/nmea_sentence.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "boards/nmea/nmea_scan.h"

namespace Kestrel {
namespace KsParse {

namespace {

// Byte classes of the splitter: 0 ordinary (every byte not listed), 1 field
// separator, 2 end of the field's value ('*' starts the checksum; CR, LF and
// NUL end the line).
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
constexpr unsigned kUnbounded = ~0u;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
// The digit's value, or above 9 for any other character.
unsigned DigitValue(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - 48u; }

constexpr double kPow10[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr unsigned kFastDigits = 15;  // 10^15 < 2^53: the digits are exact in a double
constexpr unsigned kIntDigits = 9;    // any nine digits fit an int
constexpr unsigned kPrefixLimit = 15;  // characters that NmeaAtoiN and NmeaAtofN read at most

// atoi over text[0..n), a NUL ending the text earlier.
int ParseInt(const char* p, unsigned n) {
  // The common text starts with a digit: its value is that of the digits
  // it starts with, exact while they are at most nine.
  if (n != 0 && DigitValue(p[0]) <= 9) {
    unsigned value = 0;
    unsigned i = 0;
    for (unsigned digit; i < n && i <= kIntDigits && (digit = DigitValue(p[i])) <= 9; ++i) value = value * 10 + digit;
    if (i <= kIntDigits) return static_cast<int>(value);
  }
  unsigned i = 0;
  while (i < n && IsSpace(p[i])) ++i;
  bool negative = false;
  if (i < n && (p[i] == '+' || p[i] == '-')) negative = p[i++] == '-';
  long long value = 0;
  for (; i < n && IsDigit(p[i]); ++i) {
    // Stop accumulating once past the int range; the rest only saturates.
    if (value <= INT_MAX) value = value * 10 + (p[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The value of text[0..n) (a NUL ending it earlier) when the text is a plain
// decimal of at most 15 digits; false when it needs strtod.
bool PlainDecimal(const char* p, unsigned n, double& value) {
  unsigned i = 0;
  const bool negative = n != 0 && p[0] == '-';
  if (n != 0 && (p[0] == '+' || p[0] == '-')) i = 1;
  std::uint64_t mantissa = 0;
  const unsigned whole = i;
  for (unsigned digit; i < n && (digit = DigitValue(p[i])) <= 9; ++i) mantissa = mantissa * 10 + digit;
  unsigned digits = i - whole;
  unsigned decimals = 0;
  if (i < n && p[i] == '.') {
    const unsigned fraction = ++i;
    for (unsigned digit; i < n && (digit = DigitValue(p[i])) <= 9; ++i) mantissa = mantissa * 10 + digit;
    decimals = i - fraction;
    digits += decimals;
  }
  // Exponents, white space, hexadecimal, inf/nan and long digit strings
  // (whose integer may have wrapped): the library routine.
  if ((i < n && p[i] != '\0') || digits > kFastDigits) return false;
  if (digits == 0) {
    value = 0.0;  // "", "-", "." convert nothing
    return true;
  }
  // Both operands are exact, so the one rounding of the division gives the
  // correctly rounded value.
  const double magnitude = static_cast<double>(mantissa) / kPow10[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

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
  std::memset(split_ + length, 0, 16);

  // Sixteen bytes at a time: the commas become NULs and the fields' starts
  // (one past each comma) are recorded eight at a time, whatever their
  // number; the bytes below '+' are looked at only until the first value end
  // ('*', CR, LF, NUL). The first byte, a sentence's '$', is looked at on
  // its own.
  unsigned char* bytes = reinterpret_cast<unsigned char*>(split_);
  unsigned commas = 0;
  unsigned first_end = kNoEnd;
  start_[0] = 0;
  unsigned i = 0;
  if (length != 0) {
    const unsigned char cls = kClasses.of[bytes[0]];
    if (cls == kComma) {
      split_[0] = '\0';
      start_[++commas] = 1;
    } else if (cls == kValueEnd) {
      first_end = 0;
    }
    i = 1;
  }
  for (; i < length; i += 16) {
    const NmeaScan::Bytes16 block(bytes + i);
    unsigned at_commas = block.Equal(',');
    unsigned others = first_end == kNoEnd ? block.Below('+') : 0;
    if (length - i < 16) {
      const unsigned held = (1u << (length - i)) - 1;
      at_commas &= held;
      others &= held;
    }
    for (; others != 0; others &= others - 1) {
      const unsigned at = i + NmeaScan::LowestBit(others);
      if (kClasses.of[bytes[at]] == kValueEnd) {
        first_end = at;
        break;
      }
    }
    if (at_commas == 0) continue;
    block.StoreZeroing(',', bytes + i);
    commas += NmeaScan::AppendPositions(start_ + 1 + commas, at_commas & 0xFFu, i + 1);
    commas += NmeaScan::AppendPositions(start_ + 1 + commas, at_commas >> 8, i + 9);
  }
  // Each field but the last ends at its comma, one before the next start.
  NmeaScan::Decrement(end_, start_ + 1, commas);
  end_[commas] = static_cast<std::uint16_t>(length);
  commas_ = commas;
  fields_ = commas + 1 < kMaxFields ? commas + 1 : kMaxFields;
  if (first_end == kNoEnd) return;

  // The field that holds the first value end ends there; each later field
  // at its own first value end, if any. Each is terminated there too. The
  // comma NULs are no value ends: a field is searched up to its comma only.
  unsigned k = commas;
  while (k > 0 && start_[k] > first_end) --k;
  end_[k] = static_cast<std::uint16_t>(first_end);
  split_[first_end] = '\0';
  for (++k; k <= commas; ++k) {
    for (unsigned at = Start(k); at < end_[k]; ++at) {
      if (kClasses.of[bytes[at]] == kValueEnd) {
        end_[k] = static_cast<std::uint16_t>(at);
        split_[at] = '\0';
        break;
      }
    }
  }
}

int NmeaSentence::FieldInt(const char* p, unsigned n) {
  // Plain digits, the common field, most often one to three of them; nine
  // cannot leave the int range.
  const unsigned first = DigitValue(p[0]);
  if (first <= 9 && n <= kIntDigits) {
    unsigned value = first;
    unsigned i = 1;
    for (unsigned digit; i < n && (digit = DigitValue(p[i])) <= 9; ++i) value = value * 10 + digit;
    if (i == n) return static_cast<int>(value);
  }
  return ParseInt(p, n);
}

// The field's text ends at its n characters, so strtod reads no further.
double NmeaSentence::FieldDouble(const char* p, unsigned n) {
  double value;
  return PlainDecimal(p, n, value) ? value : std::strtod(p, nullptr);
}

int NmeaSentence::IntAt(unsigned k, unsigned offset, unsigned n) const {
  const char* p = Field(k) + offset;
  unsigned value;
  if (offset + n <= FieldLength(k) && ShortDigits(p, n, value)) return static_cast<int>(value);
  return NmeaAtoiN(p, n);
}

double NmeaSentence::DoubleAt(unsigned k, unsigned offset, unsigned n) const {
  const char* p = Field(k) + offset;
  double value;
  if (n <= kPrefixLimit && offset + n <= FieldLength(k) && PlainDecimal(p, n, value)) return value;
  return NmeaAtofN(p, n);
}

double NmeaSentence::DoubleFrom(unsigned k, unsigned offset) const {
  const unsigned n = FieldLength(k);
  const char* p = Field(k) + offset;
  if (offset >= n) return NmeaAtof(p);
  double value;
  return PlainDecimal(p, n - offset, value) ? value : std::strtod(p, nullptr);
}

int NmeaAtoi(const char* text) { return ParseInt(text, kUnbounded); }

double NmeaAtof(const char* text) {
  double value;
  return PlainDecimal(text, kUnbounded, value) ? value : std::strtod(text, nullptr);
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

int NmeaAtoiN(const char* text, unsigned n) { return ParseInt(text, n < kPrefixLimit ? n : kPrefixLimit); }

double NmeaAtofN(const char* text, unsigned n) {
  double value;
  if (PlainDecimal(text, n < kPrefixLimit ? n : kPrefixLimit, value)) return value;
  return std::strtod(Prefix(text, n).text, nullptr);
}

}  // namespace KsParse
}  // namespace Kestrel
