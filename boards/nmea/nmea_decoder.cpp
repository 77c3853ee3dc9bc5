// Shared NMEA sentence handlers of the board decoders: dispatch by sentence
// code, position (GGA), precision (GST), DOP (GSA), motion and date (RMC) and
// date (ZDA). The satellite handlers are in nmea_gsv.cpp.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "boards/board_decoder.h"
#include "boards/nmea/nmea_sentence.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr double kDegToRad = 0.017453292519943295;        // pi / 180
constexpr double kArcMinToRad = 0.0002908882086657216;    // pi / 10800

unsigned Min(unsigned a, unsigned b) { return a < b ? a : b; }

// Time field "hhmmss.ss": the hour is shifted by the caller's time zone and
// deliberately not wrapped into 0..23 (nor is the date moved). Parts that the
// field does not hold read as 0.
void ReadTime(BoardDecoder& d, const NmeaSentence& s, unsigned k) {
  const unsigned n = s.FieldLength(k);
  d.hour = static_cast<std::uint32_t>(static_cast<std::int64_t>(s.IntAt(k, 0, 2)) + d.time_zone);
  d.minute = static_cast<std::uint32_t>(n > 2 ? s.IntAt(k, 2, Min(n - 2, 2)) : 0);
  d.second = n > 4 ? s.DoubleAt(k, 4, Min(n - 4, 5)) : 0.0;
}

// "ddmm.mmmm" / "dddmm.mmmm" with `degree_digits` degree characters, in
// radians (the field holds at least that many).
double ReadAngle(const NmeaSentence& s, unsigned k, unsigned degree_digits) {
  return s.IntAt(k, 0, degree_digits) * kDegToRad + s.DoubleFrom(k, degree_digits) * kArcMinToRad;
}

// The hemisphere field negates unless it is empty or the positive letter.
bool Negative(const NmeaSentence& s, unsigned k, char positive) {
  const char c = s.Field(k)[0];
  return c != '\0' && c != positive && c != positive + ('a' - 'A');
}

}  // namespace

bool BoardDecoder::DecodeSentence(int code, const char* text, unsigned int length) {
  if (text == nullptr || length < 1) return false;
  msg_flags = 0;
  switch (code) {
    case NmeaCode::kGpGga:
    case NmeaCode::kGnGga: OnGga(NmeaSentence(text, length)); return true;
    case NmeaCode::kGpGsa:
    case NmeaCode::kGnGsa: OnGsa(NmeaSentence(text, length)); return true;
    case NmeaCode::kGpGst: OnGst(NmeaSentence(text, length)); return true;
    case NmeaCode::kGpGsv: OnGpsGsv(NmeaSentence(text, length)); return true;
    case NmeaCode::kGpRmc:
    case NmeaCode::kGnRmc: OnRmc(NmeaSentence(text, length)); return true;
    case NmeaCode::kGpZda: OnZda(NmeaSentence(text, length)); return true;
    case NmeaCode::kGlGsv: OnGlonassGsv(NmeaSentence(text, length)); return true;
    case NmeaCode::kBdGsv: OnBeidouGsv(NmeaSentence(text, length)); return true;
    case NmeaCode::kGnGll: return true;  // accepted, nothing stored
    default: return false;
  }
}

void BoardDecoder::ReadGgaFields(const NmeaSentence& s) {
  if (s.FieldLength(1) >= 2) ReadTime(*this, s, 1);
  // An empty coordinate leaves the stored one alone; its hemisphere letter
  // then has nothing to apply to (negating the old value would flip it at
  // every sentence).
  if (s.FieldLength(2) >= 2) {
    const double lat = ReadAngle(s, 2, 2);
    latitude = Negative(s, 3, 'N') ? -lat : lat;
  }
  if (s.FieldLength(4) >= 3) {
    const double lon = ReadAngle(s, 4, 3);
    longitude = Negative(s, 5, 'E') ? -lon : lon;
  }
  SetSolutionCode(s.Field(6));
  if (!s.Empty(7)) sats_used = static_cast<std::uint32_t>(s.Int(7));
  // Field 8 (HDOP) comes from GSA instead. The ellipsoidal height is the
  // altitude plus the geoid separation; without an altitude the stored
  // height stays (adding the separation to it would drift).
  if (!s.Empty(9)) height = s.Double(9) + (s.Empty(11) ? 0.0 : s.Double(11));
  diff_age = s.Empty(13) ? -1.0 : s.Double(13);
}

