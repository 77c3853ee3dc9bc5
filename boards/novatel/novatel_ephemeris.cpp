// Ephemerides: the decoded GPSEPHEM log (and the longer log 1047 of the same
// layout) and RAWEPHEM's three raw subframes.
#include <cmath>

#include "boards/gnss_utils.h"
#include "boards/novatel/novatel_decoder.h"
#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr unsigned kGpsEphemFields = 204;  // up to and including f2
constexpr unsigned kRawEphemSize = 102;
constexpr unsigned kSubframeSize = 30;

// Whole seconds of week of a reference time; a value that is not finite
// counts as 0.
double WholeSecondsOfWeek(double seconds) {
  if (!std::isfinite(seconds)) return 0.0;
  return std::fmod(std::trunc(seconds), Gnss::kSecondsPerWeek);
}

}  // namespace

bool NovAtelDecoder::DecodeGpsEphem(const unsigned char* b, unsigned size) {
  using namespace NovAtel;
  if (size < kGpsEphemFields) return false;
  em_eph_t e{};
  e.sat = static_cast<std::int32_t>(U32(b + 0));
  e.svh = static_cast<std::int32_t>(U32(b + 12));
  e.iode = static_cast<std::int32_t>(U32(b + 16));
  e.week = static_cast<std::int32_t>(U32(b + 24));
  e.toes = F64(b + 32);
  e.A = F64(b + 40);
  e.deln = F64(b + 48);
  e.M0 = F64(b + 56);
  e.e = F64(b + 64);
  e.omg = F64(b + 72);
  e.cuc = F64(b + 80);
  e.cus = F64(b + 88);
  e.crc = F64(b + 96);
  e.crs = F64(b + 104);
  e.cic = F64(b + 112);
  e.cis = F64(b + 120);
  e.i0 = F64(b + 128);
  e.idot = F64(b + 136);
  e.OMG0 = F64(b + 144);
  e.OMGd = F64(b + 152);
  e.iodc = static_cast<std::int32_t>(U32(b + 160));
  const double toc = F64(b + 164);
  e.tgd[0] = F64(b + 172);
  e.f0 = F64(b + 180);
  e.f1 = F64(b + 188);
  e.f2 = F64(b + 196);
  const std::uint32_t week_number = U32(b + 24);
  e.toe = e.ttr = Gnss::GpsToTime(week_number, WholeSecondsOfWeek(e.toes));
  e.toc = Gnss::GpsToTime(week_number, WholeSecondsOfWeek(toc));
  if (StoreEphemeris(e)) {
    last_eph_sat = e.sat;
    msg_flags |= MsgBit::kEphemeris;
  }
  return true;
}

bool NovAtelDecoder::DecodeRawEphem(const unsigned char* b, unsigned size) {
  using namespace NovAtel;
  if (size < kRawEphemSize) return false;
  const std::uint32_t sat = U32(b);
  if (sat < 1 || sat > 32) return true;  // GPS only
  em_eph_t e{};
  e.sat = static_cast<std::int32_t>(sat);
  // Subframes 1, 2 and 3 in that order: anything else is not an ephemeris.
  const unsigned char* sf = b + 12;
  for (int id = 1; id <= 3; ++id, sf += kSubframeSize) {
    if (Gnss::DecodeSubframe(sf, &e, nullptr, nullptr) != id) return true;
  }
  if (StoreEphemeris(e)) {
    last_eph_sat = e.sat;
    msg_flags |= MsgBit::kEphemeris;
  }
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
