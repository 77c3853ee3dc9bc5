#include "rtcm/crc24q.h"

#include <array>

namespace Kestrel {
namespace KsParse {
namespace Rtcm {
namespace {

constexpr std::uint32_t kPolynomial = 0x1864CFBu;

// Entry i is the CRC register after shifting the byte i through it: i placed
// in bits 16-23, then eight single-bit steps that XOR the polynomial in
// whenever bit 24 comes up.
constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i << 16;
    for (int bit = 0; bit < 8; ++bit) {
      crc <<= 1;
      if (crc & 0x1000000u) crc ^= kPolynomial;
    }
    table[i] = crc & 0xFFFFFFu;
  }
  return table;
}

// Built by the compiler: nothing to initialise at run time, so any thread
// may check frames at any moment.
constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

static_assert(kTable[1] == 0x864CFBu, "table entry 1 is the polynomial without bit 24");

}  // namespace

std::uint32_t Crc24q(const unsigned char* data, unsigned int count) {
  std::uint32_t crc = 0;
  for (unsigned int i = 0; i < count; ++i) {
    crc = ((crc << 8) & 0xFFFFFFu) ^ kTable[((crc >> 16) ^ data[i]) & 0xFFu];
  }
  return crc;
}

bool CheckCrc24q(const unsigned char* data, int count, std::uint32_t expected) {
  if (count < 1) return expected == 0;
  return Crc24q(data, static_cast<unsigned int>(count)) == expected;
}

}  // namespace Rtcm
}  // namespace KsParse
}  // namespace Kestrel
