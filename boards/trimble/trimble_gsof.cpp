// GSOF messages (packet type 0x40): reassembly of a message from its pages
// in a fixed area, and the records it carries (time, position, earth-centred
// position and base offset, DOP, precision, all satellites) into the store.
#include <cmath>
#include <cstring>

#include "boards/gnss_utils.h"
#include "boards/trimble/trimble_decoder.h"
#include "boards/trimble/trimble_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

using namespace Trimble;

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kSatCounts = 0x40000000;  // satellite tables and counts changed
constexpr unsigned kGlonassNumberOffset = 37;     // GLONASS slot numbers as stored

// The solution code for the two position flag bytes of the time record.
std::uint32_t SolutionCode(std::uint8_t flags1, std::uint8_t flags2) {
  if ((flags1 & 0x4) == 0) return 3;  // no position
  switch (flags2 & 0x0F) {
    case 0:
    case 2: return 4;
    case 1:
    case 3: return 6;
    case 4: return 10;
    case 5:
    case 7: return 11;
    case 6: return 7;
    case 15: return 8;
    default: return 0;
  }
}

void ReadBe64x3(const unsigned char* r, double* out) {
  for (int i = 0; i < 3; ++i) out[i] = Gnss::ReadBe64(r + 8 * i);
}

}  // namespace

// `packet` holds `data_length` data bytes after its 4-byte head: the page
// header, then this page's share of the message's records.
void TrimbleDecoder::DecodeGsofPage(const unsigned char* packet, unsigned data_length) {
  if (data_length < kGsofPageHeader) return;
  const unsigned page = packet[kOffData + 1];
  const unsigned last_page = packet[kOffData + 2];
  const unsigned bytes = data_length - kGsofPageHeader;
  // A message that would outgrow the area starts over with this page.
  if (gsof.used + bytes > kGsofCapacity) std::memset(&gsof, 0, sizeof gsof);
  std::memcpy(gsof.data + gsof.used, packet + kOffData + kGsofPageHeader, bytes);
  gsof.used += bytes;
  if (page < last_page) {
    ++gsof.pages;
    return;
  }
  // The last page: decode only when every earlier page arrived.
  if (gsof.pages == last_page) WalkGsofRecords();
  std::memset(&gsof, 0, sizeof gsof);
}

void TrimbleDecoder::WalkGsofRecords() {
  const unsigned char* d = gsof.data;
  // A record whose announced length runs past the bytes held ends the walk.
  for (unsigned at = 0; at + 2 <= gsof.used && at + 2 + d[at + 1] <= gsof.used; at += 2 + d[at + 1]) {
    const unsigned type = d[at];
    const unsigned length = d[at + 1];
    const unsigned char* r = d + at + 2;
    if (type == kGsofAllSv) {
      if (sat_detail) GsofAllSatellites(r, length);
      continue;
    }
    switch ((type << 8) | length) {
      case (kGsofTime << 8) | sizeof gsof_time:
        GsofTime(r);
        break;
      case (kGsofLlh << 8) | sizeof gsof_llh:
        GsofLlh(r);
        break;
      case (kGsofEcef << 8) | sizeof gsof_ecef:
        std::memcpy(gsof_ecef, r, sizeof gsof_ecef);
        ReadBe64x3(r, ecef);
        base_present = 0;
        break;
      case (kGsofEcefDelta << 8) | sizeof gsof_delta:
        std::memcpy(gsof_delta, r, sizeof gsof_delta);
        ReadBe64x3(r, ecef_delta);
        delta_received = true;
        break;
      case (kGsofDop << 8) | sizeof gsof_dop:
        std::memcpy(gsof_dop, r, sizeof gsof_dop);
        pdop = Gnss::ReadBeFloat(r);
        hdop = Gnss::ReadBeFloat(r + 4);
        vdop = Gnss::ReadBeFloat(r + 8);
        tdop = Gnss::ReadBeFloat(r + 12);
        msg_flags |= MsgBit::kDop;
        break;
      case (kGsofSigma << 8) | sizeof gsof_sigma:
        std::memcpy(gsof_sigma, r, sizeof gsof_sigma);
        sigma_horizontal = std::hypot(double{Gnss::ReadBeFloat(r + 4)}, double{Gnss::ReadBeFloat(r + 8)});
        sigma_vertical = Gnss::ReadBeFloat(r + 16);
        rms = 0.68 * std::hypot(sigma_horizontal, sigma_vertical);
        msg_flags |= MsgBit::kGstSeen;
        break;
      default:
        break;  // a record this decoder does not use, or of another length
    }
  }
  // Records 3 and 6 together give the base: the rover's position minus the
  // offset from the base.
  if (delta_received) {
    base_info.x = ecef[0] - ecef_delta[0];
    base_info.y = ecef[1] - ecef_delta[1];
    base_info.z = ecef[2] - ecef_delta[2];
    base_present = 1;
    msg_flags |= MsgBit::kBaseInfo;
    delta_received = false;
  }
  constexpr std::uint32_t kEpoch = MsgBit::kNmeaPosition | MsgBit::kGstSeen | MsgBit::kRmcSeen;
  if ((msg_flags & kEpoch) == kEpoch) msg_flags |= MsgBit::kPosition;
}

