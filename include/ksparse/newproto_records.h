// Records exchanged with the application for receivers of the maker's new
// binary protocol: the values that its replies carry and the settings that
// its commands send.
//
// Records the receiver fills are packed and little-endian. The settings
// records that a command hands to the packet encoder keep the natural
// alignment of their members (the encoder reads them at those offsets), and
// their offsets are checked below like the sizes of the packed ones. The
// fields are passed through as the receiver's firmware defines them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {

// Values filled from 16-bit reply items; the receiver's firmware defines
// their meaning, so any 16-bit value may appear.
enum NV_RESPONSE_STATUS_ENUM : std::uint16_t {};
enum NV_MODEM_POWER_STATUS_ENUM : std::uint16_t {};
enum NV_MODEM_BAND_MODE_ENUM : std::uint16_t {};
enum NV_NETLINK_SERVER_TYPE_ENUM : std::uint16_t {};
enum NV_DATALINK_MODE_ENUM : std::uint16_t {};
enum NV_RADIO_PROTOCOL_ENUM : std::uint16_t {};
enum NV_RADIO_MODULE_TYPE_ENUM : std::uint16_t {};
enum NV_RADIO_POWER_STATUS_ENUM : std::uint16_t {};
enum NV_WIFI_MODE_ENUM : std::uint16_t {};
enum NV_WIFI_POWER_STATUS_ENUM : std::uint16_t {};
enum NV_FILE_RECORD_STATUS_ENUM : std::uint16_t {};

// Values that commands send as unsigned 16-bit items, unchanged. Only the
// values the library itself uses are named; the receiver accepts others.

// Output rate of a GNSS output item.
enum NV_DATA_FRQ_ENUM : std::uint16_t {
  NV_DATA_FRQ_STOP = 1,
  NV_DATA_FRQ_ONCHANGE = 2,
  NV_DATA_FRQ_10HZ = 6,
  NV_DATA_FRQ_5HZ = 7,
  NV_DATA_FRQ_2HZ = 8,
  NV_DATA_FRQ_1HZ = 9,
  NV_DATA_FRQ_0_5HZ = 10,  // every 2 s
  NV_DATA_FRQ_0_2HZ = 11,  // every 5 s
  NV_DATA_FRQ_0_1HZ = 12,  // every 10 s
};

// The receiver port a GNSS output command applies to; 0 names none (the
// port the command arrives on).
enum NV_GNSS_IO_ID_ENUM : std::uint16_t {
  NV_GNSS_IO_ID_NONE = 0,
};

// Differential data format of a port.
enum NV_GNSS_DIFF_TYPE_ENUM : std::uint16_t {
  NV_GNSS_DIFF_CMR = 2,
  NV_GNSS_DIFF_CMR_PLUS = 3,
  NV_GNSS_DIFF_COMPACT = 4,      // the board maker's compact observations
  NV_GNSS_DIFF_RTCM2 = 5,
  NV_GNSS_DIFF_RTCM3 = 6,
  NV_GNSS_DIFF_RTCM3_MSM = 7,
  NV_GNSS_DIFF_RTCM2_MSG1 = 8,   // RTCM 2 message 1 only
  NV_GNSS_DIFF_RTCA = 9,
};

// Where the receiver routes a port's data (item 0x0108).
enum NV_COM_DIRECT_ENUM : std::uint16_t {};

// The recording a file command applies to.
enum NV_FILE_RECORD_IO_ID_ENUM : std::uint16_t {};

#pragma pack(push, 1)

struct NV_SYSTEM_POWER_STATUS_STRUCT {
  std::uint32_t value[3];
};

struct NV_SYSTEM_HARDWARE_INFO_STRUCT {
  std::uint32_t id;
  char first[24];  // NUL-terminated
  char second[24];  // NUL-terminated
  std::uint32_t value[4];
};

struct NV_SYSTEM_FIRMWARE_VERSION_STRUCT {
  char first[50];
  char second[50];
};

struct NV_MODEM_DIAL_PARA_STRUCT {
  char field[5][20];
};

struct NV_MODEM_DIAL_STATUS_STRUCT {
  std::uint16_t status;
  std::uint32_t value;
  std::uint16_t code;
};

struct NV_MODEM_SIGNAL_INTENSITY_STRUCT {
  std::uint32_t intensity;
  std::uint8_t level;
};

struct NV_IP_ADDRESS_STRUCT {
  std::uint32_t address;
  std::uint16_t port;
  std::uint8_t kind;
  char host[50];
};

struct NV_CORS_DATA_SOURCE_STRUCT {
  char source[20];
};

struct NV_ACCOUNT_STRUCT {
  char user[50];
  char password[20];
};

struct NV_NETLINK_STATUS_STRUCT {
  std::uint16_t status;
  std::uint32_t value;
  std::uint16_t code;
};