void BoardDecoder::KeepGgaText(const NmeaSentence& s) {
  // The sentence is at most NmeaSentence::kMaxLength bytes, well inside the
  // text area; the terminating NUL is for readers that treat it as a string.
  std::memcpy(gga_text, s.Text(), s.Length());
  gga_text[s.Length()] = '\0';
  gga_length = s.Length();
  msg_flags |= MsgBit::kGgaText;
}

void BoardDecoder::OnGga(const NmeaSentence& s) {
  ReadGgaFields(s);

  // Epoch bookkeeping: a GGA after an RMC completes the pair.
  if (nmea_seen & NmeaSeen::kRmc) nmea_seen |= NmeaSeen::kGgaAfterRmc;
  if ((nmea_seen & NmeaSeen::kGst) && parse_nmea) msg_flags |= MsgBit::kGstSeen;
  if ((nmea_seen & NmeaSeen::kRmc) && (nmea_seen & NmeaSeen::kGgaAfterRmc)) {
    nmea_seen = 0;
    if (parse_nmea) msg_flags |= MsgBit::kRmcSeen;
  }
  if (parse_nmea) msg_flags |= MsgBit::kNmeaPosition | MsgBit::kSolution;
  constexpr std::uint32_t kEpoch =
      MsgBit::kNmeaPosition | MsgBit::kGstSeen | MsgBit::kRmcSeen | MsgBit::kSolution;
  if ((msg_flags & kEpoch) == kEpoch) msg_flags |= MsgBit::kPosition;

  KeepGgaText(s);
}

void BoardDecoder::OnGst(const NmeaSentence& s) {
  if (s.Length() < 7) return;
  // Field 1 is the time, fields 3 to 5 the error ellipse.
  if (!s.Empty(2)) rms = s.Double(2);
  if (!s.Empty(6)) sigma_lat = s.Double(6);
  if (!s.Empty(7)) sigma_lon = s.Double(7);
  if (!s.Empty(8)) sigma_vertical = s.Double(8);
  sigma_horizontal = std::hypot(sigma_lat, sigma_lon);
  nmea_seen |= NmeaSeen::kGst;
}

void BoardDecoder::OnGsa(const NmeaSentence& s) {
  if (!s.Empty(1)) fix_mode = static_cast<unsigned char>(s.Field(1)[0]);
  if (!s.Empty(2)) fix_type = static_cast<std::uint32_t>(s.Int(2));
  for (unsigned i = 0; i < 12; ++i) used_prn[i] = static_cast<std::uint32_t>(s.Int(3 + i));
  if (!s.Empty(15)) pdop = s.Double(15);
  if (!s.Empty(16)) hdop = s.Double(16);
  if (!s.Empty(17)) vdop = s.Double(17);
  tdop = 0;
  gdop = 0;
  if (parse_nmea) msg_flags |= MsgBit::kDop;
}

void BoardDecoder::OnRmc(const NmeaSentence& s) {
  if (s.FieldLength(1) > 6) ReadTime(*this, s, 1);
  // Fields 2 to 6 (status and position) are not used: GGA gives the position.
  if (!s.Empty(7)) speed_knots = s.Double(7);
  if (!s.Empty(8)) course = s.Double(8) * kDegToRad;
  if (s.FieldLength(9) >= 3) {
    const int date = s.Int(9);  // ddmmyy
    day = static_cast<std::uint32_t>(date / 10000);
    month = static_cast<std::uint32_t>((date / 100) % 100);
    year = static_cast<std::uint32_t>(date % 100 + 2000);
  }
  nmea_seen |= NmeaSeen::kRmc;
  msg_flags |= MsgBit::kRmc;
}

void BoardDecoder::OnZda(const NmeaSentence& s) {
  if (s.FieldLength(1) >= 2) ReadTime(*this, s, 1);
  if (!s.Empty(2)) day = static_cast<std::uint32_t>(s.Int(2));
  if (!s.Empty(3)) month = static_cast<std::uint32_t>(s.Int(3));
  if (!s.Empty(4)) year = static_cast<std::uint32_t>(s.Int(4));
}

}  // namespace KsParse
}  // namespace Kestrel