// Milliseconds of week, week, satellites used, two position flag bytes,
// initialisation counter.
void TrimbleDecoder::GsofTime(const unsigned char* r) {
  std::memcpy(gsof_time, r, sizeof gsof_time);
  const std::uint32_t milliseconds = static_cast<std::uint32_t>(Gnss::ReadBe32(r));
  week = Gnss::ReadBe16U(r + 4);
  week_seconds = milliseconds / 1000.0;
  SetCalendarFromGps(week, week_seconds);
  solution_code = SolutionCode(r[7], r[8]);
  msg_flags |= MsgBit::kRmcSeen | MsgBit::kSolution;
}

// Latitude and longitude (radians) and height (metres). A position outside
// the coordinate ranges is stored as received but not converted.
void TrimbleDecoder::GsofLlh(const unsigned char* r) {
  std::memcpy(gsof_llh, r, sizeof gsof_llh);
  latitude = Gnss::ReadBe64(r);
  longitude = Gnss::ReadBe64(r + 8);
  height = Gnss::ReadBe64(r + 16);
  if (ecef_from_llh && latitude > -kPi / 2 && latitude < kPi / 2 && longitude > -kPi && longitude < kPi)
    Gnss::GeodeticToEcef(latitude, longitude, height, ecef);
  msg_flags |= MsgBit::kNmeaPosition;
}

// Satellite count, then per satellite: number, system, two flag bytes,
// elevation, azimuth (16 bits), L1 and L2 signal strength in quarter dB-Hz,
// one more byte. Satellites beyond the record's length, of other systems or
// beyond a table's 32 records are not stored.
void TrimbleDecoder::GsofAllSatellites(const unsigned char* r, unsigned length) {
  if (length < 1) return;
  unsigned count = r[0];
  if (count > (length - 1) / kAllSvEntry) count = (length - 1) / kAllSvEntry;
  struct Target {
    unsigned table;
    std::uint32_t bit;
    std::uint32_t filled;
  } targets[3] = {{kTableGps, MsgBit::kGpsSats, 0}, {kTableSbas, MsgBit::kFourthSats, 0},
                  {kTableGlonass, MsgBit::kGlonassSats, 0}};
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* e = r + 1 + i * kAllSvEntry;
    const unsigned system = e[1];
    if (system > 2) continue;
    Target& t = targets[system];
    if (t.filled >= SatTable::kCapacity) continue;
    SATLLITE_STR sat = {};
    sat.prn = static_cast<std::int32_t>(e[0] + (system == 2 ? kGlonassNumberOffset : 0));
    sat.elevation = e[4];
    sat.azimuth = Gnss::ReadBe16U(e + 5);
    sat.snr = static_cast<float>(e[7] / 4);
    sat.snr2 = static_cast<float>(e[8] / 4);
    sat.status = (e[7] >> 1) & 1u;
    tables[t.table].sats[t.filled++] = sat;
  }
  std::uint32_t total = 0;
  for (const Target& t : targets) {
    if (t.filled != 0) {
      tables[t.table].count = t.filled;
      msg_flags |= t.bit;
    }
    total += tables[t.table].count;
  }
  sats_tracked = total;
  msg_flags |= kSatCounts;
}

}  // namespace KsParse
}  // namespace Kestrel