struct NV_GNSS_SATELLITE_ENABLE_STRUCT {
  std::uint32_t mask[5];
};

struct NV_DATA_CONFIG_LIST {
  std::uint16_t count;
  std::uint16_t entry[44];
};

struct NV_GNSS_DAT_MAGNETIC_STRUCT {
  std::uint8_t state;
  std::uint16_t value[6];
  std::uint8_t quality;
};

struct NV_RADIO_INFOLIST_STRUCT {
  std::uint16_t first;
  std::uint16_t second;
  std::uint32_t third;
  std::uint32_t fourth;
  std::uint16_t fifth;
  std::uint32_t sixth;
  std::uint32_t seventh;
  std::uint32_t eighth;
};

struct NV_RADIO_CHANNEL_LIST_STRUCT {
  float channel[10];
};

// One channel of the three lists of item 0x0715.
struct NV_RADIO_CHANNEL_STRUCT {
  float frequency;
  std::uint8_t value;
};

struct NV_RADIO_CALLSIGN_STRUCT {
  std::uint8_t mode;
  std::uint8_t interval;
  char callsign[17];  // the last byte is 0 on sending
};

struct NV_WIFI_PARA_AP_STRUCT {
  char name[20];
  std::uint16_t security;
  char password[20];
};

#pragma pack(pop)

// ---- settings records with natural alignment (read by the packet encoder)

struct NV_GNSS_BASE_SET_STRUCT {
  std::uint16_t mode;
  double coord[3];
};

struct NV_RADIO_PROPERTY_EX_STRUCT {
  std::uint32_t first;
  std::uint8_t second;
  std::uint8_t third;
  std::uint32_t fourth;
  char text[16];  // the last byte is always 0
};

struct NV_FILE_RECORD_CONFIG_STRUCT {
  char name[20];
  std::uint8_t mode;
  std::uint32_t value1;
  std::uint32_t value2;
  std::uint32_t value3;
  std::uint8_t flag1;
  std::uint8_t flag2;
  std::uint8_t flag3;
  std::uint16_t interval;
  std::uint8_t flag4;
  std::uint32_t value4;
};

struct NV_GSENSOR_VALID_PERIOD_STRUCT {
  std::uint8_t mode;
  std::uint16_t period;
};

// A block of bytes sent as one item (PPK data, differential data).
struct NV_BLOCK_DATA_STRUCT {
  std::uint32_t length;
  const unsigned char* data;
};

// One entry of the base-position list (item 0x0457).
struct NV_BASE_POS_ENTRY_STRUCT {
  double first;
  double second;
  std::uint32_t value;
  std::uint32_t reserved;  // not sent, not filled from replies
};

struct BASE_POS_LIST_STRUCT {
  double value;
  std::uint8_t capacity;
  std::vector<NV_BASE_POS_ENTRY_STRUCT> entries;  // at most 255 go on the wire
};

struct NV_RADIO_CHANNEL_LIST_EX_STRUCT {
  std::vector<NV_RADIO_CHANNEL_STRUCT> list[3];
};

// The output rate of one GNSS output item (its item id, 0x0403 to 0x041B).
struct DataFreq {
  std::uint16_t id;
  std::uint16_t rate;  // a NV_DATA_FRQ_ENUM value
};

static_assert(sizeof(NV_SYSTEM_POWER_STATUS_STRUCT) == 12, "NV_SYSTEM_POWER_STATUS_STRUCT is 12 bytes");
static_assert(sizeof(NV_SYSTEM_HARDWARE_INFO_STRUCT) == 68 && offsetof(NV_SYSTEM_HARDWARE_INFO_STRUCT, second) == 28 &&
                  offsetof(NV_SYSTEM_HARDWARE_INFO_STRUCT, value) == 52,
              "NV_SYSTEM_HARDWARE_INFO_STRUCT layout");
static_assert(sizeof(NV_SYSTEM_FIRMWARE_VERSION_STRUCT) == 100, "NV_SYSTEM_FIRMWARE_VERSION_STRUCT is 100 bytes");
static_assert(sizeof(NV_MODEM_DIAL_PARA_STRUCT) == 100, "NV_MODEM_DIAL_PARA_STRUCT is 100 bytes");
static_assert(sizeof(NV_MODEM_DIAL_STATUS_STRUCT) == 8 && offsetof(NV_MODEM_DIAL_STATUS_STRUCT, code) == 6,
              "NV_MODEM_DIAL_STATUS_STRUCT layout");
static_assert(sizeof(NV_MODEM_SIGNAL_INTENSITY_STRUCT) == 5, "NV_MODEM_SIGNAL_INTENSITY_STRUCT is 5 bytes");
static_assert(sizeof(NV_IP_ADDRESS_STRUCT) == 57 && offsetof(NV_IP_ADDRESS_STRUCT, port) == 4 &&
                  offsetof(NV_IP_ADDRESS_STRUCT, kind) == 6 && offsetof(NV_IP_ADDRESS_STRUCT, host) == 7,
              "NV_IP_ADDRESS_STRUCT layout");
