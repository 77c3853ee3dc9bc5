// The sentence-code table of the NMEA decoder (the five identifier
// characters after '$' to the sentence code that the rest of the system
// uses), and the body check of the NMEA frame step, which an engine that
// has the sentence at hand may run itself instead.
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {

// The body of a sentence from index 1 up to its first end ('*', CR, LF) or
// foreign byte (outside printable ASCII, or '$'): `stop` is its index, or
// `length` when there is none, and `folded` the exclusive-or of the bytes
// before it. data[0 .. length + 15] must be readable: the body is read
// sixteen bytes at a time (the bytes past the length are not used).
struct NmeaBody {
  std::uint32_t stop;
  unsigned char folded;
  bool foreign;  // the body stops at a foreign byte
};
NmeaBody ScanNmeaBody(const unsigned char* data, std::uint32_t length);

// Whether the two characters at `hex` are hexadecimal digits (either case)
// that spell `folded`.
bool NmeaCheckMatches(const unsigned char* hex, unsigned char folded);

// `identifier` points at the characters after '$'; `available` says how many
// of them may be read. Returns an NmeaCode value, NmeaCode::kUnknown (-1) for
// identifiers outside the table or shorter than five characters.
int NmeaSentenceCode(const unsigned char* identifier, unsigned available);

class BoardAdapter;
// The decoding half of the NMEA frame step: the sentence in text[0..length)
// (at most 300 bytes, whose body and check value have passed) goes to the
// adapter's decoder under its sentence code. Always true, as the frame step
// reports a sentence it decoded.
bool DecodeCheckedNmea(BoardAdapter& adapter, const unsigned char* text, std::uint32_t length);

}  // namespace KsParse
}  // namespace Kestrel
