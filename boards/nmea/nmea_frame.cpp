// The NMEA frame step shared by every adapter that reads NMEA: decides
// whether the collected sentence is complete, maps its identifier to a code
// and hands it to the decoder.
#include "boards/nmea/nmea_frame.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "boards/board_adapter.h"
#include "boards/nmea/nmea_scan.h"

namespace Kestrel {
namespace KsParse {

namespace {

// A sentence this long or longer is not NMEA (the standard allows 82 bytes;
// boards stay far below this).
constexpr std::uint32_t kTooLong = 301;

// Identifier characters packed into one number, first character in the
// high byte, so that the table below is a plain switch: the sentence type
// (three characters) first, then the talker (two).
template <std::size_t N>
constexpr std::uint32_t Key(const char (&id)[N]) {
  std::uint32_t key = 0;
  for (std::size_t i = 0; i + 1 < N; ++i) key = (key << 8) | static_cast<unsigned char>(id[i]);
  return key;
}

// The end of a sentence: its checksum marker, or the CR of "*hh\r" (three
// places after the last value byte) or the LF of "*hh\r\n". Positions are
// counted within the frame only.
bool SentenceEnded(const unsigned char* data, std::uint32_t length) {
  return std::memchr(data, '*', length) != nullptr ||
         std::memchr(data + 3, '\r', length - 3) != nullptr ||
         std::memchr(data + 4, '\n', length - 4) != nullptr;
}

// The value of every hexadecimal digit (either case); 0xFF for any other
// byte.
struct HexValues {
  std::uint8_t of[256];
};

constexpr HexValues MakeHexValues() {
  HexValues table{};
  for (int c = 0; c < 256; ++c) table.of[c] = 0xFF;
  for (int d = 0; d < 10; ++d) table.of['0' + d] = static_cast<std::uint8_t>(d);
  for (int d = 0; d < 6; ++d) table.of['A' + d] = table.of['a' + d] = static_cast<std::uint8_t>(10 + d);
  return table;
}
constexpr HexValues kHexValues = MakeHexValues();

// Whether the collected sentence is whole: no "$" before its end (a "$"
// there begins another sentence and means this one was cut short), and,
// when "*" and both check characters are held, the check characters spell
// the exclusive-or of the bytes between "$" and "*". A sentence without a
// checksum is taken unchecked, as boards that omit it send it; but a body
// byte outside printable ASCII, which no sentence holds, refuses it: noise
// that begins like a sentence and reaches a line end inside binary data is
// not decoded, and the frame holding that line end is not lost to it.
//
// One table lookup a byte classes it, and the check value is folded in the
// same pass; eight bytes at a time while none of them can be anything but
// body (every end and foreign byte lies below "+" or above "~").
struct BodyClasses {
  std::uint8_t of[256];
};
constexpr std::uint8_t kBody = 0, kEnd = 1, kForeign = 2;

constexpr BodyClasses MakeBodyClasses() {
  BodyClasses table{};
  for (int c = 0; c < 256; ++c) table.of[c] = c < 0x20 || c > 0x7E || c == '$' ? kForeign : kBody;
  table.of[static_cast<unsigned char>('*')] = table.of[static_cast<unsigned char>('\r')] =
      table.of[static_cast<unsigned char>('\n')] = kEnd;
  return table;
}
constexpr BodyClasses kBodyClasses = MakeBodyClasses();

}  // namespace

NmeaBody ScanNmeaBody(const unsigned char* data, std::uint32_t length) {
  NmeaScan::Bytes16 folded = NmeaScan::Bytes16::Zero();
  for (std::uint32_t i = 1; i < length; i += 16) {
    const NmeaScan::Bytes16 block(data + i);
    unsigned odd = block.Outside('+', '~');
    // Bytes past the length stop the body like an end would.
    if (length - i < 16) odd |= ~0u << (length - i);
    for (; odd != 0; odd &= odd - 1) {
      const unsigned k = NmeaScan::LowestBit(odd);
      const std::uint32_t at = i + k;
      const std::uint8_t cls = at < length ? kBodyClasses.of[data[at]] : kEnd;
      if (cls != kBody) return {at < length ? at : length, (folded ^ block.First(k)).Fold(), cls == kForeign};
    }
    folded = folded ^ block;
  }
  return {length, folded.Fold(), false};
}

bool NmeaCheckMatches(const unsigned char* hex, unsigned char folded) {
  const unsigned high = kHexValues.of[hex[0]];
  const unsigned low = kHexValues.of[hex[1]];
  return (high | low) <= 0x0F && ((high << 4) | low) == folded;
}

namespace {

bool SentenceIntact(const unsigned char* data, std::uint32_t length, const NmeaBody& body) {
  if (body.foreign) return false;
  const std::uint32_t end = body.stop;
  return end + 2 >= length || data[end] != '*' || NmeaCheckMatches(data + end + 1, body.folded);
}

// Whether the body scan's stop already shows the end SentenceEnded looks for.
bool EndedAt(const unsigned char* data, const NmeaBody& body, std::uint32_t length) {
  if (body.foreign || body.stop >= length) return false;
  const unsigned char c = data[body.stop];
  return c == '*' || (c == '\r' && body.stop >= 3) || (c == '\n' && body.stop >= 4);
}

}  // namespace

int NmeaSentenceCode(const unsigned char* id, unsigned available) {
  if (id == nullptr || available < 5) return NmeaCode::kUnknown;
  const std::uint32_t talker = (static_cast<std::uint32_t>(id[0]) << 8) | id[1];
  const std::uint32_t type = (static_cast<std::uint32_t>(id[2]) << 16) | (static_cast<std::uint32_t>(id[3]) << 8) | id[4];
  const bool gp = talker == Key("GP");
  const bool gn = talker == Key("GN");
  switch (type) {
    case Key("GGA"): return gp ? NmeaCode::kGpGga : gn ? NmeaCode::kGnGga : NmeaCode::kUnknown;
    case Key("GSA"): return gp ? NmeaCode::kGpGsa : gn ? NmeaCode::kGnGsa : NmeaCode::kUnknown;
    case Key("GST"): return gp ? NmeaCode::kGpGst : NmeaCode::kUnknown;
    case Key("GSV"):
      return gp ? NmeaCode::kGpGsv
             : talker == Key("GL") ? NmeaCode::kGlGsv
             : talker == Key("BD") ? NmeaCode::kBdGsv
                                   : NmeaCode::kUnknown;
    case Key("RMC"): return gp ? NmeaCode::kGpRmc : gn ? NmeaCode::kGnRmc : NmeaCode::kUnknown;
    case Key("ZDA"): return gp ? NmeaCode::kGpZda : NmeaCode::kUnknown;
    case Key("GLL"): return gn ? NmeaCode::kGnGll : NmeaCode::kUnknown;
    default: return NmeaCode::kUnknown;
  }
}

bool ProcessNmeaFrame(BoardAdapter& adapter) {
  FrameBuffer* frame = adapter.frame;
  if (frame == nullptr) return false;
  const std::uint32_t length = frame->length;
  if (length >= kTooLong) {
    frame->DropFalseStart(adapter.frame_starts);
    return false;
  }
  // Incomplete: wait for the checksum or the line end. The body scan
  // usually stops at that end; only otherwise is the sentence searched. An
  // engine that ran these checks itself on exactly these bytes says so.
  if (length <= 4) return false;
  if (!frame->checked) {
    const NmeaBody body = ScanNmeaBody(frame->data, length);
    if (!EndedAt(frame->data, body, length) && !SentenceEnded(frame->data, length)) return false;
    // A corrupted sentence is refused rather than decoded into wrong values.
    if (!SentenceIntact(frame->data, length, body)) {
      frame->DropFalseStart(adapter.frame_starts);
      return false;
    }
  }

  // The decoder copies what it needs, so it reads the frame in place; the
  // buffer is cleared only afterwards.
  DecodeCheckedNmea(adapter, frame->data, length);
  frame->Clear();
  return true;
}

bool DecodeCheckedNmea(BoardAdapter& adapter, const unsigned char* text, std::uint32_t length) {
  const int code = NmeaSentenceCode(text + 1, length - 1);
  if (adapter.decoder != nullptr) adapter.decoder->DecodeSentence(code, reinterpret_cast<const char*>(text), length);
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
