#include "tools/sim/trimble_sim.h"

#include <algorithm>
#include <cstring>

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

}  // namespace

Frame DcolPacket(std::uint8_t type, const std::vector<std::uint8_t>& data) {
  const unsigned n = data.size() < Trimble::kMaxData ? static_cast<unsigned>(data.size()) : Trimble::kMaxData;
  Frame out(n + Trimble::kOverhead);
  Trimble::BuildPacket(out.data(), type, data.data(), n);
  return out;
}

Frame GsofRecord(std::uint8_t type, const std::vector<std::uint8_t>& payload) {
  Frame out = {type, static_cast<std::uint8_t>(payload.size())};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
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

std::vector<Frame> GsofMessage(const std::vector<Frame>& records, std::uint8_t transmission, unsigned page_bytes) {
  if (page_bytes < 1 || page_bytes > Trimble::kGsofMaxPageBytes) page_bytes = Trimble::kGsofMaxPageBytes;
  Frame all;
  for (const Frame& r : records) all.insert(all.end(), r.begin(), r.end());
  const std::size_t pages = all.empty() ? 1 : (all.size() + page_bytes - 1) / page_bytes;
  std::vector<Frame> packets;
  for (std::size_t p = 0; p < pages; ++p) {
    const std::size_t begin = p * page_bytes;
    const std::size_t end = begin + page_bytes < all.size() ? begin + page_bytes : all.size();
    // Built at its final size: GCC's bounds check misreads an insert after
    // a three-byte initializer.
    Frame data(3 + (end - begin));
    data[0] = transmission;
    data[1] = static_cast<std::uint8_t>(p);
    data[2] = static_cast<std::uint8_t>(pages - 1);
    std::copy(all.begin() + static_cast<std::ptrdiff_t>(begin), all.begin() + static_cast<std::ptrdiff_t>(end),
              data.begin() + 3);
    packets.push_back(DcolPacket(Trimble::kTypeGsof, data));
  }
  return packets;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
