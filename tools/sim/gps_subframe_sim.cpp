#include "tools/sim/gps_subframe_sim.h"

#include <cmath>

#include "tools/sim/bit_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {
namespace {

constexpr double kPi = 3.1415926535898;  // the value GPS uses for semicircles
constexpr std::uint8_t kPreamble = 0x8B;

// value / 2^scale, rounded.
std::int64_t Units(double value, int scale) {
  return static_cast<std::int64_t>(std::llround(std::ldexp(value, -scale)));
}
std::int64_t Semicircles(double radians, int scale) { return Units(radians / kPi, scale); }

// TLM and HOW: preamble, then the 17-bit TOW count of the next subframe and
// the subframe ID.
void PutHead(BitWriter& w, double tow, unsigned id) {
  w.Put(kPreamble, 8);
  w.Put(0, 16);
  const std::uint64_t tow_count = static_cast<std::uint64_t>(std::floor(tow / 6.0)) + 1;
  w.Put(tow_count, 17);
  w.Put(0, 2);  // alert, anti-spoofing
  w.Put(id, 3);
  w.Put(0, 2);
}

void Subframe1(BitWriter& w, const GpsEphemerisFields& f) {
  PutHead(w, f.tow, 1);
  w.Put(f.week % 1024, 10);
  w.Put(f.l2_code, 2);
  w.Put(f.ura, 4);
  w.Put(f.health, 6);
  w.Put(f.iodc >> 8, 2);
  w.Put(f.l2p_flag, 1);
  w.Put(0, 23);  // reserved: rest of word 4, words 5 and 6, most of word 7
  w.Put(0, 24);
  w.Put(0, 24);
  w.Put(0, 16);
  w.PutSigned(Units(f.tgd, -31), 8);
  w.Put(f.iodc & 0xFF, 8);
  w.Put(static_cast<std::uint64_t>(Units(f.toc, 4)), 16);
  w.PutSigned(Units(f.f2, -55), 8);
  w.PutSigned(Units(f.f1, -43), 16);
  w.PutSigned(Units(f.f0, -31), 22);
  w.Put(0, 2);
}

void Subframe2(BitWriter& w, const GpsEphemerisFields& f) {
  PutHead(w, f.tow + 6.0, 2);
  w.Put(f.iode, 8);
  w.PutSigned(Units(f.crs, -5), 16);
  w.PutSigned(Semicircles(f.deln, -43), 16);
  w.PutSigned(Semicircles(f.M0, -31), 32);
  w.PutSigned(Units(f.cuc, -29), 16);
  w.Put(static_cast<std::uint64_t>(Units(f.e, -33)), 32);
  w.PutSigned(Units(f.cus, -29), 16);
  w.Put(static_cast<std::uint64_t>(Units(std::sqrt(f.A), -19)), 32);
  w.Put(static_cast<std::uint64_t>(Units(f.toe, 4)), 16);
  w.Put(f.fit, 1);
  w.Put(0, 5 + 2);  // AODO, parity solving bits
}

void Subframe3(BitWriter& w, const GpsEphemerisFields& f) {
  PutHead(w, f.tow + 12.0, 3);
  w.PutSigned(Units(f.cic, -29), 16);
  w.PutSigned(Semicircles(f.OMG0, -31), 32);
  w.PutSigned(Units(f.cis, -29), 16);
  w.PutSigned(Semicircles(f.i0, -31), 32);
  w.PutSigned(Units(f.crc, -5), 16);
  w.PutSigned(Semicircles(f.omg, -31), 32);
  w.PutSigned(Semicircles(f.OMGd, -43), 24);
  w.Put(f.iode, 8);
  w.PutSigned(Semicircles(f.idot, -43), 14);
  w.Put(0, 2);
}

}  // namespace

std::array<std::uint8_t, 90> GpsEphemerisSubframes(const GpsEphemerisFields& f) {
  BitWriter w;
  Subframe1(w, f);
  Subframe2(w, f);
  Subframe3(w, f);
  std::array<std::uint8_t, 90> out{};
  for (std::size_t i = 0; i < out.size() && i < w.Bytes().size(); ++i) out[i] = w.Bytes()[i];
  return out;
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
