#include "legacy/point_record.h"

#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Legacy {
namespace {

constexpr unsigned int kBody = 41;  // offset of the kind-specific body

void PutU32(unsigned char* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

void PutHead(unsigned char* out, PointKind kind, const PointInfoHead& head) {
  out[4] = static_cast<unsigned char>(kind);
  PutU32(out + 5, head.number);
  // Doubles travel in memory order, which is little-endian IEEE 754 on every
  // platform the library builds for.
  std::memcpy(out + 9, head.values, sizeof head.values);
}

unsigned int Cut(std::uint8_t length, std::size_t field) {
  return length < field ? length : static_cast<unsigned int>(field);
}

}  // namespace

int BuildPointRecord(PointKind kind, const void* info, unsigned char* out) {
  if (info == nullptr || out == nullptr) return -1;
  out[0] = 0x01;
  out[1] = 0x0B;
  out[2] = 0xF4;
  unsigned int end = 4;  // one past the body
  switch (kind) {
    case PointKind::kStart: {
      StartPointInfo p;
      std::memcpy(&p, info, sizeof p);
      PutHead(out, kind, p.head);
      const unsigned int name = Cut(p.name_length, sizeof p.name);
      const unsigned int text = Cut(p.text_length, sizeof p.text);
      out[kBody] = static_cast<unsigned char>(name);
      std::memcpy(out + kBody + 1, p.name, name);
      std::memcpy(out + kBody + 1 + name, p.text, text);  // its length byte is not sent
      end = kBody + 1 + name + text;
      out[end++] = 0x00;
      break;
    }
    case PointKind::kEnd: {
      EndPointInfo p;
      std::memcpy(&p, info, sizeof p);
      PutHead(out, kind, p.head);
      PutU32(out + kBody, p.value);
      end = kBody + 4;
      break;
    }
    case PointKind::kAntenna: {
      AntPointInfo p;
      std::memcpy(&p, info, sizeof p);
      PutHead(out, kind, p.head);
      out[kBody] = p.byte_value;
      PutU32(out + kBody + 1, p.value);
      std::memset(out + kBody + 5, 0, 12);
      end = kBody + 17;
      break;
    }
  }
  out[3] = static_cast<unsigned char>(end - 4);
  unsigned int sum = 0;
  for (unsigned int i = 0; i < end; ++i) sum += out[i];
  out[end] = static_cast<unsigned char>(sum);
  out[end + 1] = static_cast<unsigned char>(sum >> 8);
  return static_cast<int>(end + 2);
}

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
