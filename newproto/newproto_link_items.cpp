// The connection groups of the new-protocol decoder: Wi-Fi (0x0A), file
// recording (0x0B), network link (0x11) and modem (0x14).
#include <cstring>

#include "newproto/newproto_board_data.h"
#include "newproto/newproto_wire.h"

namespace Kestrel {
namespace KsParse {

using NewProto::U16;
using NewProto::U32;

bool NewProtoBoardData::DecodeWifi(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x0A03:
      if (length != 42) return false;
      std::memcpy(wifi_ap.name, p, 20);
      wifi_ap.security = U16(p + 20);
      std::memcpy(wifi_ap.password, p + 22, 20);
      return Took(0x4);
    case 0x0A04:
      if (length != 2) return false;
      wifi_mode = U16(p);
      return Took(0x2);
    case 0x0A07:
      if (length != 1) return false;
      wifi_auto_open = p[0];
      return Took(0x1);
    case 0x0A08:
      if (length != 2) return false;
      wifi_power_status = U16(p);
      return Took(0x8);
    case 0x0A09:
      if (length != 1) return false;
      wifi_share = p[0];
      return Took(0x800);
    case 0x0A0A:
      if (length != 1) return false;
      wifi_share_auto = p[0];
      return Took(0x1000);
    default:
      return false;
  }
}

bool NewProtoBoardData::DecodeFileRecord(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x0B05:
      if (length != 1) return false;
      file_auto_open = p[0];
      return Took(0x20);
    case 0x0B06: {
      if (length != 43) return false;
      NV_FILE_RECORD_CONFIG_STRUCT& c = file_config;
      std::memcpy(c.name, p, 20);
      c.mode = p[20];
      c.value1 = U32(p + 21);
      c.value2 = U32(p + 25);
      c.value3 = U32(p + 29);
      c.flag1 = p[33];
      c.flag2 = p[34];
      c.flag3 = p[35];
      c.interval = U16(p + 36);
      c.flag4 = p[38];
      c.value4 = U32(p + 39);
      return Took(0x10);
    }
    case 0x0B07:
      if (length != 2) return false;
      file_status = U16(p);
      return Took(0x40);
    default:
      return false;
  }
}

bool NewProtoBoardData::DecodeNetLink(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x1102:
      if (length != 4) return false;
      netlink_1102 = U32(p);
      return Took(0x200);
    case 0x1103:
      if (length != 57) return false;
      netlink_address.address = U32(p);
      netlink_address.port = U16(p + 4);
      netlink_address.kind = p[6];
      std::memcpy(netlink_address.host, p + 7, 50);
      return Took(0x400);
    case 0x1104:
      if (length != 2) return false;
      netlink_server_type = U16(p);
      return Took(0x800);
    case 0x1105:
      if (length != 8) return false;
      netlink_status = {U16(p), U32(p + 2), U16(p + 6)};
      return Took(0x1000);
    case 0x1106: {
      if (length < 5) return false;
      // The count the receiver announces, bounded by the store and by the
      // bytes the item really carries; the stored length is what was copied.
      std::uint32_t n = U32(p);
      if (n > kSourceListSize) n = kSourceListSize;
      if (n > length - 4) n = length - 4;
      std::memcpy(source_list, p + 4, n);
      source_list_length = n;
      return Took(0x2000);
    }
    case 0x1109:
      if (length != 1) return false;
      netlink_auto_open = p[0];
      return Took(0x4000);
    case 0x110A:
      if (length != 20) return false;
      std::memcpy(netlink_source.source, p, 20);
      return Took(0x8000);
    case 0x110B:
      if (length != 70) return false;
      std::memcpy(netlink_account.user, p, 50);
      std::memcpy(netlink_account.password, p + 50, 20);
      return Took(0x10000);
    default:
      return false;
  }
}

bool NewProtoBoardData::DecodeModem(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x1403:
      if (length != 100) return false;
      std::memcpy(modem_dial.field, p, 100);
      return Took(0x10);
    case 0x1404:
      if (length != 8) return false;
      modem_dial_status = {U16(p), U32(p + 2), U16(p + 6)};
      return Took(0x20);
    case 0x1409:
      if (length != 1) return false;
      modem_auto_dial = p[0];
      return Took(0x40);
    case 0x140A:
      if (length != 1) return false;
      modem_auto_power_on = p[0];
      return Took(0x80);
    case 0x140B:
      if (length != 2) return false;
      modem_power_status = U16(p);
      return Took(0x100);
    case 0x140C:
      if (length != 5) return false;
      modem_signal = {U32(p), p[4]};
      return Took(0x200);
    case 0x140D:
      if (length != 2) return false;
      modem_band_mode = U16(p);
      return Took(0x400);
    default:
      return false;
  }
}

}  // namespace KsParse
}  // namespace Kestrel
