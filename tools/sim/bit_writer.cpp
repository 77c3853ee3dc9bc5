#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

void BitWriter::Put(std::uint64_t value, unsigned width) {
  for (unsigned i = width; i-- > 0;) {
    if (bits_ % 8 == 0) bytes_.push_back(0);
    if ((value >> i) & 1u) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> (bits_ % 8));
    ++bits_;
  }
}

void BitWriter::PutBytes(const void* data, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < count; ++i) Put(p[i], 8);
}

void BitWriter::AlignToByte() {
  while (bits_ % 8 != 0) Put(0, 1);
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
