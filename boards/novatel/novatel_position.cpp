// Position (BESTPOS), dilution of precision with the elevation cut-off
// (PSRDOP) and the base station (REFSTATION).
#include <cmath>
#include <cstring>

#include "boards/gnss_utils.h"
#include "boards/novatel/novatel_decoder.h"
#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr double kDegToRad = 0.017453292519943295;

// BESTPOS position types.
constexpr std::uint32_t kPosNone = 0;
constexpr std::uint32_t kPosFixed = 1;
constexpr std::uint32_t kPosSingle = 16;
constexpr std::uint32_t kPosPsrDiff = 17;
constexpr std::uint32_t kPosSbas = 18;

// The internal solution code for a position type; `previous` stands where
// the type leaves the code as it was.
std::uint32_t SolutionCode(std::uint32_t type, std::uint32_t status, double age,
                           std::uint32_t previous) {
  switch (type) {
    case kPosNone: return age == 60.0 ? previous : 3;
    case kPosFixed: return status == 0 || status == 13 ? 1 : 2;
    case kPosSingle: return 4;
    case kPosPsrDiff: return 5;
    case kPosSbas: return 7;
    case 19:
    case 20: return previous;
    case 32:
    case 33:
    case 34: return age > 20.0 ? 4 : 6;  // float ambiguities
    case 48:
    case 49:
    case 50: return age > 20.0 ? 4 : 11;  // fixed ambiguities
    default: return 0;
  }
}

// The signals-used mask byte to the decoder's signal bits.
std::uint32_t SignalBits(std::uint8_t mask) {
  std::uint32_t bits = 0;
  if ((mask & 0x01) != 0) bits |= 0x10000000;
  if ((mask & 0x02) != 0) bits |= 0x20000000;
  if ((mask & 0x04) != 0) bits |= 0x40000000;
  if ((mask & 0x10) != 0) bits |= 0x80000000;
  if ((mask & 0x20) != 0) bits |= 0x1000000;
  return bits;
}

// Change bits of a position log. Three of them are the bits that GGA, GST
// and RMC raise in an NMEA epoch: the position, its precision and its time.
constexpr std::uint32_t kSatCountsBit = 0x40000000;
constexpr std::uint32_t kBestPosBit = 0x10000;
constexpr std::uint32_t kFixPosition = MsgBit::kNmeaPosition;
constexpr std::uint32_t kFixPrecision = MsgBit::kGstSeen;
constexpr std::uint32_t kFixTime = MsgBit::kRmcSeen;

}  // namespace

void NovAtelDecoder::DecodeBestPos(const unsigned char* header, const unsigned char* body, unsigned) {
  using namespace NovAtel;
  sats_tracked = body[64];
  sats_in_solution = body[65];
  msg_flags |= kSatCountsBit;

  week = U16(header + kOffWeek);
  week_seconds = U32(header + kOffMilliseconds) / 1000u;
  SetCalendarFromGps(week, week_seconds);
  msg_flags |= kFixTime;

  const double lat_sigma = F32(body + 40);
  const double lon_sigma = F32(body + 44);
  sigma_horizontal = std::hypot(lat_sigma, lon_sigma);
  sigma_vertical = F32(body + 48);
  rms = 0.68 * sigma_horizontal;

  latitude = F64(body + 8) * kDegToRad;
  longitude = F64(body + 16) * kDegToRad;
  height = F64(body + 24) + F32(body + 32);  // plus undulation: ellipsoidal
  msg_flags |= kFixPrecision | kFixPosition;
  diff_age = F32(body + 56);

  solution_code = SolutionCode(U32(body + 4), U32(body + 0), diff_age, solution_code);
  msg_flags |= MsgBit::kSolution;
  signals_used = SignalBits(body[71]);

  msg_flags |= kBestPosBit;
  constexpr std::uint32_t kComplete = kFixPosition | kFixPrecision | kFixTime;
  if ((msg_flags & kComplete) == kComplete) msg_flags |= MsgBit::kPosition;
}

bool NovAtelDecoder::DecodePsrDop(const unsigned char* body, unsigned size) {
  using namespace NovAtel;
  if (size < kPsrDopSize) return false;
  std::memcpy(psrdop_body, body, kPsrDopSize);
  gdop = F32(body + 0);
  pdop = F32(body + 4);
  hdop = F32(body + 8);
  tdop = F32(body + 16);
  // A PDOP below the HDOP would leave no vertical part: VDOP 0.
  const double v2 = pdop * pdop - hdop * hdop;
  vdop = v2 > 0.0 ? std::sqrt(v2) : 0.0;
  elev_mask_reported = static_cast<std::uint32_t>(TruncToInt(F32(body + 20)));
  msg_flags |= MsgBit::kDop | MsgBit::kElevMask;
  return true;
}

bool NovAtelDecoder::DecodeRefStation(const unsigned char* frame, unsigned size) {
  using namespace NovAtel;
  constexpr unsigned kXyzEnd = 28;  // status, then X, Y, Z as f64
  if (size < kXyzEnd) return false;
  KeepBytes(refstation_raw, kRefStationSize, frame, kHeaderLength + size);
  const unsigned char* body = frame + kHeaderLength;
  base_info.x = F64(body + 4);
  base_info.y = F64(body + 12);
  base_info.z = F64(body + 20);
  msg_flags |= MsgBit::kBaseInfo;
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
