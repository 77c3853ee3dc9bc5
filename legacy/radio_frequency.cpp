#include "legacy/radio_frequency.h"

#include "legacy/radio_table.h"

namespace Kestrel {
namespace KsParse {
namespace Legacy {

bool RadioFrequencyCode(int kind, double mhz, double kind8_step_khz, std::uint16_t* value) {
  RadioLimits limits;
  if (!RadioLimitsOf(kind, &limits)) return false;
  const double step = kind == 8 && kind8_step_khz > 0 ? kind8_step_khz : limits.step_khz;
  // Far outside the range every frequency ends at the same limit; bringing
  // it near first keeps the step count within integer range (and NaN out).
  if (!(mhz >= limits.lowest_mhz - 1)) mhz = limits.lowest_mhz - 1;
  if (mhz > limits.highest_mhz + 1) mhz = limits.highest_mhz + 1;
  const double khz = mhz * 1000 + 0.4;
  double rounded = static_cast<double>(static_cast<std::int64_t>(khz / step)) * step * 0.001;
  if (rounded < limits.lowest_mhz) rounded = limits.lowest_mhz;
  if (rounded > limits.highest_mhz) rounded = limits.highest_mhz;
  const double steps =
      kind == 1 || kind == 2 ? (rounded - limits.lowest_mhz) * 20 + 0.00001 : rounded / step * 1000 + 0.00001;
  *value = static_cast<std::uint16_t>(static_cast<std::int64_t>(steps));
  return true;
}

double Kind8Step(std::int32_t channel_space) { return channel_space == 1 ? 20.0 : 12.5; }

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
