// The Hemisphere decoders: "$BIN" binary messages and "$>J" replies into the
// shared store, first and second generation; the second generation also
// keeps its own NMEA epoch.
#pragma once

#include <cstdint>

#include "boards/board_decoder.h"

namespace Kestrel {
namespace KsParse {

// First generation: position (message 1), DOPs and satellite masks
// (message 2) and channel diagnostics (message 99).
class Hemisphere1Decoder : public BoardDecoder {
 public:
  static constexpr unsigned kIdPosition = 1;
  static constexpr unsigned kIdDops = 2;
  static constexpr unsigned kIdChannels = 99;
  // Data bytes each message must hold for the fields read from it.
  static constexpr unsigned kPositionSize = 32;
  static constexpr unsigned kDopsSize = 14;
  static constexpr unsigned kChannelsOffset = 12;
  static constexpr unsigned kChannelCount = 12;
  static constexpr unsigned kChannelSize = 24;
  static constexpr unsigned kChannelsSize = kChannelsOffset + kChannelCount * kChannelSize;

  // `data` is a whole "$BIN" frame of `length` bytes whose checks passed.
  // False when the frame does not hold what its header announces or a
  // message is too short for its fields; true for every other message,
  // used or not.
  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;

  // The satellites in the receiver's channels, rebuilt by every message 99.
  SatTable channels = {};

 private:
  void DecodeChannels(const unsigned char* data);
};

// Second generation: time and DOPs (message 3), the base position reply
// (JRTK), and an NMEA epoch that ends with its GST.
class Hemisphere2Decoder : public BoardDecoder {
 public:
  static constexpr unsigned kIdTimeDops = 3;
  static constexpr unsigned kTimeDopsSize = 92;

  // Bits of epoch_seen.
  static constexpr std::uint32_t kSeenGga = 0x20000;
  static constexpr std::uint32_t kSeenMotion = 0x1000000;
  static constexpr std::uint32_t kSeenQuality = 0x20000000;

  bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) override;

  // The quality table of these boards: 2 DGPS, 4 RTK fixed, 5 RTK float,
  // anything else autonomous.
  void SetSolutionCode(const char* field) override;
  void OnGga(const NmeaSentence& s) override;
  void OnRmc(const NmeaSentence& s) override;
  // The GST after a GGA with quality and an RMC with motion ends the epoch.
  void OnGst(const NmeaSentence& s) override;

  // "$>JRTK,17,<lat>,<lon>,<height>": the base position in degrees and
  // metres, stored earth-centred (0x2000000). False for any other reply
  // number, a missing field or a position off the earth's grid.
  bool ParseJrtkReply(const unsigned char* text, std::uint32_t n);

  // The sentences seen in the current NMEA epoch.
  std::uint32_t epoch_seen = 0;
};

}  // namespace KsParse
}  // namespace Kestrel
