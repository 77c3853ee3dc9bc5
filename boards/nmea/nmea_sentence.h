// One NMEA sentence split into its comma-separated fields, without any heap
// allocation: the text is copied once into a fixed buffer and each field is
// terminated in place.
//
// Field 0 is the address ("$GPGGA"), field k the text after the k-th comma.
// A field ends at the next comma, at '*', at CR or LF, or at the end of the
// text, so the checksum and the line end never leak into a value. Numbers
// follow atoi/atof: leading white space skipped, the leading number counts,
// the rest is ignored, an empty field reads as 0.
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {

class NmeaSentence {
 public:
  // Longest sentence kept; a longer text is cut here.
  static constexpr unsigned kMaxLength = 300;
  // More fields than any handled sentence has; commas beyond it are counted
  // but their fields read as empty.
  static constexpr unsigned kMaxFields = 40;

  NmeaSentence() { Assign(nullptr, 0); }
  NmeaSentence(const char* text, unsigned length) { Assign(text, length); }

  // Copies at most kMaxLength bytes of the text and splits it. The object
  // keeps a pointer to `text` for Text(): the caller's text must outlive the
  // handlers that read the sentence (it always does, as they run inside the
  // caller's decode call).
  void Assign(const char* text, unsigned length);

  // The sentence as received (not NUL-terminated), Length() bytes.
  const char* Text() const { return text_; }
  unsigned Length() const { return length_; }
  // Number of commas in the text, whatever the field limit.
  unsigned CommaCount() const { return commas_; }
  // Fields that exist (commas + 1, bounded by kMaxFields).
  unsigned FieldCount() const { return fields_; }

  // The field's text, NUL-terminated; "" for a field that does not exist.
  const char* Field(unsigned k) const { return k < fields_ ? split_ + Start(k) : split_ + length_; }
  unsigned FieldLength(unsigned k) const { return k < fields_ ? end_[k] - Start(k) : 0; }
  bool Empty(unsigned k) const { return FieldLength(k) == 0; }
  // NmeaAtoi and NmeaAtof of the field, read from the sentence in place.
  int Int(unsigned k) const {
    const unsigned n = FieldLength(k);
    if (n == 0) return 0;
    const char* p = split_ + Start(k);
    unsigned value;
    return ShortDigits(p, n, value) ? static_cast<int>(value) : FieldInt(p, n);
  }
  double Double(unsigned k) const {
    const unsigned n = FieldLength(k);
    if (n == 0) return 0.0;
    const char* p = split_ + Start(k);
    // One to three plain digits (a signal strength) are their own value.
    unsigned digits;
    if (ShortDigits(p, n, digits)) return static_cast<double>(digits);
    double value;
    return ShortDecimal(p, n, value) ? value : FieldDouble(p, n);
  }
  // Parts of field k from `offset` on (offset <= FieldLength(k)): NmeaAtoiN
  // and NmeaAtofN of n characters there, and NmeaAtof of the rest of the
  // field, read in place as Int and Double are.
  int IntAt(unsigned k, unsigned offset, unsigned n) const;
  double DoubleAt(unsigned k, unsigned offset, unsigned n) const;
  double DoubleFrom(unsigned k, unsigned offset) const;

 private:
  // NmeaAtoi and NmeaAtof of a field of n >= 1 characters.
  static int FieldInt(const char* p, unsigned n);
  static double FieldDouble(const char* p, unsigned n);
  // One to three plain digits, the most common field, told without a call
  // or a loop (the padding behind the text keeps the reads in bounds).
  static bool ShortDigits(const char* p, unsigned n, unsigned& value) {
    const unsigned a = static_cast<unsigned char>(p[0]) - 48u;
    const unsigned b = static_cast<unsigned char>(p[1]) - 48u;
    const unsigned c = static_cast<unsigned char>(p[2]) - 48u;
    switch (n) {
      case 1:
        value = a;
        return a <= 9;
      case 2:
        value = a * 10 + b;
        return (a <= 9) & (b <= 9);
      case 3:
        value = a * 100 + b * 10 + c;
        return (a <= 9) & (b <= 9) & (c <= 9);
      default:
        return false;
    }
  }
  // Up to six characters of digits and at most one point, the common
  // decimal field (a DOP, a signal strength), told without a call: the
  // digits as an exact integer over an exact power of ten, as FieldDouble
  // computes them.
  static bool ShortDecimal(const char* p, unsigned n, double& value) {
    static constexpr double kScale[6] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5};
    if (n > 6) return false;
    unsigned mantissa = 0;
    unsigned decimals = 0;
    bool point = false;
    for (unsigned i = 0; i < n; ++i) {
      const unsigned digit = static_cast<unsigned char>(p[i]) - 48u;
      if (digit <= 9) {
        mantissa = mantissa * 10 + digit;
        decimals += point ? 1 : 0;
      } else if (p[i] == '.' && !point) {
        point = true;
      } else {
        return false;
      }
    }
    value = static_cast<double>(mantissa) / kScale[decimals];
    return true;
  }

  const char* text_;
  unsigned length_;
  unsigned commas_;
  unsigned fields_;
  unsigned Start(unsigned k) const { return start_[k]; }
  // Per field, where it starts (one past the comma before it) and where its
  // value ends (its comma, or an earlier value end). Room for every field
  // the longest text can have, and for the eight entries the splitter
  // (and Decrement) writes at once, so that it records each without a bound
  // check; only kMaxFields of them are used.
  std::uint16_t start_[kMaxLength + 2 + 8];
  std::uint16_t end_[kMaxLength + 1 + 8];
  // The text with every field terminated, and sixteen bytes more for the
  // splitter, which reads sixteen at a time.
  char split_[kMaxLength + 16];
};

// atoi over a NUL-terminated text. A number beyond the range of int (which
// atoi leaves undefined) saturates at INT_MIN or INT_MAX.
int NmeaAtoi(const char* text);
// atof over a NUL-terminated text. Plain decimals ([sign] digits [. digits])
// of up to 15 digits take an exact fast path: the digits as an integer are
// exact in a double, and so is the power of ten, so their one correctly
// rounded quotient is the value strtod gives. Anything else goes to strtod.
double NmeaAtof(const char* text);
// The same over the first `n` characters of `text` (at most 15; fewer when
// the text ends earlier), for fixed-width parts of a field such as the hour
// of a time or the degrees of a latitude.
int NmeaAtoiN(const char* text, unsigned n);
double NmeaAtofN(const char* text, unsigned n);

}  // namespace KsParse
}  // namespace Kestrel
