// The decoder and store of the new-protocol board. The engine hands it one
// packet item at a time; each item family (system, GNSS, radio, Wi-Fi, file
// recording, network link, modem, data link) has its own handler, and every
// value is kept until the next item of the same id replaces it.
#pragma once

#include <cstdint>

#include <ksparse/newproto_records.h>

#include "boards/board_decoder.h"

namespace Kestrel {
namespace KsParse {

class NewProtoBoardData : public BoardDecoder {
 public:
  static constexpr unsigned kDataBlockSize = 2048;
  static constexpr unsigned kSourceListSize = 4096;
  static constexpr unsigned kBaseListCapacity = 255;
  // Room for the three channel lists together: more than the largest packet
  // (20480 bytes) can carry at 5 bytes per channel.
  static constexpr unsigned kChannelCapacity = 4096;

  // Item 0x0411, kept as received.
  struct ReceiverStatus {
    std::uint8_t state;
    std::uint32_t value1;
    std::uint16_t word[3];
    std::uint32_t value2;
    std::uint32_t value3;
    float level[2];
  };

  NewProtoBoardData() = default;

  // Clears msg_flags, then stores the item; true when the id and length
  // were recognised (msg_flags then holds the item's bit).
  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;

  // The channels of list 0, 1 or 2 of item 0x0715 and their count.
  const NV_RADIO_CHANNEL_STRUCT* ChannelList(unsigned which, std::uint32_t* count) const;

  // ---- replies
  std::uint16_t response_status = 0;  // item 0x0002
  std::uint32_t response_tag = 0;     // tag of the last packet an item was decoded from (set by the engine)

  // ---- port routing (items 0x0103, 0x0104)
  std::uint16_t port_0103 = 0;
  std::uint16_t port_0104 = 0;

  // ---- system
  NV_SYSTEM_POWER_STATUS_STRUCT power_status = {};
  NV_SYSTEM_HARDWARE_INFO_STRUCT hardware_info = {};
  NV_SYSTEM_FIRMWARE_VERSION_STRUCT firmware_info = {};

  // ---- GNSS settings (the elevation mask is elev_mask_reported)
  std::uint16_t diff_type = 0;
  std::uint8_t pdop_mask = 0;
  std::uint16_t base_set_mode = 0;
  NV_GNSS_SATELLITE_ENABLE_STRUCT sat_enable = {};
  NV_DATA_CONFIG_LIST data_config = {};
  NV_GNSS_DAT_MAGNETIC_STRUCT magnetic = {};
  ReceiverStatus receiver_status = {};
  unsigned char data_block[kDataBlockSize + 1] = {};  // items 0x0406..0x0409, zero-terminated
  std::uint32_t data_block_length = 0;

  // ---- base-position list (item 0x0457)
  double base_list_value = 0;
  std::uint8_t base_list_capacity = 0;
  std::uint8_t base_list_count = 0;
  NV_BASE_POS_ENTRY_STRUCT base_list[kBaseListCapacity] = {};

  // ---- radio
  float radio_frequency = 0;
  std::uint32_t radio_power = 0;
  std::uint32_t radio_stepper = 0;
  std::uint32_t radio_air_baud = 0;
  std::uint16_t radio_protocol = 0;
  std::uint16_t radio_module_type = 0;
  std::uint16_t radio_power_status = 0;
  NV_RADIO_INFOLIST_STRUCT radio_info = {};
  std::uint8_t radio_auto_power_on = 0;
  std::uint8_t radio_sensitivity = 0;
  std::uint8_t radio_fec = 0;
  NV_RADIO_CHANNEL_LIST_STRUCT radio_channels = {};
  NV_RADIO_PROPERTY_EX_STRUCT radio_property = {};
  NV_RADIO_CALLSIGN_STRUCT radio_callsign = {};
  // The three lists of item 0x0715, one after another.
  NV_RADIO_CHANNEL_STRUCT channel_pool[kChannelCapacity] = {};
  std::uint32_t channel_count[3] = {};

  // ---- Wi-Fi
  std::uint8_t wifi_auto_open = 0;
  std::uint8_t wifi_share = 0;
  std::uint8_t wifi_share_auto = 0;
  std::uint16_t wifi_mode = 0;
  std::uint16_t wifi_power_status = 0;
  NV_WIFI_PARA_AP_STRUCT wifi_ap = {};

  // ---- file recording
  std::uint8_t file_auto_open = 0;
  std::uint16_t file_status = 0;
  NV_FILE_RECORD_CONFIG_STRUCT file_config = {};

  // ---- network link
  std::uint32_t netlink_1102 = 0;
  NV_IP_ADDRESS_STRUCT netlink_address = {};
  std::uint16_t netlink_server_type = 0;
  NV_NETLINK_STATUS_STRUCT netlink_status = {};
  unsigned char source_list[kSourceListSize] = {};
  std::uint32_t source_list_length = 0;
  std::uint8_t netlink_auto_open = 0;
  NV_CORS_DATA_SOURCE_STRUCT netlink_source = {};
  NV_ACCOUNT_STRUCT netlink_account = {};

  // ---- modem
  std::uint8_t modem_auto_dial = 0;
  std::uint8_t modem_auto_power_on = 0;
  std::uint16_t modem_power_status = 0;
  NV_MODEM_DIAL_PARA_STRUCT modem_dial = {};
  NV_MODEM_DIAL_STATUS_STRUCT modem_dial_status = {};
  NV_MODEM_SIGNAL_INTENSITY_STRUCT modem_signal = {};
  std::uint16_t modem_band_mode = 0;

  // ---- data link
  std::uint16_t datalink_mode = 0;

 private:
  // One handler per item group; each returns false, storing nothing, for an
  // id it does not know or a length other than the item's.
  bool DecodeSystem(const unsigned char* p, unsigned id, unsigned length);
  bool DecodeGnss(const unsigned char* p, unsigned id, unsigned length);
  bool DecodeRadio(const unsigned char* p, unsigned id, unsigned length);
  bool DecodeWifi(const unsigned char* p, unsigned id, unsigned length);
  bool DecodeFileRecord(const unsigned char* p, unsigned id, unsigned length);
  bool DecodeNetLink(const unsigned char* p, unsigned id, unsigned length);
  bool DecodeModem(const unsigned char* p, unsigned id, unsigned length);

  // GNSS helpers shared by the position, time and combined items.
  void StorePosition(const unsigned char* p);
  void StoreTime(const unsigned char* p);
  void StorePrecision(const unsigned char* p);
  bool StoreSatellites(const unsigned char* p, unsigned length);
  bool StoreBaseList(const unsigned char* p, unsigned length);
  bool StoreChannelLists(const unsigned char* p, unsigned length);

  // Adds the item's bit to msg_flags and reports the item recognised.
  bool Took(std::uint32_t bit) {
    msg_flags |= bit;
    return true;
  }
};

}  // namespace KsParse
}  // namespace Kestrel
