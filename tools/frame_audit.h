// Counts what a recording holds besides decodable frames: frames of the
// common receiver formats whose check value is wrong, and bytes that belong
// to no well-formed frame. The library reports only what it decodes, so the
// report finds these by its own scan.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrel {
namespace KsParse {
namespace Tool {

struct FrameAuditResult {
  std::uint64_t good_frames = 0;
  std::uint64_t bad_frames = 0;   // NMEA checksum, NovAtel CRC-32 or RTCM 3 CRC-24Q wrong
  std::uint64_t stray_bytes = 0;  // outside every well-formed frame
};

// Scans NMEA sentences ($...*hh), NovAtel binary logs (AA 44 12) and RTCM 3
// frames (D3). Other formats count as stray bytes.
FrameAuditResult AuditFrames(const unsigned char* data, std::size_t length);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
