// The sentence-code table of the NMEA decoder: the five identifier characters
// after '$' to the sentence code that the rest of the system uses.
#pragma once

namespace Kestrel {
namespace KsParse {

// `identifier` points at the characters after '$'; `available` says how many
// of them may be read. Returns an NmeaCode value, NmeaCode::kUnknown (-1) for
// identifiers outside the table or shorter than five characters.
int NmeaSentenceCode(const unsigned char* identifier, unsigned available);

}  // namespace KsParse
}  // namespace Kestrel
