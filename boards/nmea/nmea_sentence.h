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
  const char* Field(unsigned k) const { return k < fields_ ? split_ + start_[k] : split_ + length_; }
  unsigned FieldLength(unsigned k) const { return k < fields_ ? len_[k] : 0; }
  bool Empty(unsigned k) const { return FieldLength(k) == 0; }
  int Int(unsigned k) const;
  double Double(unsigned k) const;

 private:
  const char* text_;
  unsigned length_;
  unsigned commas_;
  unsigned fields_;
  std::uint16_t start_[kMaxFields];
  std::uint16_t len_[kMaxFields];
  char split_[kMaxLength + 1];  // the text with every field terminated
};

// atoi over a NUL-terminated text. A number beyond the range of int (which
// atoi leaves undefined) saturates at INT_MIN or INT_MAX.
int NmeaAtoi(const char* text);
// atof over a NUL-terminated text. Plain decimals of up to 15 digits take an
// exact fast path (the same correctly rounded value strtod gives); anything
// else goes to strtod.
double NmeaAtof(const char* text);
// The same over the first `n` characters of `text` (at most 15; fewer when
// the text ends earlier), for fixed-width parts of a field such as the hour
// of a time or the degrees of a latitude.
int NmeaAtoiN(const char* text, unsigned n);
double NmeaAtofN(const char* text, unsigned n);

}  // namespace KsParse
}  // namespace Kestrel
