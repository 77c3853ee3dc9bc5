// The NMEA frame step shared by every adapter that reads NMEA: decides
// whether the collected sentence is complete, maps its identifier to a code
// and hands it to the decoder.
#include "boards/nmea/nmea_frame.h"

#include <cstdint>
#include <cstring>

#include "boards/board_adapter.h"

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
    frame->Clear();
    return false;
  }
  // Incomplete: wait for the checksum or the line end.
  if (length <= 4 || !SentenceEnded(frame->data, length)) return false;

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
