#include "tools/sim/hemisphere_sim.h"

#include <cmath>
#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

// Little-endian fields placed at fixed offsets of a message's data.
void Put(Frame& d, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutF32(Frame& d, std::size_t at, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  Put(d, at, bits, 4);
}
void PutF64(Frame& d, std::size_t at, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, 8);
  Put(d, at, bits, 8);
}
std::uint16_t Tenths(double v) { return static_cast<std::uint16_t>(std::lround(v * 10)); }

}  // namespace

Frame HemisphereBin(unsigned id, const Frame& data) {
  const std::size_t n = data.size();
  Frame f(n + 12, 0);
  std::memcpy(f.data(), "$BIN", 4);
  Put(f, 4, id, 2);
  Put(f, 6, n, 2);
  unsigned sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += f[8 + i] = data[i];
  Put(f, 8 + n, sum, 2);
  f[10 + n] = '\r';
  f[11 + n] = '\n';
  return f;
}

Frame HemispherePosition(const HemispherePositionFields& f) {
  Frame d(52, 0);
  d[0] = f.diff_age;
  d[1] = f.sats_used;
  Put(d, 2, f.week, 2);
  PutF64(d, 4, f.seconds);
  PutF64(d, 12, f.latitude);
  PutF64(d, 20, f.longitude);
  PutF32(d, 28, f.height);
  return HemisphereBin(1, d);
}

Frame HemisphereDops(const HemisphereDopFields& f) {
  Frame d(16, 0);
  Put(d, 0, f.tracked_mask, 4);
  Put(d, 4, f.used_mask, 4);
  Put(d, 8, f.utc_offset, 2);
  Put(d, 10, Tenths(f.hdop), 2);
  Put(d, 12, Tenths(f.vdop), 2);
  return HemisphereBin(2, d);
}

Frame HemisphereTimeDops(const HemisphereTimeDopFields& f) {
  Frame d(108, 0);
  PutF64(d, 0, f.seconds);
  Put(d, 8, f.week, 2);
  PutF32(d, 80, f.hdop);
  PutF32(d, 84, f.vdop);
  PutF32(d, 88, f.tdop);
  return HemisphereBin(3, d);
}

Frame HemisphereChannels(std::uint16_t week, double seconds, const std::vector<HemisphereChannel>& channels) {
  Frame d(304, 0);
  Put(d, 2, week, 2);
  PutF64(d, 4, seconds);
  for (std::size_t c = 0; c < 12; ++c) {
    const std::size_t at = 12 + 24 * c;
    d[at] = static_cast<std::uint8_t>(c);  // channel number
    if (c >= channels.size()) continue;
    d[at + 1] = channels[c].sv;
    d[at + 2] = channels[c].status;
    d[at + 8] = static_cast<std::uint8_t>(channels[c].elevation);
    d[at + 9] = static_cast<std::uint8_t>(channels[c].azimuth / 2);
  }
  return HemisphereBin(99, d);
}

std::string HemisphereReply(const std::string& body) { return "$>" + body + "\r\n"; }

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
