// One NMEA sentence split into its comma-separated fields, without any heap
// allocation: the text is copied into a fixed buffer and each field is
// terminated in place.
//
// Field 0 is the address ("$GPGGA"), field k the text after the k-th comma.
// A field ends at the next comma, at '*', at CR or LF, or at the end of the
// text, so the checksum and the line end never leak into a value. Numbers
// follow atoi/atof: the leading number counts, the rest is ignored, an empty
// field reads as 0.
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {

class NmeaSentence {
 public:
  static constexpr unsigned kMaxLength = 300;
  // More fields than any handled sentence has; commas beyond it are ignored.
  static constexpr unsigned kMaxFields = 40;

  NmeaSentence() = default;
  NmeaSentence(const char* text, unsigned length) { Assign(text, length); }

  // Copies at most kMaxLength bytes of the text and splits it.
  void Assign(const char* text, unsigned length);

  const char* Text() const { return raw_; }
  unsigned Length() const { return length_; }
  // Number of commas in the text (up to the end, whatever the field limit).
  unsigned CommaCount() const { return commas_; }
  // Fields that exist (commas + 1, bounded by kMaxFields).
  unsigned FieldCount() const { return fields_; }

  // The field's text, NUL-terminated; "" for a field that does not exist.
  const char* Field(unsigned k) const;
  unsigned FieldLength(unsigned k) const;
  bool Empty(unsigned k) const { return FieldLength(k) == 0; }
  int Int(unsigned k) const;
  double Double(unsigned k) const;

 private:
  char raw_[kMaxLength + 1] = {};    // the sentence as received
  char split_[kMaxLength + 1] = {};  // the same with every field terminated
  std::uint16_t start_[kMaxFields] = {};
  std::uint16_t len_[kMaxFields] = {};
  unsigned length_ = 0;
  unsigned commas_ = 0;
  unsigned fields_ = 0;
};

}  // namespace KsParse
}  // namespace Kestrel
