// Receiver records that the legacy engine's decoders keep: the radio module,
// the GPRS modem and the file and status replies. The query and command
// operations of the legacy receivers read them. Every record is plain data,
// zeroed with the engine.
#pragma once

#include <cstdint>

#include "legacy/radio_table.h"

namespace Kestrel {
namespace KsParse {

// What became of a VI reply packet: kept for the next VI frame, decoded and
// reported, or dropped unreported.
enum class ModemPacket { kIncomplete, kReport, kDrop };

// The UHF radio module (VI replies of the radio sub-codes).
struct RadioState {
  static constexpr unsigned kChannels = 16;
  static constexpr unsigned kCallsignMax = 14;

  double frequency_mhz;        // current frequency (98, 110)
  std::int32_t kind;           // radio kind 1 to 10; 0 while unknown
  Legacy::RadioLimits limits;  // of `kind`; zeros while the kind is unknown
  std::uint32_t setting;       // first data byte of the frequency reply (98, 110)
  std::int32_t power;          // 118: 1 to 5, else 0
  std::int32_t baud;           // 121: 0, 1 or 2, else -1
  std::int32_t sensitivity;    // 129: 1 or 2, else 0
  std::uint8_t fec;            // 131: 1 or 0
  double spacing_khz;          // 137: kind-8 channel spacing, 12.5 or 20.0 (0 before any reply)
  std::int32_t channel_space;  // 137: the spacing code, 0, 1 or 2
  // 145: call sign, its enable flag and interval.
  char callsign[kCallsignMax + 1];
  std::uint32_t callsign_length;
  std::uint8_t callsign_enabled;
  std::uint8_t callsign_interval;
  // 133: channel frequencies; 147: channel types. The counts are 0 until a
  // list has arrived, then 16.
  double channel_freq[kChannels];
  std::uint32_t channel_freq_count;
  std::int32_t channel_type[kChannels];
  std::uint32_t channel_type_count;
};

// The GPRS modem (VI replies of the modem sub-codes, VM frames).
struct ModemState {
  static constexpr unsigned kTextSize = 55;  // texts with their NUL
  static constexpr unsigned kHostSize = 32;
  static constexpr unsigned kAreaSize = 2048;

  // Information record (89, 115).
  std::uint32_t server_address;   // modem kind 0: the address as a 32-bit number
  char host[kHostSize + 1];       // modem kind 1: the host name
  std::uint32_t host_length;
  std::uint16_t server_port;
  std::int32_t link;              // S 3, T 1, U 0, V 2, anything else -1
  char text1[kTextSize];
  char text2[kTextSize];
  std::uint8_t switch_byte;       // 0 or 1
  char text3[kTextSize];
  char pair_first[kTextSize];     // the pair of texts that ends the record
  char pair_second[kTextSize];

  // Version (95).
  double version;                 // e.g. 3.56
  std::int32_t major;
  std::int32_t minor;
  std::uint8_t kind_flag;         // 1 for the newer modem (its commands differ)

  // Single-value replies (first data byte).
  std::int32_t status;            // 99
  std::int32_t dial_protocol;     // 103
  std::int32_t error;             // 104
  std::int32_t caster_mode;       // 106

  // Signal quality (101): the +CSQ value and 0 to 6 bars.
  std::int32_t signal_q;
  std::int32_t signal_bars;

  // Text record (108): a class and three texts in one 90-byte area.
  std::int32_t record_class;
  struct {
    char first[20];
    char second[50];
    char third[20];
  } record;

  // Text list (116, VM).
  unsigned char area[kAreaSize];
  std::uint32_t area_length;
};

// FB replies.
struct FbRecord {
  std::uint8_t text_length;
  char text[35];
  std::uint32_t number;
  std::uint8_t byte;
  std::int32_t state;  // 3, 2, 4 or -1
};

// FF replies: the top four bits and the low 28 bits of the first word, then
// the second and third words and a zero word; and one more zero word.
struct FfRecord {
  std::uint32_t words[5];
  std::uint32_t extra;
};

// One chunk of a file listing or file read (FW, FM, FJ): 55-byte chunks
// follow one another, a shorter one is the last.
struct ChunkArea {
  static constexpr unsigned kFull = 55;
  unsigned char data[56];
  std::uint32_t length;
};

}  // namespace KsParse
}  // namespace Kestrel
