// Second-generation Hemisphere decoding: time and DOPs (message 3), the
// base position reply, and the NMEA epoch of these boards, which GGA, RMC
// and GST make up in that order.
#include <cmath>
#include <cstring>

#include "boards/gnss_utils.h"
#include "boards/hemisphere/hemisphere_decoder.h"
#include "boards/hemisphere/hemisphere_wire.h"
#include "boards/nmea/nmea_sentence.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr double kDegToRad = 0.017453292519943295;

// Seconds of week as the whole number the position record carries; a value
// that is no time of week (NaN, negative, too large) gives 0.
std::uint32_t WholeSeconds(double v) {
  return v >= 0.0 && v < 4294967296.0 ? static_cast<std::uint32_t>(v) : 0;
}

// Reply fields: number, latitude, longitude, height.
constexpr unsigned kJrtkNumber = 1;
constexpr unsigned kJrtkLatitude = 2;
constexpr unsigned kJrtkLongitude = 3;
constexpr unsigned kJrtkHeight = 4;

}  // namespace

bool Hemisphere2Decoder::DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) {
  if (data == nullptr || id == 0 || length == 0) return false;
  const Hemisphere::BinMessage m = Hemisphere::BinData(data, length);
  if (m.data == nullptr) return false;
  msg_flags = 0;
  if (id != kIdTimeDops) return true;  // a message this decoder does not use
  if (m.length < kTimeDopsSize) return false;
  const std::uint32_t seconds = WholeSeconds(Hemisphere::F64(m.data));
  week_seconds = seconds;
  week = Hemisphere::U16(m.data + 8);
  // The GPS time also goes to the application with the position record.
  status_word = seconds;
  extra_word = static_cast<std::uint16_t>(week);
  hdop = Hemisphere::F32(m.data + 80);
  vdop = Hemisphere::F32(m.data + 84);
  pdop = std::hypot(hdop, vdop);
  tdop = Hemisphere::F32(m.data + 88);
  gdop = std::hypot(pdop, tdop);
  msg_flags |= MsgBit::kDop;
  return true;
}

void Hemisphere2Decoder::SetSolutionCode(const char* field) {
  if (field == nullptr || field[0] == '\0') return;  // no quality: nothing seen
  switch (field[0]) {
    case '2': solution_code = 10; break;
    case '4': solution_code = 11; break;
    case '5': solution_code = 6; break;
    default: solution_code = 4; break;
  }
  epoch_seen |= kSeenQuality;
  if (parse_nmea) msg_flags |= MsgBit::kSolution;
}

void Hemisphere2Decoder::OnGga(const NmeaSentence& s) {
  ReadGgaFields(s);
  epoch_seen |= kSeenGga;
  if (parse_nmea) msg_flags |= MsgBit::kNmeaPosition;
  KeepGgaText(s);
}

void Hemisphere2Decoder::OnRmc(const NmeaSentence& s) {
  BoardDecoder::OnRmc(s);
  // Speed and course make the epoch's motion.
  if (parse_nmea && !s.Empty(7) && !s.Empty(8)) {
    epoch_seen |= kSeenMotion;
    msg_flags |= MsgBit::kRmcSeen;
  }
}

void Hemisphere2Decoder::OnGst(const NmeaSentence& s) {
  if (s.Length() < 7) return;  // no fields: not a precision report
  BoardDecoder::OnGst(s);
  if (!parse_nmea) return;
  msg_flags |= MsgBit::kGstSeen;
  constexpr std::uint32_t kEpoch = kSeenGga | kSeenQuality | kSeenMotion;
  if ((epoch_seen & kEpoch) == kEpoch) {
    msg_flags |= MsgBit::kPosition;
    epoch_seen = 0;
  }
}

bool Hemisphere2Decoder::ParseJrtkReply(const unsigned char* text, std::uint32_t n) {
  msg_flags = 0;
  const NmeaSentence s(reinterpret_cast<const char*>(text), n);
  if (std::strcmp(s.Field(kJrtkNumber), "17") != 0) return false;
  if (s.Empty(kJrtkLatitude) || s.Empty(kJrtkLongitude) || s.Empty(kJrtkHeight)) return false;
  const double latitude = s.Double(kJrtkLatitude);
  const double longitude = s.Double(kJrtkLongitude);
  const double height = s.Double(kJrtkHeight);
  // Written so that NaN fails too.
  if (!(latitude >= -90.0 && latitude <= 90.0) || !(longitude >= -180.0 && longitude <= 180.0) ||
      !std::isfinite(height))
    return false;
  double xyz[3];
  Gnss::GeodeticToEcef(latitude * kDegToRad, longitude * kDegToRad, height, xyz);
  base_info.x = xyz[0];
  base_info.y = xyz[1];
  base_info.z = xyz[2];
  msg_flags |= MsgBit::kBaseInfo;
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
