// Shared GSV handlers: GPS, GLONASS and BeiDou satellites in view.
#include "boards/nmea/nmea_gsv.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace Kestrel {
namespace KsParse {

namespace {

constexpr unsigned kFieldsPerSat = 4;
constexpr unsigned kFirstSatField = 4;
constexpr std::int32_t kGlonassOffset = 27;  // GLONASS NMEA numbers 65..96 become 38..69

// A double outside the float range becomes an infinity (a plain conversion
// would be undefined there).
float ToFloat(double v) {
  if (v > FLT_MAX) return HUGE_VALF;
  if (v < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(v);
}

long long Clamp(long long v, long long lo, long long hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

GsvStep FillGsvTable(SatTable& table, const NmeaSentence& s, bool glonass_numbers) {
  if (s.CommaCount() < 6) return GsvStep::kIgnored;  // fewer than 7 fields
  const long long total = s.Int(1);
  const long long message = s.Int(2);
  const long long in_view = Clamp(s.Int(3), 0, SatTable::kCapacity);
  if (message == 1) {
    std::memset(static_cast<void*>(table.sats), 0, sizeof table.sats);
    table.count = 0;
  }
  table.count = static_cast<std::uint32_t>(in_view);
  if (glonass_numbers) {
    const int first = s.Int(kFirstSatField);
    if (first < 65 || first > 96) return GsvStep::kIgnored;
  }
  if (message >= 1 && message <= total) {
    // Messages carry four satellites each; the last one up to the count.
    const long long begin = (message - 1) * kFieldsPerSat;
    const long long end = Clamp(message == total ? in_view : message * kFieldsPerSat, 0,
                                SatTable::kCapacity);
    unsigned field = kFirstSatField;
    for (long long r = begin; r < end; ++r, field += kFieldsPerSat) {
      SATLLITE_STR& sat = table.sats[r];
      sat.prn = s.Int(field);
      sat.elevation = s.Int(field + 1);
      sat.azimuth = static_cast<std::uint16_t>(s.Int(field + 2));
      sat.snr = ToFloat(s.Double(field + 3));
    }
  }
  return message >= total ? GsvStep::kLast : GsvStep::kPart;
}

void MarkUsable(SatTable& table) {
  const std::uint32_t n = table.count < SatTable::kCapacity ? table.count : SatTable::kCapacity;
  for (std::uint32_t i = 0; i < n; ++i) {
    SATLLITE_STR& sat = table.sats[i];
    const bool unusable = sat.elevation <= 13 || sat.snr <= 30.0f || sat.azimuth == 0;
    sat.status = unusable ? 0 : 1;
  }
}

void BoardDecoder::OnGpsGsv(const NmeaSentence& s) {
  SatTable& table = tables[kTableGps];
  if (FillGsvTable(table, s, false) != GsvStep::kLast) return;
  if (gps_sat_hold) {
    gps_sat_bits |= 0x8;
  } else {
    MarkUsable(table);
    msg_flags |= MsgBit::kGpsSats;
  }
}

void BoardDecoder::OnGlonassGsv(const NmeaSentence& s) {
  SatTable& table = tables[kTableGlonass];
  if (FillGsvTable(table, s, true) != GsvStep::kLast) return;
  for (std::uint32_t i = 0; i < table.count; ++i) {
    // Wrapping subtraction: a stored number may be anything a field held.
    table.sats[i].prn = static_cast<std::int32_t>(static_cast<std::uint32_t>(table.sats[i].prn) -
                                                  static_cast<std::uint32_t>(kGlonassOffset));
  }
  if (glo_sat_hold) {
    glo_sat_bits |= 0x10;
  } else {
    msg_flags |= MsgBit::kGlonassSats;
  }
}

void BoardDecoder::OnBeidouGsv(const NmeaSentence& s) {
  if (FillGsvTable(tables[kTableBeidou], s, false) != GsvStep::kLast) return;
  msg_flags |= MsgBit::kBeidouSats;
}

}  // namespace KsParse
}  // namespace Kestrel