static_assert(sizeof(NV_CORS_DATA_SOURCE_STRUCT) == 20, "NV_CORS_DATA_SOURCE_STRUCT is 20 bytes");
static_assert(sizeof(NV_ACCOUNT_STRUCT) == 70 && offsetof(NV_ACCOUNT_STRUCT, password) == 50,
              "NV_ACCOUNT_STRUCT layout");
static_assert(sizeof(NV_NETLINK_STATUS_STRUCT) == 8 && offsetof(NV_NETLINK_STATUS_STRUCT, code) == 6,
              "NV_NETLINK_STATUS_STRUCT layout");
static_assert(sizeof(NV_GNSS_SATELLITE_ENABLE_STRUCT) == 20, "NV_GNSS_SATELLITE_ENABLE_STRUCT is 20 bytes");
static_assert(sizeof(NV_DATA_CONFIG_LIST) == 90, "NV_DATA_CONFIG_LIST is 90 bytes");
static_assert(sizeof(NV_GNSS_DAT_MAGNETIC_STRUCT) == 14 && offsetof(NV_GNSS_DAT_MAGNETIC_STRUCT, quality) == 13,
              "NV_GNSS_DAT_MAGNETIC_STRUCT layout");
static_assert(sizeof(NV_RADIO_INFOLIST_STRUCT) == 26 && offsetof(NV_RADIO_INFOLIST_STRUCT, fifth) == 12 &&
                  offsetof(NV_RADIO_INFOLIST_STRUCT, eighth) == 22,
              "NV_RADIO_INFOLIST_STRUCT layout");
static_assert(sizeof(NV_RADIO_CHANNEL_LIST_STRUCT) == 40, "NV_RADIO_CHANNEL_LIST_STRUCT is 40 bytes");
static_assert(sizeof(NV_RADIO_CHANNEL_STRUCT) == 5, "NV_RADIO_CHANNEL_STRUCT is 5 bytes");
static_assert(sizeof(NV_RADIO_CALLSIGN_STRUCT) == 19 && offsetof(NV_RADIO_CALLSIGN_STRUCT, callsign) == 2,
              "NV_RADIO_CALLSIGN_STRUCT layout");
static_assert(sizeof(NV_WIFI_PARA_AP_STRUCT) == 42 && offsetof(NV_WIFI_PARA_AP_STRUCT, security) == 20 &&
                  offsetof(NV_WIFI_PARA_AP_STRUCT, password) == 22,
              "NV_WIFI_PARA_AP_STRUCT layout");
static_assert(sizeof(NV_GNSS_BASE_SET_STRUCT) == 32 && offsetof(NV_GNSS_BASE_SET_STRUCT, coord) == 8,
              "NV_GNSS_BASE_SET_STRUCT layout");
static_assert(sizeof(NV_RADIO_PROPERTY_EX_STRUCT) == 28 && offsetof(NV_RADIO_PROPERTY_EX_STRUCT, third) == 5 &&
                  offsetof(NV_RADIO_PROPERTY_EX_STRUCT, fourth) == 8 && offsetof(NV_RADIO_PROPERTY_EX_STRUCT, text) == 12,
              "NV_RADIO_PROPERTY_EX_STRUCT layout");
static_assert(sizeof(NV_FILE_RECORD_CONFIG_STRUCT) == 48 && offsetof(NV_FILE_RECORD_CONFIG_STRUCT, mode) == 20 &&
                  offsetof(NV_FILE_RECORD_CONFIG_STRUCT, value1) == 24 &&
                  offsetof(NV_FILE_RECORD_CONFIG_STRUCT, flag1) == 36 &&
                  offsetof(NV_FILE_RECORD_CONFIG_STRUCT, interval) == 40 &&
                  offsetof(NV_FILE_RECORD_CONFIG_STRUCT, flag4) == 42 &&
                  offsetof(NV_FILE_RECORD_CONFIG_STRUCT, value4) == 44,
              "NV_FILE_RECORD_CONFIG_STRUCT layout");
static_assert(sizeof(NV_GSENSOR_VALID_PERIOD_STRUCT) == 4 && offsetof(NV_GSENSOR_VALID_PERIOD_STRUCT, period) == 2,
              "NV_GSENSOR_VALID_PERIOD_STRUCT layout");
static_assert(sizeof(DataFreq) == 4 && offsetof(DataFreq, rate) == 2, "DataFreq layout");
static_assert(sizeof(NV_BASE_POS_ENTRY_STRUCT) == 24 && offsetof(NV_BASE_POS_ENTRY_STRUCT, value) == 16,
              "NV_BASE_POS_ENTRY_STRUCT layout");

}  // namespace KsParse
}  // namespace Kestrel
