// Builds Hemisphere board output for tests, fuzz seeds and simulated
// streams: "$BIN" binary messages with their checksum (position 1, DOPs 2,
// time and DOPs 3, channel diagnostics 99) and "$>" text replies.
//
// Field structs hold the values the board would report; the encoders only
// scale and place them, so a test can also send values out of range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Sim {

using Frame = std::vector<std::uint8_t>;

// Any message: "$BIN", block ID, data length, data, the 16-bit sum of the
// data bytes, CR LF.
Frame HemisphereBin(unsigned id, const Frame& data);

// Message 1 (52 data bytes): position.
struct HemispherePositionFields {
  std::uint8_t diff_age = 0;  // s
  std::uint8_t sats_used = 0;
  std::uint16_t week = 0;
  double seconds = 0;         // of week
  double latitude = 0;        // degrees
  double longitude = 0;       // degrees
  float height = 0;           // metres
};
Frame HemispherePosition(const HemispherePositionFields& f);

// Message 2 (16 data bytes): satellite masks and DOPs.
struct HemisphereDopFields {
  std::uint32_t tracked_mask = 0;  // bit n-1: GPS satellite n
  std::uint32_t used_mask = 0;
  std::uint16_t utc_offset = 18;   // GPS minus UTC, s
  double hdop = 0;                 // sent in tenths
  double vdop = 0;
};
Frame HemisphereDops(const HemisphereDopFields& f);

// Message 3 (108 data bytes): time and DOPs.
struct HemisphereTimeDopFields {
  double seconds = 0;  // of week
  std::uint16_t week = 0;
  float hdop = 0, vdop = 0, tdop = 0;
};
Frame HemisphereTimeDops(const HemisphereTimeDopFields& f);

// Message 99 (304 data bytes): twelve receiver channels; channels beyond
// the list are idle (satellite 0).
struct HemisphereChannel {
  std::uint8_t sv = 0;
  std::uint8_t status = 0;  // 0x40: used in the solution
  std::int8_t elevation = 0;   // degrees
  unsigned azimuth = 0;        // degrees, sent in units of 2
};
Frame HemisphereChannels(std::uint16_t week, double seconds, const std::vector<HemisphereChannel>& channels);

// A reply line: "$>" + body + CR LF, e.g. HemisphereReply("JSHOW,MASK,10").
std::string HemisphereReply(const std::string& body);

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
