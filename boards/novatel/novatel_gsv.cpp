// The NovAtel versions of the GPS and BeiDou GSV handlers. GPS GSV also
// carries SBAS satellites (numbers 33..64), which go to the SBAS table as
// their PRN (number + 87); BeiDou satellites get the numbers the
// observations use (PRN + 160). Held groups wait for the next observation
// log, which adds its signal strengths before reporting the tables.
#include <cfloat>
#include <cmath>

#include "boards/nmea/nmea_gsv.h"
#include "boards/nmea/nmea_sentence.h"
#include "boards/novatel/novatel_decoder.h"
#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr unsigned kMinGsvFields = 7;
constexpr unsigned kSatsPerSentence = 4;
constexpr int kSbasNumberToPrn = 87;
constexpr std::uint32_t kGpsGroupComplete = 0x8;
constexpr std::uint32_t kBeidouGroupComplete = 0x20;

// Appends one satellite (four fields from `field`) to a table; the table is
// emptied first when it is the group's first satellite for this table.
void AddSatellite(SatTable& table, bool& group_start, const NmeaSentence& s, unsigned field,
                  std::int32_t prn) {
  if (group_start) {
    table.count = 0;
    group_start = false;
  }
  if (table.count >= SatTable::kCapacity) return;
  SATLLITE_STR& sat = table.sats[table.count++];
  sat = SATLLITE_STR{};
  sat.prn = prn;
  sat.elevation = s.Int(field + 1);
  sat.azimuth = static_cast<std::uint16_t>(s.Int(field + 2));
  // Clamped into the float range (NaN becomes the largest float).
  sat.snr = static_cast<float>(std::fmax(-FLT_MAX, std::fmin(FLT_MAX, s.Double(field + 3))));
}

bool InCount(std::uint32_t count) { return count >= 1 && count <= SatTable::kCapacity; }

}  // namespace

void NovAtelDecoder::OnGpsGsv(const NmeaSentence& s) {
  if (s.CommaCount() + 1 < kMinGsvFields) return;
  const int total = s.Int(1);
  const int number = s.Int(2);
  if (number == 1) gsv_gps_pending = gsv_sbas_pending = true;
  for (unsigned k = 0; k < kSatsPerSentence; ++k) {
    const unsigned field = 4 + 4 * k;
    if (field >= s.FieldCount()) break;
    const int prn = s.Int(field);
    if (prn >= 1 && prn <= 32) {
      AddSatellite(tables[kTableGps], gsv_gps_pending, s, field, prn);
    } else if (prn >= 33 && prn <= 64) {
      AddSatellite(tables[kTableSbas], gsv_sbas_pending, s, field, prn + kSbasNumberToPrn);
    }
  }
  if (number < total) return;
  if (gps_sat_hold != 0) {
    gps_sat_bits |= kGpsGroupComplete;
    return;
  }
  if (InCount(tables[kTableGps].count)) msg_flags |= MsgBit::kGpsSats;
  if (InCount(tables[kTableSbas].count)) msg_flags |= MsgBit::kFourthSats;
}

void NovAtelDecoder::OnBeidouGsv(const NmeaSentence& s) {
  SatTable& table = tables[kTableBeidou];
  if (FillGsvTable(table, s, false) != GsvStep::kLast) return;
  for (std::uint32_t k = 0; k < table.count; ++k) {
    // Wrapping addition: a stored number may be anything a field held.
    table.sats[k].prn = static_cast<std::int32_t>(static_cast<std::uint32_t>(table.sats[k].prn) +
                                                  NovAtel::kBeidouOffset);
  }
  if (bds_sat_hold != 0) {
    bds_sat_bits |= kBeidouGroupComplete;
  } else {
    msg_flags |= MsgBit::kBeidouSats;
  }
}

}  // namespace KsParse
}  // namespace Kestrel
