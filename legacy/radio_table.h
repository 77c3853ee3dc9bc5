// Frequency limits of the receivers' UHF radio modules by radio kind (1 to
// 10). The radio decoders turn channel numbers into frequencies with them and
// the radio commands turn frequencies back into channel numbers.
#pragma once

namespace Kestrel {
namespace KsParse {
namespace Legacy {

struct RadioLimits {
  double lowest_mhz;
  double highest_mhz;
  double step_khz;
  double step_mhz;
};

// The limits of radio kind `kind`; false (and `out` untouched) for a kind
// outside 1 to 10.
bool RadioLimitsOf(int kind, RadioLimits* out);

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
