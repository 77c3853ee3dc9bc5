// Source and target datum names of messages 1021 and 1022: a 5-bit length N
// at frame bit 36, N name bytes, a 5-bit length M, M name bytes.
#pragma once

#include <cstdint>

#include "rtcm/bit_field.h"

namespace Kestrel {
namespace KsParse {
namespace Rtcm {

// Sets `end` to the frame bit after the target name (46 + 8 (N + M)). False,
// with nothing read past the frame, when the frame ends before either length.
inline bool DatumNamesEnd(const unsigned char* data, unsigned int length, std::uint64_t& end) {
  if (data == nullptr || !FitsInFrame(length, 41)) return false;
  const std::uint64_t n = ReadUnsigned(data, 36, 5);
  if (!FitsInFrame(length, 46 + 8 * n)) return false;
  const std::uint64_t m = ReadUnsigned(data, 41 + 8 * n, 5);
  end = 46 + 8 * (n + m);
  return true;
}

}  // namespace Rtcm
}  // namespace KsParse
}  // namespace Kestrel
