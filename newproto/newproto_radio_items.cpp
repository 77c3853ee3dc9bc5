// The radio group of the new-protocol decoder (items 0x0702..0x07FD).
#include <cstring>

#include "newproto/newproto_board_data.h"
#include "newproto/newproto_wire.h"

namespace Kestrel {
namespace KsParse {

using NewProto::F32;
using NewProto::U16;
using NewProto::U32;

namespace {

constexpr unsigned kChannelBytes = 5;
constexpr unsigned kChannelHead = 12;

}  // namespace

bool NewProtoBoardData::StoreChannelLists(const unsigned char* p, unsigned length) {
  if (length < kChannelHead) return false;
  const std::uint64_t counts[3] = {U32(p), U32(p + 4), U32(p + 8)};
  const std::uint64_t total = counts[0] + counts[1] + counts[2];
  // More channels than the store holds cannot come from one packet; such an
  // item (only possible when handed in directly) is refused like a wrong length.
  if (total > kChannelCapacity || length != kChannelHead + kChannelBytes * total) return false;
  const unsigned char* e = p + kChannelHead;
  for (unsigned i = 0; i < total; ++i, e += kChannelBytes) channel_pool[i] = {F32(e), e[4]};
  for (unsigned i = 0; i < 3; ++i) channel_count[i] = static_cast<std::uint32_t>(counts[i]);
  return true;
}

bool NewProtoBoardData::DecodeRadio(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x0703:
      if (length != 4) return false;
      radio_frequency = F32(p);
      return Took(0x1);
    case 0x0704:
      if (length != 4) return false;
      radio_power = U32(p);
      return Took(0x2);
    case 0x0709:
      if (length != 4) return false;
      radio_stepper = U32(p);
      return Took(0x4);
    case 0x070B:
      if (length != 4) return false;
      radio_air_baud = U32(p);
      return Took(0x8);
    case 0x070C:
      if (length != 2) return false;
      radio_protocol = U16(p);
      return Took(0x10);
    case 0x070D:
      if (length != 26) return false;
      radio_info = {U16(p), U16(p + 2), U32(p + 4), U32(p + 8), U16(p + 12), U32(p + 14), U32(p + 18), U32(p + 22)};
      return Took(0x20);
    case 0x0710:
      if (length != 1) return false;
      radio_auto_power_on = p[0];
      return Took(0x40);
    case 0x0711:
      if (length != 2) return false;
      radio_module_type = U16(p);
      return Took(0x80);
    case 0x0712:
      if (length != 2) return false;
      radio_power_status = U16(p);
      return Took(0x100);
    case 0x0713:
      if (length != 40) return false;
      for (unsigned i = 0; i < 10; ++i) radio_channels.channel[i] = F32(p + 4 * i);
      return Took(0x40000);
    case 0x0714:
      if (length != 26) return false;
      radio_property.first = U32(p);
      radio_property.second = p[4];
      radio_property.third = p[5];
      radio_property.fourth = U32(p + 6);
      std::memcpy(radio_property.text, p + 10, sizeof radio_property.text);
      return Took(0x100000);
    case 0x0715:
      if (!StoreChannelLists(p, length)) return false;
      return Took(0x80000);
    case 0x0716:
      if (length != 1) return false;
      radio_sensitivity = p[0];
      return Took(0x200000);
    case 0x0717:
      if (length != 1) return false;
      radio_fec = p[0];
      return Took(0x400000);
    case 0x0718:
      if (length != 19) return false;
      radio_callsign.mode = p[0];
      radio_callsign.interval = p[1];
      std::memcpy(radio_callsign.callsign, p + 2, sizeof radio_callsign.callsign);
      return Took(0x800000);
    default:
      return false;
  }
}

}  // namespace KsParse
}  // namespace Kestrel
