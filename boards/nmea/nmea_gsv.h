// Filling a satellite table from GSV sentences, shared by the three GSV
// handlers of the NMEA decoder and available to board decoders that replace
// them with their own final step.
#pragma once

#include "boards/board_decoder.h"
#include "boards/nmea/nmea_sentence.h"

namespace Kestrel {
namespace KsParse {

enum class GsvStep {
  kIgnored,  // too few fields, or a GLONASS sentence with a foreign first satellite
  kPart,     // a message before the last one of its group
  kLast,     // the last message of its group (message number >= total)
};

// Applies one GSV sentence to `table`: message 1 clears it, every message
// sets the count to the satellites in view (bounded to 0..32) and fills its
// four records. With `glonass_numbers` the first satellite number must lie in
// 65..96 or nothing is filled. Counts and message numbers of any size stay
// inside the 32 records.
GsvStep FillGsvTable(SatTable& table, const NmeaSentence& s, bool glonass_numbers);

// Sets `status` of the table's first `count` records: 1 when the satellite
// is usable (elevation above 13 degrees, SNR above 30 dB-Hz and a non-zero
// azimuth), else 0.
void MarkUsable(SatTable& table);

}  // namespace KsParse
}  // namespace Kestrel
