// Most-significant-bit-first bit packer for building binary test frames and
// simulated receiver output (RTCM 3 messages, packed observation records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Sim {

class BitWriter {
 public:
  // Appends the low `width` bits (1..64) of `value`, most significant first.
  void Put(std::uint64_t value, unsigned width);
  // Appends a signed value in two's complement of `width` bits.
  void PutSigned(std::int64_t value, unsigned width) {
    Put(static_cast<std::uint64_t>(value), width);
  }
  void PutBytes(const void* data, std::size_t count);
  // Pads with zero bits up to the next byte boundary.
  void AlignToByte();

  std::size_t BitCount() const { return bits_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t bits_ = 0;
};

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
