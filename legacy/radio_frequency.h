// The channel value a radio module takes for a frequency: the frequency is
// rounded to the radio's step (0.4 kHz up), kept within the radio's range,
// and counted in steps (from the range's bottom for radio kinds 1 and 2).
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {
namespace Legacy {

// False for a radio kind outside 1 to 10. Radio kind 8 counts in
// `kind8_step_khz`, the channel spacing chosen for it.
bool RadioFrequencyCode(int kind, double mhz, double kind8_step_khz, std::uint16_t* value);

// The step of kind 8 for a channel-spacing code: 1 is 20 kHz, every other
// code 12.5 kHz.
double Kind8Step(std::int32_t channel_space);

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
