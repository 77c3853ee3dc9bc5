// Shared records and enumerations that cross the library's interface.
//
// Every record here is packed and little-endian; its size is part of the
// exported interface and is checked at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {

// Who made the receiver. Any value other than 1 is served like 2.
enum GNSS_MANUFACTURER : std::int32_t {
  GNSS_MNFCTR_NONE = 0,       // reported by Get_Mnfctr when no engine exists
  GNSS_MNFCTR_OEM_BOARD = 1,  // another maker's main board, spoken to in its own language
  GNSS_MNFCTR_NORVIK = 2,     // the maker's own receivers
};

// The GNSS main board inside the receiver.
enum MAINBD_OEM_TYPE : std::int32_t {
  OEM_NONE = 0,            // no board adapter
  OEM_TRIMBLE = 1,
  OEM_NOVATEL = 2,
  OEM_SOFT_RECEIVER = 3,   // software receiver behind a COM server
  OEM_HEMISPHERE = 4,
  OEM_NMEA_FIRST = 5,      // NMEA-only board, first kind (GP/GL talkers)
  OEM_NMEA_SECOND = 6,     // NMEA-only board, second kind (GP/GL/GN/BD talkers)
  OEM_HEMISPHERE2 = 7,     // Hemisphere, second generation
  OEM_NORVIK_NEWPROTO = 8, // the maker's new-protocol board
};

// Kind of the message that the last parse step decoded.
enum Msg_Type : std::int32_t {
  MSG_NONE = 0,           // nothing decoded; never reaches a callback
  MSG_GNSS = 1,           // board navigation data; value = change flags
  MSG_DEVICE = 2,         // legacy receiver (device) record
  MSG_NV_GNSS = 3,        // new protocol: GNSS family replies
  MSG_NV_SYSTEM = 4,      // new protocol: port routing, system, file recording
  MSG_NV_WIFI_MODEM = 5,  // new protocol: Wi-Fi and modem
  MSG_NV_RADIO_LINK = 6,  // new protocol: radio, network link, data link
  MSG_NV_NMEA = 7,        // new protocol: NMEA sentence decoded by its board
  MSG_DEVICE_FILE = 8,    // legacy FM/FW/FT/FJ/FK frames and radio lists
};

// Channel through which the receiver is reached; chooses the channel nibble
// of legacy command frames.
enum Com_Status : std::int32_t {
  COM_STATUS_DIRECT = 1,
  COM_STATUS_RELAYED = 2,
};

// Output rate requested from a receiver.
enum GNSS_FRQ : std::int32_t {
  GNSS_FRQ_STOP = 0,
  GNSS_FRQ_10HZ = 1,
  GNSS_FRQ_5HZ = 2,
  GNSS_FRQ_1HZ = 3,
  GNSS_FRQ_0_5HZ = 4,   // every 2 s
  GNSS_FRQ_0_2HZ = 5,   // every 5 s
  GNSS_FRQ_0_1HZ = 6,   // every 10 s
  GNSS_FRQ_2HZ = 11,
  GNSS_FRQ_20HZ = 13,   // NMEA logs only
  GNSS_FRQ_ONCHANGE = 255,
};

#pragma pack(push, 1)

// One command packet, ready to be written to the receiver.
struct _STR_CMD {
  unsigned char buf[512];  // packet bytes; the rest is zero
  std::uint32_t wait;      // pacing value chosen by the builder; never read by the library
  std::uint32_t len;       // valid bytes in buf (at most 512)
};

// One NMEA output request: message mask bits (0x1 GGA, 0x2 GLL, 0x10 GSA,
// 0x20 GST, 0x40 GSV, 0x100 RMC, 0x200 VTG, 0x400 ZDA, 0x800 ALM, 0x1000 RMB,
// 0x2000 GRS) and the rate.
struct _set_nmea {
  std::uint32_t mask;
  std::uint32_t frq;  // a GNSS_FRQ value
};

#pragma pack(pop)

static_assert(sizeof(_STR_CMD) == 520, "_STR_CMD is 520 bytes");
static_assert(offsetof(_STR_CMD, wait) == 512, "_STR_CMD.wait at 512");
static_assert(offsetof(_STR_CMD, len) == 516, "_STR_CMD.len at 516");
static_assert(sizeof(_set_nmea) == 8, "_set_nmea is 8 bytes");

using CommandList = std::vector<_STR_CMD>;

// Callbacks into the application. Either pointer may be null.
struct _CALLBACKS_RECEIVER {
  void (*on_message)(Msg_Type kind, unsigned int value, const void* user_context);
  void (*on_oem_changed)(bool flag, const void* user_context);
};

}  // namespace KsParse
}  // namespace Kestrel
