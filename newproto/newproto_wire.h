// Big-endian field readers for new-protocol packets and items.
#pragma once

#include <cstdint>
#include <cstring>

#include "boards/gnss_utils.h"

namespace Kestrel {
namespace KsParse {
namespace NewProto {

inline std::uint16_t U16(const unsigned char* p) { return Gnss::ReadBe16U(p); }
inline std::uint32_t U32(const unsigned char* p) { return static_cast<std::uint32_t>(Gnss::ReadBe32(p)); }
inline double F64(const unsigned char* p) { return Gnss::ReadBe64(p); }
// A 4-byte value that the receiver sends as an IEEE-754 single.
inline float F32(const unsigned char* p) {
  const std::uint32_t bits = U32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

}  // namespace NewProto
}  // namespace KsParse
}  // namespace Kestrel
