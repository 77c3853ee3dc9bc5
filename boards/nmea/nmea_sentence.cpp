#include "boards/nmea/nmea_sentence.h"

#include <cstdlib>
#include <cstring>

namespace Kestrel {
namespace KsParse {

void NmeaSentence::Assign(const char* text, unsigned length) {
  if (text == nullptr) length = 0;
  if (length > kMaxLength) length = kMaxLength;
  if (length != 0) std::memcpy(raw_, text, length);
  raw_[length] = '\0';
  std::memcpy(split_, raw_, length + 1);
  length_ = length;
  commas_ = 0;
  fields_ = 0;

  unsigned start = 0;
  bool ended = false;  // the current field met '*', CR or LF
  unsigned field_len = 0;
  for (unsigned i = 0; i <= length; ++i) {
    const char c = i < length ? split_[i] : ',';
    if (c == ',') {
      if (i < length) ++commas_;
      if (fields_ < kMaxFields) {
        start_[fields_] = static_cast<std::uint16_t>(start);
        len_[fields_] = static_cast<std::uint16_t>(ended ? field_len : i - start);
        ++fields_;
      }
      if (i < length) split_[i] = '\0';
      start = i + 1;
      ended = false;
    } else if (!ended && (c == '*' || c == '\r' || c == '\n' || c == '\0')) {
      ended = true;
      field_len = i - start;
      split_[i] = '\0';
    }
  }
}

const char* NmeaSentence::Field(unsigned k) const {
  static const char kEmpty[] = "";
  return k < fields_ ? split_ + start_[k] : kEmpty;
}

unsigned NmeaSentence::FieldLength(unsigned k) const { return k < fields_ ? len_[k] : 0; }

int NmeaSentence::Int(unsigned k) const { return std::atoi(Field(k)); }

double NmeaSentence::Double(unsigned k) const { return std::atof(Field(k)); }

}  // namespace KsParse
}  // namespace Kestrel
