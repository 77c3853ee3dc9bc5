// The NMEA frame step shared by every adapter that reads NMEA: decides
// whether the collected sentence is complete, maps its identifier to a code
// and hands it to the decoder.
#include "boards/nmea/nmea_frame.h"

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

// The five identifier characters packed into one number, first character in
// the high byte, so that the table below is a plain switch.
constexpr std::uint64_t Key(const char (&id)[6]) {
  std::uint64_t key = 0;
  for (int i = 0; i < 5; ++i) key = (key << 8) | static_cast<unsigned char>(id[i]);
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

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

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

// The body from index 1 up to its first end or foreign byte (`stop`, or
// the length when there is none) and the exclusive-or of its bytes.
struct Body {
  std::uint32_t stop;
  unsigned char folded;
  bool foreign;
};

Body ScanBody(const unsigned char* data, std::uint32_t length) {
  std::uint32_t i = 1;
  NmeaScan::Word words = 0;
  unsigned char folded = 0;
  for (;;) {
    for (; i + 8 <= length; i += 8) {
      const NmeaScan::Word w = NmeaScan::Load(data + i);
      if (NmeaScan::AnyOutside(w, '+')) break;
      words ^= w;
    }
    const std::uint32_t stop = i + 8 < length ? i + 8 : length;
    for (; i < stop; ++i) {
      const std::uint8_t cls = kBodyClasses.of[data[i]];
      if (cls != kBody) return {i, static_cast<unsigned char>(folded ^ NmeaScan::Fold(words)), cls == kForeign};
      folded ^= data[i];
    }
    if (i >= length) return {length, static_cast<unsigned char>(folded ^ NmeaScan::Fold(words)), false};
  }
}

bool SentenceIntact(const unsigned char* data, std::uint32_t length, const Body& body) {
  if (body.foreign) return false;
  const std::uint32_t end = body.stop;
  if (end + 2 >= length || data[end] != '*') return true;
  const int high = HexDigit(data[end + 1]);
  const int low = HexDigit(data[end + 2]);
  return high >= 0 && low >= 0 && ((high << 4) | low) == body.folded;
}

// Whether the body scan's stop already shows the end SentenceEnded looks for.
bool EndedAt(const unsigned char* data, const Body& body, std::uint32_t length) {
  if (body.foreign || body.stop >= length) return false;
  const unsigned char c = data[body.stop];
  return c == '*' || (c == '\r' && body.stop >= 3) || (c == '\n' && body.stop >= 4);
}

}  // namespace

int NmeaSentenceCode(const unsigned char* id, unsigned available) {
  if (id == nullptr || available < 5) return NmeaCode::kUnknown;
  std::uint64_t key = 0;
  for (int i = 0; i < 5; ++i) key = (key << 8) | id[i];
  switch (key) {
    case Key("GPGGA"): return NmeaCode::kGpGga;
    case Key("GPGSA"): return NmeaCode::kGpGsa;
    case Key("GPGST"): return NmeaCode::kGpGst;
    case Key("GPGSV"): return NmeaCode::kGpGsv;
    case Key("GPRMC"): return NmeaCode::kGpRmc;
    case Key("GPZDA"): return NmeaCode::kGpZda;
    case Key("GLGSV"): return NmeaCode::kGlGsv;
    case Key("GNGGA"): return NmeaCode::kGnGga;
    case Key("GNGLL"): return NmeaCode::kGnGll;
    case Key("GNGSA"): return NmeaCode::kGnGsa;
    case Key("GNRMC"): return NmeaCode::kGnRmc;
    case Key("BDGSV"): return NmeaCode::kBdGsv;
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
  // usually stops at that end; only otherwise is the sentence searched.
  if (length <= 4) return false;
  const Body body = ScanBody(frame->data, length);
  if (!EndedAt(frame->data, body, length) && !SentenceEnded(frame->data, length)) return false;
  // A corrupted sentence is refused rather than decoded into wrong values.
  if (!SentenceIntact(frame->data, length, body)) {
    frame->DropFalseStart(adapter.frame_starts);
    return false;
  }

  // The decoder copies what it needs, so it reads the frame in place; the
  // buffer is cleared only afterwards.
  const int code = NmeaSentenceCode(frame->data + 1, length - 1);
  if (adapter.decoder != nullptr)
    adapter.decoder->DecodeSentence(code, reinterpret_cast<const char*>(frame->data), length);
  frame->Clear();
  return true;
}

}  // namespace KsParse
}  // namespace Kestrel
