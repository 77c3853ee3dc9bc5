// Dispatch of Trimble packets by type, the replies kept as received, and the
// board's NMEA dispatch and GSV handler.
#include "boards/trimble/trimble_decoder.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "boards/nmea/nmea_sentence.h"
#include "boards/trimble/trimble_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

// Copies `n` of `available` bytes into `dest`, zero-filling what is missing.
void KeepPrefix(unsigned char* dest, unsigned n, const unsigned char* src, unsigned available) {
  const unsigned copied = std::min(n, available);
  std::memcpy(dest, src, copied);
  std::memset(dest + copied, 0, n - copied);
}

// A text number as a signal strength: values beyond the float range are
// held at its limits (a plain conversion would be undefined there).
float Snr(double v) { return static_cast<float>(std::fmax(-FLT_MAX, std::fmin(FLT_MAX, v))); }

constexpr unsigned kGsvFirstSatField = 4;
constexpr unsigned kGsvFieldsPerSat = 4;

}  // namespace

// The standard-receiver engine leaves the satellite-detail flag as the
// decoder starts it (on); the legacy engine turns it off.
TrimbleDecoder::TrimbleDecoder() { sat_detail = 1; }

bool TrimbleDecoder::DecodeMessage(const unsigned char* data, unsigned int type, unsigned int length) {
  using namespace Trimble;
  if (data == nullptr || length == 0) return false;
  // The packet must hold the data its length byte announces.
  if (length < kOverhead || data[kOffLength] + kOverhead > length) return false;
  last_type = type;
  last_length = length;
  msg_flags = 0;
  const unsigned n = data[kOffLength];
  const unsigned char* body = data + kOffData;
  switch (type) {
    case kTypeReply07:
    case kTypeReply09:
      KeepPrefix(reply_0709, kReply0709Size, data, length);
      return true;
    case kTypeGsof:
      DecodeGsofPage(data, n);
      return true;
    case kTypeElevMaskReply:
      KeepPrefix(elev_mask_reply, kElevMaskReplySize, body, n);
      for (unsigned at : {2u, 4u, 29u}) std::swap(elev_mask_reply[at], elev_mask_reply[at + 1]);
      elev_mask_reported = elev_mask_reply[0];
      msg_flags |= MsgBit::kElevMask;
      return true;
    case kTypeAck55:
    case kTypeAck57:
    case kTypeAck6E:
      return true;  // acknowledged, nothing to keep
    default:
      return false;
  }
}

// The GP sentences of the shared dispatch; the satellite sentences of both
// talkers go to this board's GSV handler, and only when NMEA parsing is on
// (the GSOF all-satellites record fills the tables otherwise). GN and BD
// sentences are not this board's.
bool TrimbleDecoder::DecodeSentence(int code, const char* text, unsigned int length) {
  if (text == nullptr || length < 1) return false;
  msg_flags = 0;
  switch (code) {
    case NmeaCode::kGpGga:
    case NmeaCode::kGpGsa:
    case NmeaCode::kGpGst:
    case NmeaCode::kGpRmc:
    case NmeaCode::kGpZda:
      return BoardDecoder::DecodeSentence(code, text, length);
    case NmeaCode::kGpGsv:
    case NmeaCode::kGlGsv:
      if (parse_nmea) OnGpsGsv(NmeaSentence(text, length));
      return true;
    default:
      return false;
  }
}

void TrimbleDecoder::OnGpsGsv(const NmeaSentence& s) {
  if (s.CommaCount() < 6) return;  // fewer than 7 fields
  const int total = s.Int(1);
  const int message = s.Int(2);
  // The first satellite's number picks the table for the whole sentence.
  const int first = s.Int(kGsvFirstSatField);
  SatTable* table = nullptr;
  if (first >= 1 && first <= 32) {
    table = &tables[kTableGps];
  } else if (first >= 33 && first <= 64) {
    table = &tables[kTableSbas];
  } else if (first >= 65 && first <= 96) {
    table = &tables[kTableGlonass];
  }
  if (message == 1) {
    for (unsigned t : {kTableGps, kTableGlonass, kTableBeidou, kTableSbas}) {
      std::memset(static_cast<void*>(tables[t].sats), 0, sizeof tables[t].sats);
      tables[t].count = 0;
    }
  }
  if (table != nullptr) {
    const unsigned groups = (s.FieldCount() - 3) / kGsvFieldsPerSat;
    for (unsigned g = 0; g < groups && table->count < SatTable::kCapacity; ++g) {
      const unsigned field = kGsvFirstSatField + g * kGsvFieldsPerSat;
      SATLLITE_STR& sat = table->sats[table->count++];
      sat.prn = s.Int(field);
      sat.elevation = s.Int(field + 1);
      sat.azimuth = static_cast<std::uint16_t>(s.Int(field + 2));
      sat.snr = Snr(s.Double(field + 3));
    }
  }
  if (message < total) return;
  if (gps_sat_hold) {
    gps_sat_bits |= 0x8;
    return;
  }
  if (tables[kTableGps].count != 0) msg_flags |= MsgBit::kGpsSats;
  if (tables[kTableGlonass].count != 0) msg_flags |= MsgBit::kGlonassSats;
  if (tables[kTableSbas].count != 0) msg_flags |= MsgBit::kFourthSats;
}

}  // namespace KsParse
}  // namespace Kestrel
