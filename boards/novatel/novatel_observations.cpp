// Observations: RANGE (full records, two records of one satellite paired)
// and RANGECMP (compressed records, with carrier roll-over and slip
// detection), then the observed signal strengths merged into the satellite
// tables.
#include <cmath>

#include "boards/gnss_utils.h"
#include "boards/nmea/nmea_gsv.h"
#include "boards/novatel/novatel_decoder.h"
#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr unsigned kRangeRecord = 44;
constexpr unsigned kRangeCmpRecord = 24;

// Lock times at the field's maximum carry no information.
constexpr double kLockTimeSaturated = 65535.968;

// Tracking status word.
constexpr std::uint32_t kPhaseLocked = 1u << 10;
constexpr std::uint32_t kParityKnown = 1u << 11;
constexpr std::uint32_t kCodeLocked = 1u << 12;
constexpr std::uint32_t kHalfCycleAdded = 1u << 28;
constexpr unsigned kSystemBeidou = 4;

// RANGECMP signal types and the observation codes they get.
constexpr unsigned kSigL1CA = 0;
constexpr unsigned kSigL2C = 17;
constexpr std::uint8_t kCodeL1C = 1, kCodeL1P = 2, kCodeL2P = 19, kCodeL2C = 14;

// Index (0 first frequency, 1 second) of a signal type; -1 when not used.
int FrequencyIndex(unsigned signal) {
  switch (signal) {
    case 0:
    case 4: return 0;
    case 5:
    case 9:
    case 17: return 1;
    default: return -1;
  }
}

std::uint8_t SignalCode(unsigned signal) {
  switch (signal) {
    case 0: return kCodeL1C;
    case 4: return kCodeL1P;
    case 5:
    case 9: return kCodeL2P;
    case 17: return kCodeL2C;
    default: return 0;
  }
}

// The satellite number of a record, 0 when the record is not used: BeiDou
// numbers move up by 160 (skipped when that leaves one byte), GPS 1..32 and
// SBAS 120..138 are taken as they are, GLONASS 38..61 only with known parity.
unsigned SatelliteOf(unsigned system, unsigned prn, bool parity_known) {
  if (system == kSystemBeidou) return prn + NovAtel::kBeidouOffset < NovAtelDecoder::kSatSlots ? prn + NovAtel::kBeidouOffset : 0;
  if (prn >= 1 && prn <= 32) return prn;
  if (prn >= 38 && prn <= 61) return parity_known ? prn : 0;
  if (prn >= 120 && prn <= 138) return prn;
  return 0;
}

}  // namespace

em_obsd_t* NovAtelDecoder::ObservationOf(std::uint8_t sat, const em_gtime_t& time) {
  for (std::uint32_t i = 0; i < obs_count; ++i) {
    if (obs[i].sat == sat) return &obs[i];
  }
  if (obs_count >= kObsCapacity) return nullptr;
  em_obsd_t& o = obs[obs_count++];
  o = em_obsd_t{};
  o.time = time.time;
  o.sec = time.sec;
  o.sat = sat;
  return &o;
}

bool NovAtelDecoder::DecodeRange(const unsigned char* header, const unsigned char* body, unsigned size) {
  using namespace NovAtel;
  if (size < 4) return false;
  const std::uint32_t count = U32(body);
  if (count > (size - 4) / kRangeRecord) return false;
  const em_gtime_t t = Gnss::GpsToTime(U16(header + kOffWeek), U32(header + kOffMilliseconds) * 0.001);
  obs_count = 0;
  std::uint32_t i = 0;
  while (i < count && obs_count < kObsCapacity) {
    const unsigned char* r = body + 4 + i * kRangeRecord;
    const unsigned prn = U16(r);
    em_obsd_t& o = obs[obs_count++];
    o = em_obsd_t{};
    o.time = t.time;
    o.sec = t.sec;
    o.sat = static_cast<std::uint8_t>(prn);  // numbers above 255 do not fit the record
    // A record followed by one of the same satellite gives both frequencies.
    const unsigned signals = i + 1 < count && U16(r + kRangeRecord) == prn ? 2 : 1;
    for (unsigned k = 0; k < signals; ++k, r += kRangeRecord) {
      o.p[k] = F64(r + 4);
      o.l[k] = F64(r + 16);
      o.d[k] = F32(r + 28);
      o.snr[k] = TruncToByte(F32(r + 32));
    }
    i += signals;
  }
  msg_flags |= MsgBit::kObservations;
  return true;
}

