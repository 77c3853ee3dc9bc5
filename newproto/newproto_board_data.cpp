// Item dispatch of the new-protocol decoder, with the small groups (replies,
// port routing, data link) and the system group.
#include "newproto/newproto_board_data.h"

#include <cstring>

#include "newproto/newproto_wire.h"

namespace Kestrel {
namespace KsParse {

using NewProto::U16;
using NewProto::U32;

namespace {

// True when `id` lies in group `group` (ids 0xgg02..0xggFD).
bool InGroup(unsigned id, unsigned group) {
  return (id >> 8) == group && (id & 0xFF) >= 0x02 && (id & 0xFF) <= 0xFD;
}

// Copies `n` wire bytes into a character field of `width` bytes, followed by
// a zero byte when there is room; the rest of the field is cleared.
void CopyText(char* field, unsigned width, const unsigned char* p, unsigned n) {
  std::memset(field, 0, width);
  std::memcpy(field, p, n < width ? n : width);
}

}  // namespace

bool NewProtoBoardData::DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) {
  msg_flags = 0;
  if (data == nullptr) return false;
  if (id == 0x0002) {
    if (length != 2) return false;
    response_status = U16(data);
    return Took(0x80000000u);
  }
  if (InGroup(id, 0x01)) {
    if (length != 2 || (id != 0x0103 && id != 0x0104)) return false;
    (id == 0x0103 ? port_0103 : port_0104) = U16(data);
    return Took(id == 0x0103 ? 0x80 : 0x100);
  }
  if (InGroup(id, 0x03)) return DecodeSystem(data, id, length);
  if (InGroup(id, 0x04)) return DecodeGnss(data, id, length);
  if (InGroup(id, 0x07)) return DecodeRadio(data, id, length);
  if (InGroup(id, 0x0A)) return DecodeWifi(data, id, length);
  if (InGroup(id, 0x0B)) return DecodeFileRecord(data, id, length);
  if (InGroup(id, 0x11)) return DecodeNetLink(data, id, length);
  if (InGroup(id, 0x14)) return DecodeModem(data, id, length);
  if (InGroup(id, 0x15)) {
    if (id == 0x1503 && length == 2) {
      datalink_mode = U16(data);
      return Took(0x20000);
    }
    // Differential data echoed by the receiver: acknowledged, not kept.
    return id == 0x1504;
  }
  return false;
}

bool NewProtoBoardData::DecodeSystem(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x0304:
      if (length != 12) return false;
      for (unsigned i = 0; i < 3; ++i) power_status.value[i] = U32(p + 4 * i);
      return Took(0x1);
    case 0x0306: {
      NV_SYSTEM_HARDWARE_INFO_STRUCT& h = hardware_info;
      if (length == 36) {
        // The short form: 7- and 13-character texts.
        h.id = U32(p);
        CopyText(h.first, sizeof h.first, p + 4, 7);
        CopyText(h.second, sizeof h.second, p + 11, 13);
        for (unsigned i = 0; i < 3; ++i) h.value[i] = U32(p + 24 + 4 * i);
        h.value[3] = 0;
      } else if (length == 64 || length == 68) {
        h.id = U32(p);
        std::memcpy(h.first, p + 4, sizeof h.first);
        std::memcpy(h.second, p + 28, sizeof h.second);
        h.first[sizeof h.first - 1] = 0;
        h.second[sizeof h.second - 1] = 0;
        for (unsigned i = 0; i < 3; ++i) h.value[i] = U32(p + 52 + 4 * i);
        h.value[3] = length == 68 ? U32(p + 64) : 0;
      } else {
        return false;
      }
      return Took(0x2);
    }
    case 0x0307:
      if (length != 100) return false;
      std::memcpy(firmware_info.first, p, 50);
      std::memcpy(firmware_info.second, p + 50, 50);
      return Took(0x4);
    case 0x0308:
      return Took(0x8);  // administration: an acknowledgement only
    default:
      return false;
  }
}

const NV_RADIO_CHANNEL_STRUCT* NewProtoBoardData::ChannelList(unsigned which, std::uint32_t* count) const {
  if (which > 2) {
    if (count != nullptr) *count = 0;
    return nullptr;
  }
  std::uint32_t start = 0;
  for (unsigned i = 0; i < which; ++i) start += channel_count[i];
  if (count != nullptr) *count = channel_count[which];
  return channel_pool + start;
}

}  // namespace KsParse
}  // namespace Kestrel
