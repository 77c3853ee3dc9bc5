// Records of the GPRS modem built into the maker's older receivers.
//
// All records are packed and little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrel {
namespace KsParse {

// Values the receiver defines; the commands send their low byte.
enum Protocol_Net : std::int32_t { PROTOCOL_NET_TCP = 0, PROTOCOL_NET_UDP = 1 };
enum Gprs_Modle : std::int32_t { GPRS_MODLE_0 = 0, GPRS_MODLE_1 = 1, GPRS_MODLE_2 = 2 };
enum Rdo_Mdl : std::int32_t { RDO_MDL_0 = 0, RDO_MDL_1 = 1, RDO_MDL_2 = 2 };
enum Radio_Power : std::int32_t { RADIO_POWER_LOW = 0, RADIO_POWER_MEDIUM = 1, RADIO_POWER_HIGH = 2 };
enum Radio_Baudrate : std::int32_t { RADIO_BAUD_0 = 0, RADIO_BAUD_1 = 1, RADIO_BAUD_2 = 2 };
enum Rdo_Sensitv : std::int32_t { RDO_SENSITIVITY_1 = 1, RDO_SENSITIVITY_2 = 2 };
enum Rdo_Channel_Type : std::int32_t { RDO_CHANNEL_TYPE_0 = 0, RDO_CHANNEL_TYPE_1 = 1 };
// Channel spacing of radio type 8: code 1 is 20 kHz, every other 12.5 kHz.
enum Channel_Space : std::int32_t { CHANNEL_SPACE_12_5 = 0, CHANNEL_SPACE_20 = 1, CHANNEL_SPACE_2 = 2 };

#pragma pack(push, 1)

// Caster credentials: three NUL-terminated texts.
struct cors_info {
  char mount_point[20];
  char user[50];
  char password[20];
};

// The caster a modem connects to: an address, or a host name (newer modem).
struct IP_ADRES {
  std::uint8_t address[4];
  std::uint32_t host_length;
  char host[32];
};

// Four NUL-terminated texts for the modem's service settings.
struct SvcInfo {
  char text1[55];
  char text2[55];
  char text3[55];
  char text4[55];
};

struct Radio_Callsign {
  std::uint32_t enabled;
  std::uint32_t interval;
  char callsign[14];
  std::uint8_t length;  // at most 14
};

// The frequency range of the radio module.
struct Radio_Range {
  double highest_mhz;
  double lowest_mhz;
  double spacing_khz;
};

// Range and capability words of the radio module.
struct Radio_Info {
  double highest_mhz;
  double lowest_mhz;
  double spacing_khz;
  std::uint32_t type;
  std::uint32_t new_radio;
  std::uint32_t word_a;
  std::uint32_t word_b;
  std::uint32_t word_c;
  std::uint32_t word_d;
};

// What the modem reported about its connection, and its capabilities.
struct WirelessInfo {
  std::uint32_t server_address;  // older modem
  char host[33];                 // newer modem, NUL-terminated
  std::uint16_t server_port;
  std::int32_t link;             // 3, 1, 0, 2, or -1 unknown
  char text1[55];
  char text2[55];
  std::uint8_t switch_byte;
  char text3[55];
  char pair_first[55];
  char pair_second[55];
  double version;
  std::uint32_t capability;
  std::uint8_t capability_byte;
};

#pragma pack(pop)

static_assert(sizeof(IP_ADRES) == 40, "IP_ADRES is 40 bytes");
static_assert(sizeof(SvcInfo) == 220, "SvcInfo is 220 bytes");
static_assert(offsetof(Radio_Callsign, length) == 22, "Radio_Callsign.length at 22");
static_assert(sizeof(Radio_Range) == 24, "Radio_Range is 24 bytes");
static_assert(sizeof(Radio_Info) == 48, "Radio_Info is 48 bytes");
static_assert(sizeof(cors_info) == 90, "cors_info is 90 bytes");
static_assert(offsetof(cors_info, user) == 20, "cors_info.user at 20");
static_assert(offsetof(cors_info, password) == 70, "cors_info.password at 70");

}  // namespace KsParse
}  // namespace Kestrel