bool NovAtelDecoder::DecodeRangeCmp(const unsigned char* header, const unsigned char* body,
                                    unsigned size) {
  using namespace NovAtel;
  if (size < 4) return false;
  const std::uint32_t count = U32(body);
  if (count > (size - 4) / kRangeCmpRecord) return false;
  const em_gtime_t t = Gnss::GpsToTime(U16(header + kOffWeek), U32(header + kOffMilliseconds) * 0.001);
  const double elapsed = have_prev_epoch ? Gnss::TimeDiff(t, prev_obs_time) : 0.0;
  obs_count = 0;

  for (std::uint32_t i = 0; i < count; ++i) {
    const unsigned char* r = body + 4 + i * kRangeCmpRecord;
    const std::uint32_t status = U32(r);
    const bool parity_known = (status & kParityKnown) != 0;
    const unsigned sat = SatelliteOf((status >> 16) & 0x7u, r[17], parity_known);
    const unsigned signal = (status >> 21) & 0x1Fu;
    const int idx = FrequencyIndex(signal);
    if (sat == 0 || idx < 0) continue;

    std::int32_t doppler_raw = static_cast<std::int32_t>(U32(r + 4) & 0x0FFFFFFFu);
    if ((doppler_raw & 0x08000000) != 0) doppler_raw -= 0x10000000;  // 28-bit two's complement
    double doppler = doppler_raw / 256.0;
    double pseudorange = (U32(r + 7) >> 4) / 128.0 + r[11] * 2097152.0;
    const double carrier = I32(r + 12) / 256.0;
    const double lock_time = (U32(r + 18) & 0x1FFFFFu) / 32.0;
    const unsigned cn0 = ((U16(r + 20) & 0x3E0u) >> 5) + 20;

    // The carrier field holds the phase modulo the roll-over, negated; the
    // pseudorange tells how many roll-overs to add back.
    const double wavelength = signal == kSigL1CA ? kWavelengthL1 : kWavelengthL2;
    const double rolls = (pseudorange / wavelength + carrier) / kAdrRollover;
    double phase = std::floor(rolls + (rolls <= 0.0 ? -0.5 : 0.5)) * kAdrRollover - carrier;

    // A lock time that grew less than the time since the last epoch, or a
    // changed half-cycle flag, means the carrier lost lock in between.
    const std::uint8_t half_cycle = (status & kHalfCycleAdded) != 0 ? 1 : 0;
    double& prev_lock = prev_lock_time[sat][idx];
    std::uint8_t& prev_half = prev_half_cycle[sat][idx];
    bool slip = have_prev_epoch && lock_time < kLockTimeSaturated &&
                lock_time - prev_lock + 0.05 <= elapsed;
    if (half_cycle != prev_half) slip = true;
    prev_lock = lock_time;
    prev_half = half_cycle;

    if ((status & kCodeLocked) == 0) pseudorange = 0.0;
    const bool phase_locked = (status & kPhaseLocked) != 0;
    if (!phase_locked) phase = doppler = 0.0;
    // L2C is a quarter cycle away from L2P. An unlocked phase stays 0, the
    // mark of a missing carrier.
    if (signal == kSigL2C && phase_locked) phase += 0.25;

    em_obsd_t* o = ObservationOf(static_cast<std::uint8_t>(sat), t);
    if (o == nullptr) continue;  // the list is full: the record is dropped
    o->l[idx] = phase;
    o->p[idx] = pseudorange;
    o->d[idx] = static_cast<float>(doppler);
    o->snr[idx] = static_cast<std::uint8_t>(cn0);
    o->lli[idx] = static_cast<std::uint8_t>((slip ? 1 : 0) + (parity_known ? 0 : 2));
    o->code[idx] = SignalCode(signal);
  }

  msg_flags |= MsgBit::kObservations;
  prev_obs_time = t;
  have_prev_epoch = true;
  MergeSignalStrengths();
  return true;
}

void NovAtelDecoder::MergeSignalStrengths() {
  struct Group {
    std::uint8_t hold;
    std::uint32_t& bits;
    std::uint32_t complete;
    unsigned table;
    std::uint32_t message;
  };
  const Group groups[] = {
      {gps_sat_hold, gps_sat_bits, 0x8, kTableGps, MsgBit::kGpsSats},
      {glo_sat_hold, glo_sat_bits, 0x10, kTableGlonass, MsgBit::kGlonassSats},
      {bds_sat_hold, bds_sat_bits, 0x20, kTableBeidou, MsgBit::kBeidouSats},
  };
  for (const Group& g : groups) {
    if (g.hold == 0 || (g.bits & g.complete) == 0) continue;
    SatTable& table = tables[g.table];
    const std::uint32_t n = table.count < SatTable::kCapacity ? table.count : SatTable::kCapacity;
    for (std::uint32_t k = 0; k < n; ++k) {
      SATLLITE_STR& sat = table.sats[k];
      for (std::uint32_t i = 0; i < obs_count; ++i) {
        if (sat.prn == obs[i].sat) {
          sat.snr = obs[i].snr[0];
          sat.snr2 = obs[i].snr[1];
          break;
        }
      }
    }
    MarkUsable(table);
    g.bits = 0;
    msg_flags |= g.message;
  }
}

}  // namespace KsParse
}  // namespace Kestrel
