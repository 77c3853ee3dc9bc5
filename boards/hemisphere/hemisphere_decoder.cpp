// First-generation Hemisphere binary messages: position, DOPs and satellite
// masks, channel diagnostics.
#include "boards/hemisphere/hemisphere_decoder.h"

#include <bitset>

#include "boards/hemisphere/hemisphere_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kDopScale = 0.1;  // DOPs are sent in tenths

// Channel record fields.
constexpr unsigned kChSv = 1;
constexpr unsigned kChStatus = 2;
constexpr unsigned kChElevation = 8;
constexpr unsigned kChAzimuth = 9;  // in units of 2 degrees
constexpr unsigned char kStatusUsable = 0x40;
constexpr unsigned kMaxSv = 37;

// gps_sat_bits: the shared GSV handler completed a held GPS group.
constexpr std::uint32_t kGpsGroupDone = 0x8;

std::uint32_t Bits(std::uint32_t mask) { return static_cast<std::uint32_t>(std::bitset<32>(mask).count()); }

}  // namespace

bool Hemisphere1Decoder::DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) {
  if (data == nullptr || id == 0 || length == 0) return false;
  const Hemisphere::BinMessage m = Hemisphere::BinData(data, length);
  if (m.data == nullptr) return false;
  msg_flags = 0;
  switch (id) {
    case kIdPosition:
      if (m.length < kPositionSize) return false;
      sats_used = m.data[1];
      latitude = Hemisphere::F64(m.data + 12) * kDegToRad;
      longitude = Hemisphere::F64(m.data + 20) * kDegToRad;
      height = Hemisphere::F32(m.data + 28);
      msg_flags = MsgBit::kNmeaPosition;
      return true;
    case kIdDops:
      if (m.length < kDopsSize) return false;
      sats_tracked = Bits(Hemisphere::U32(m.data));
      sats_used = Bits(Hemisphere::U32(m.data + 4));
      hdop = Hemisphere::U16(m.data + 10) * kDopScale;
      vdop = Hemisphere::U16(m.data + 12) * kDopScale;
      return true;
    case kIdChannels:
      if (m.length < kChannelsSize) return false;
      DecodeChannels(m.data);
      return true;
    default:
      return true;  // a message this decoder does not use
  }
}

void Hemisphere1Decoder::DecodeChannels(const unsigned char* data) {
  channels.count = 0;
  for (unsigned c = 0; c < kChannelCount; ++c) {
    const unsigned char* rec = data + kChannelsOffset + c * kChannelSize;
    const unsigned sv = rec[kChSv];
    if (sv < 1 || sv > kMaxSv) continue;  // an idle channel
    SATLLITE_STR& s = channels.sats[channels.count++];
    s = SATLLITE_STR{};
    s.prn = static_cast<std::int32_t>(sv);
    s.elevation = static_cast<signed char>(rec[kChElevation]);
    s.azimuth = static_cast<std::uint16_t>(rec[kChAzimuth] * 2);
    s.status = (rec[kChStatus] & kStatusUsable) != 0 ? 1 : 0;
  }
  if (gps_sat_hold) {
    // The GSV group holds the satellites in view; the channels say which
    // of them the receiver uses. Merge once the group is complete.
    if ((gps_sat_bits & kGpsGroupDone) == 0) return;
    SatTable& gps = tables[kTableGps];
    const std::uint32_t n = gps.count < SatTable::kCapacity ? gps.count : SatTable::kCapacity;
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t usable = 0;  // not in a channel: not used
      for (std::uint32_t k = 0; k < channels.count; ++k) {
        if (channels.sats[k].prn == gps.sats[i].prn) usable = channels.sats[k].status;
      }
      gps.sats[i].status = usable;
    }
    gps_sat_bits = 0;
  }
  msg_flags |= MsgBit::kGpsSats;
}

}  // namespace KsParse
}  // namespace Kestrel
