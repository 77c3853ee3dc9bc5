// CRC-24Q of RTCM 3 frames (polynomial 0x1864CFB, initial value 0, most
// significant bit first, no final inversion).
#pragma once

#include <cstdint>

namespace Kestrel {
namespace KsParse {
namespace Rtcm {

// CRC-24Q of `count` bytes; 0 for no bytes.
std::uint32_t Crc24q(const unsigned char* data, unsigned int count);

// Whether the CRC-24Q of `count` bytes equals `expected`. A count below 1
// holds no bytes, so it matches only an expected value of 0.
bool CheckCrc24q(const unsigned char* data, int count, std::uint32_t expected);

}  // namespace Rtcm
}  // namespace KsParse
}  // namespace Kestrel
