// Message 1004: extended L1/L2 GPS (and SBAS) observations. Each 125-bit
// satellite block becomes one record of the caller's observation array, with
// carrier phases kept continuous across messages and loss of lock derived
// from the lock-time indicators.
#include <ksparse/rtcm.h>

#include "rtcm/bit_field.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr unsigned kHeaderBits = 24 + 64;  // frame header + message header
constexpr unsigned kBlockBits = 125;

constexpr double kLightMillisecond = 299792.458;        // pseudorange ambiguity, metres
constexpr double kPseudorangeUnit = 0.02;               // metres
constexpr double kL1CyclesPerMetre = 5.2550354685707275;   // 1575.42 MHz / c
constexpr double kL2CyclesPerMetre = 4.094832832652515;    // 1227.60 MHz / c
constexpr double kL1PhaseUnit = 0.0026275177342853636;     // 0.0005 m in L1 cycles
constexpr double kL2PhaseUnit = 0.0020474164163262576;     // 0.0005 m in L2 cycles

constexpr std::int64_t kInvalidPhaseRange = -524288;  // 20-bit 0x80000
constexpr std::int64_t kInvalidL2Range = -8192;       // 14-bit 0x2000

constexpr double kHalfPhaseStep = 750.0;   // cycles
constexpr double kPhaseStep = 1500.0;

// Satellite number of a 1004 PRN field: GPS 1-32 as is, SBAS 120-138 (field
// 40-58) as 92-110; 0 for anything else.
unsigned SatelliteNumber(unsigned prn) {
  if (prn < 40) return (prn >= 1 && prn <= 32) ? prn : 0;
  const unsigned sbas = prn + 80;
  return sbas <= 138 ? sbas - 28 : 0;
}

// Signal strength as stored in snr: dB-Hz x 4, rounded, from the field's
// 0.25 dB-Hz units; 0 for a zero (not measured) field.
std::uint8_t Strength(unsigned cnr) {
  const double dbhz = cnr * 0.25;
  if (dbhz <= 0.0 || dbhz >= 255.5) return 0;
  return static_cast<std::uint8_t>(dbhz * 4.0 + 0.5);
}

}  // namespace

double Em_TrsMtPrlRTCM::AdjustPhase(unsigned satellite, unsigned frequency, double cp) {
  double& stored = phase_[satellite - 1][frequency];
  if (stored != 0.0) {
    if (cp < stored - kHalfPhaseStep) {
      cp += kPhaseStep;
    } else if (cp > stored + kHalfPhaseStep) {
      cp -= kPhaseStep;
    }
  }
  stored = cp;
  return cp;
}

std::uint8_t Em_TrsMtPrlRTCM::LossOfLock(unsigned satellite, unsigned frequency, unsigned lock) {
  std::uint8_t& stored = lock_[satellite - 1][frequency];
  const int drop = static_cast<int>(stored) - static_cast<int>(lock);
  stored = static_cast<std::uint8_t>(lock);
  return static_cast<int>(lock) < drop ? 1 : 0;
}

bool Em_TrsMtPrlRTCM::Decode_type1004(const unsigned char* data, unsigned int length) {
  if (data == nullptr || obs_ == nullptr || obs_->data == nullptr) return true;
  const std::uint64_t bits = Rtcm::FrameBits(length);
  // The message header (station, time, flags, satellite count, smoothing) is
  // not needed: blocks are taken while they fit in the frame.
  unsigned r = 0;
  for (std::uint64_t b = kHeaderBits; b + kBlockBits <= bits; b += kBlockBits) {
    const unsigned sat = SatelliteNumber(static_cast<unsigned>(Rtcm::ReadUnsigned(data, b, 6)));
    if (sat == 0) continue;
    // The array's capacity bounds the output; blocks beyond it are dropped
    // without touching the phase or lock state.
    if (r >= obs_->nmax) break;
    const unsigned code1 = static_cast<unsigned>(Rtcm::ReadUnsigned(data, b + 6, 1));
    const std::uint64_t pr1 = Rtcm::ReadUnsigned(data, b + 7, 24);
    const std::int64_t ppr1 = Rtcm::ReadSigned(data, b + 31, 20);
    const unsigned lock1 = static_cast<unsigned>(Rtcm::ReadUnsigned(data, b + 51, 7));
    const std::uint64_t amb = Rtcm::ReadUnsigned(data, b + 58, 8);
    const unsigned cnr1 = static_cast<unsigned>(Rtcm::ReadUnsigned(data, b + 66, 8));
    const unsigned code2 = static_cast<unsigned>(Rtcm::ReadUnsigned(data, b + 74, 2));
    const std::int64_t pr21 = Rtcm::ReadSigned(data, b + 76, 14);
    const std::int64_t ppr2 = Rtcm::ReadSigned(data, b + 90, 20);
    const unsigned lock2 = static_cast<unsigned>(Rtcm::ReadUnsigned(data, b + 110, 7));
    const unsigned cnr2 = static_cast<unsigned>(Rtcm::ReadUnsigned(data, b + 117, 8));

    em_obsd_t& rec = obs_->data[r++];
    const double p1 = static_cast<double>(amb) * kLightMillisecond + static_cast<double>(pr1) * kPseudorangeUnit;
    // Fields carrying their invalid marker leave the record's value as it was.
    if (ppr1 != kInvalidPhaseRange) {
      rec.p[0] = p1;
      rec.l[0] = p1 * kL1CyclesPerMetre + AdjustPhase(sat, 0, static_cast<double>(ppr1) * kL1PhaseUnit);
    }
    rec.lli[0] = LossOfLock(sat, 0, lock1);
    rec.snr[0] = Strength(cnr1);
    rec.code[0] = code1 ? 2 : 1;  // L1 P code (1P), else C/A (1C)
    if (pr21 != kInvalidL2Range) rec.p[1] = p1 + static_cast<double>(pr21) * kPseudorangeUnit;
    if (ppr2 != kInvalidPhaseRange) {
      rec.l[1] = p1 * kL2CyclesPerMetre + AdjustPhase(sat, 1, static_cast<double>(ppr2) * kL2PhaseUnit);
    }
    rec.lli[1] = LossOfLock(sat, 1, lock2);
    rec.snr[1] = Strength(cnr2);
    rec.code[1] = code2 ? 19 : 14;  // L2 P(Y), any tracking mode (2P), else C/A (2C)
  }
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
