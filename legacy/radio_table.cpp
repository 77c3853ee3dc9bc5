#include "legacy/radio_table.h"

namespace Kestrel {
namespace KsParse {
namespace Legacy {

namespace {

constexpr RadioLimits kWide450 = {450.0, 470.0, 12.5, 0.0125};

// Index: radio kind - 1.
constexpr RadioLimits kLimits[10] = {
    {455.0, 467.0, 50.0, 0.05},     // 1
    {410.0, 430.0, 50.0, 0.05},     // 2
    kWide450,                       // 3
    {410.0, 430.0, 12.5, 0.0125},   // 4
    {430.0, 450.0, 12.5, 0.0125},   // 5
    kWide450,                       // 6
    {455.0, 463.0, 12.5, 0.0125},   // 7
    {403.0, 473.0, 12.5, 0.0125},   // 8
    {455.0, 463.0, 12.5, 0.0125},   // 9
    kWide450,                       // 10
};

}  // namespace

bool RadioLimitsOf(int kind, RadioLimits* out) {
  if (kind < 1 || kind > 10 || out == nullptr) return false;
  *out = kLimits[kind - 1];
  return true;
}

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
