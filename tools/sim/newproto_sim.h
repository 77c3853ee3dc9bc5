// Simulated output of a new-protocol receiver: items with hand-made values
// (any length, so that wrong lengths can be sent too), packets of items and
// the "$$" transport frames that carry them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

using Bytes = std::vector<std::uint8_t>;

// A big-endian item value built field by field.
class ItemValue {
 public:
  ItemValue& U8(std::uint32_t v) { return Put(v, 8); }
  ItemValue& U16(std::uint32_t v) { return Put(v, 16); }
  ItemValue& U32(std::uint32_t v) { return Put(v, 32); }
  ItemValue& F32(float v);
  ItemValue& F64(double v);
  // `width` bytes: the text, then zero bytes.
  ItemValue& Text(const std::string& text, std::size_t width);
  const Bytes& bytes() const { return w_.Bytes(); }

 private:
  ItemValue& Put(std::uint64_t v, unsigned bits) {
    w_.Put(v, bits);
    return *this;
  }
  BitWriter w_;
};

struct NewProtoItem {
  std::uint16_t id;
  Bytes value;
};

// A packet: item 0x0001 = `code`, then `items`, with the payload length they
// make; check field zero.
Bytes NewProtoPacket(std::uint16_t code, const std::vector<NewProtoItem>& items, std::uint32_t tag = 0);

// One transport frame around `chunk` (at most 255 bytes; the length byte
// is the chunk's size, so oversized chunks can be sent on purpose).
Bytes TransportFrame(std::uint8_t stream, std::uint8_t sequence, const Bytes& chunk);

// A receiver's transport sender: cuts byte streams into frames of at most
// `chunk` bytes, numbered on from `sequence` modulo 251.
struct NewProtoLink {
  std::uint8_t stream = 0x01;
  std::uint8_t sequence = 0;
  Bytes Frames(const Bytes& packets, std::size_t chunk = 250);
};

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
