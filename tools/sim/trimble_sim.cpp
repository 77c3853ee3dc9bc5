#include "tools/sim/trimble_sim.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "boards/trimble/trimble_wire.h"
#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {
namespace {

void PutFloat(BitWriter& w, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  w.Put(bits, 32);
}

void PutDouble(BitWriter& w, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  w.Put(bits, 64);
}

Frame ThreeDoubles(std::uint8_t type, double a, double b, double c) {
  BitWriter w;
  for (double v : {a, b, c}) PutDouble(w, v);
  return GsofRecord(type, w.Bytes());
}

// `head` followed by the bytes from `begin` to `end`. Built at its final
// size: GCC 12 at -O3 reports a false bounds error for an insert after a
// short initializer.
Frame Prefixed(std::initializer_list<std::uint8_t> head, const std::uint8_t* begin, const std::uint8_t* end) {
  Frame out(head.size() + static_cast<std::size_t>(end - begin));
  std::copy(head.begin(), head.end(), out.begin());
  if (begin != end) std::memcpy(out.data() + head.size(), begin, static_cast<std::size_t>(end - begin));
  return out;
}

}  // namespace

Frame DcolPacket(std::uint8_t type, const std::vector<std::uint8_t>& data) {
  const unsigned n = data.size() < Trimble::kMaxData ? static_cast<unsigned>(data.size()) : Trimble::kMaxData;
  Frame out(n + Trimble::kOverhead);
  Trimble::BuildPacket(out.data(), type, data.data(), n);
  return out;
}

Frame GsofRecord(std::uint8_t type, const std::vector<std::uint8_t>& payload) {
  return Prefixed({type, static_cast<std::uint8_t>(payload.size())}, payload.data(),
                  payload.data() + payload.size());
}

Frame GsofTime(const GsofTimeFields& f) {
  BitWriter w;
  w.Put(f.milliseconds, 32);
  w.Put(f.week, 16);
  for (std::uint8_t b : {f.satellites, f.flags1, f.flags2, f.init_counter}) w.Put(b, 8);
  return GsofRecord(Trimble::kGsofTime, w.Bytes());
}

Frame GsofLlh(double latitude, double longitude, double height) {
  return ThreeDoubles(Trimble::kGsofLlh, latitude, longitude, height);
}

Frame GsofEcef(double x, double y, double z) { return ThreeDoubles(Trimble::kGsofEcef, x, y, z); }

Frame GsofEcefDelta(double dx, double dy, double dz) { return ThreeDoubles(Trimble::kGsofEcefDelta, dx, dy, dz); }

Frame GsofDop(float pdop, float hdop, float vdop, float tdop) {
  BitWriter w;
  for (float v : {pdop, hdop, vdop, tdop}) PutFloat(w, v);
  return GsofRecord(Trimble::kGsofDop, w.Bytes());
}

Frame GsofSigma(const GsofSigmaFields& f) {
  BitWriter w;
  for (float v : {f.rms, f.east, f.north, f.covariance, f.up, f.semi_major, f.semi_minor, f.orientation,
                  f.unit_variance})
    PutFloat(w, v);
  w.Put(f.epochs, 16);
  return GsofRecord(Trimble::kGsofSigma, w.Bytes());
}

Frame GsofAllSatellites(const std::vector<GsofSatellite>& sats) {
  BitWriter w;
  w.Put(sats.size(), 8);
  for (const GsofSatellite& s : sats) {
    for (std::uint8_t b : {s.prn, s.system, s.flags1, s.flags2, s.elevation}) w.Put(b, 8);
    w.Put(s.azimuth, 16);
    for (std::uint8_t b : {s.l1_snr4, s.l2_snr4, s.l5_snr4}) w.Put(b, 8);
  }
  return GsofRecord(Trimble::kGsofAllSv, w.Bytes());
}

Frame GsofPage(std::uint8_t transmission, std::uint8_t page, std::uint8_t last, const Frame& bytes) {
  return DcolPacket(Trimble::kTypeGsof, Prefixed({transmission, page, last}, bytes.data(), bytes.data() + bytes.size()));
}

std::vector<Frame> GsofMessage(const std::vector<Frame>& records, std::uint8_t transmission, unsigned page_bytes) {
  if (page_bytes < 1 || page_bytes > Trimble::kGsofMaxPageBytes) page_bytes = Trimble::kGsofMaxPageBytes;
  Frame all;
  for (const Frame& r : records) all.insert(all.end(), r.begin(), r.end());
  const std::size_t pages = all.empty() ? 1 : (all.size() + page_bytes - 1) / page_bytes;
  std::vector<Frame> packets;
  for (std::size_t p = 0; p < pages; ++p) {
    const std::size_t begin = p * page_bytes;
    const std::size_t end = begin + page_bytes < all.size() ? begin + page_bytes : all.size();
    packets.push_back(GsofPage(transmission, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(pages - 1),
                               Frame(all.data() + begin, all.data() + end)));
  }
  return packets;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
