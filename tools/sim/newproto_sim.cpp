#include "tools/sim/newproto_sim.h"

#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Sim {

ItemValue& ItemValue::F32(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return Put(bits, 32);
}

ItemValue& ItemValue::F64(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return Put(bits, 64);
}

ItemValue& ItemValue::Text(const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) Put(i < text.size() ? static_cast<unsigned char>(text[i]) : 0, 8);
  return *this;
}

Bytes NewProtoPacket(std::uint16_t code, const std::vector<NewProtoItem>& items, std::uint32_t tag) {
  BitWriter payload;
  payload.Put(0x0001, 16);
  payload.Put(2, 16);
  payload.Put(code, 16);
  for (const NewProtoItem& item : items) {
    payload.Put(item.id, 16);
    payload.Put(item.value.size(), 16);
    payload.PutBytes(item.value.data(), item.value.size());
  }
  BitWriter packet;
  packet.Put(0x0411, 16);
  packet.Put(0, 8);
  packet.Put(tag, 32);
  packet.Put(1, 32);
  packet.Put(payload.Bytes().size(), 16);
  packet.PutBytes(payload.Bytes().data(), payload.Bytes().size());
  packet.Put(0, 32);
  packet.Put(0x0924, 16);
  return packet.Bytes();
}

Bytes TransportFrame(std::uint8_t stream, std::uint8_t sequence, const Bytes& chunk) {
  // Built in one reserved buffer: GCC 12 at -O3 misreads an insert after a
  // five-byte initializer list as an out-of-bounds copy.
  Bytes frame;
  frame.reserve(chunk.size() + 7);
  for (std::uint8_t b : {std::uint8_t{'$'}, std::uint8_t{'$'}, stream, sequence, static_cast<std::uint8_t>(chunk.size())})
    frame.push_back(b);
  frame.insert(frame.end(), chunk.begin(), chunk.end());
  frame.push_back(0x0D);
  frame.push_back(0x0A);
  return frame;
}

Bytes NewProtoLink::Frames(const Bytes& packets, std::size_t chunk) {
  Bytes out;
  if (chunk == 0) return out;
  for (std::size_t pos = 0; pos < packets.size(); pos += chunk) {
    const std::size_t n = packets.size() - pos < chunk ? packets.size() - pos : chunk;
    const Bytes frame = TransportFrame(stream, sequence, Bytes(packets.begin() + pos, packets.begin() + pos + n));
    out.insert(out.end(), frame.begin(), frame.end());
    sequence = static_cast<std::uint8_t>((sequence + 1) % 251);
  }
  return out;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
