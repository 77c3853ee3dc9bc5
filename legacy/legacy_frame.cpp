#include "legacy/legacy_frame.h"

#include <cstdio>
#include <cstring>

#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {
namespace Legacy {
namespace {

constexpr unsigned char kDollar = 0x24;
constexpr unsigned int kRecordBytes = sizeof(_STR_CMD::buf);

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads a signed decimal number as the C library does (leading white space,
// optional sign), keeping its low 32 bits: that is all a field can carry, and
// a value written with "%u" keeps its bit pattern. False when no digit
// follows; such a field is skipped, which is this encoder's choice for text
// that is not a number.
bool ReadNumber(const char* s, std::uint32_t* value) {
  while (IsSpace(*s)) ++s;
  const bool negative = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  if (*s < '0' || *s > '9') return false;
  std::uint32_t v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) v = v * 10u + static_cast<std::uint32_t>(*s - '0');
  *value = negative ? 0u - v : v;
  return true;
}

// Width in bytes of a numeric field letter, 0 for any other character.
unsigned int FieldWidth(char letter) {
  switch (letter) {
    case 'B': case 'b': return 1;
    case 'M': case 'm': case 'W': case 'w': return 2;
    case 'L': case 'l': return 4;
    default: return 0;
  }
}

void WriteField(unsigned char* at, char letter, std::uint32_t v) {
  switch (letter) {
    case 'B': case 'b':
      at[0] = static_cast<unsigned char>(v);
      break;
    case 'M': case 'm':  // most significant byte first
      at[0] = static_cast<unsigned char>(v >> 8);
      at[1] = static_cast<unsigned char>(v);
      break;
    case 'W': case 'w':  // least significant byte first
      at[0] = static_cast<unsigned char>(v);
      at[1] = static_cast<unsigned char>(v >> 8);
      break;
    default:  // 'L': 32 bits, least significant byte first
      for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
      break;
  }
}

unsigned char Xor(const unsigned char* bytes, std::size_t count) {
  unsigned char x = 0;
  for (std::size_t i = 0; i < count; ++i) x ^= bytes[i];
  return x;
}

// Cuts `length` bytes into records of at most 55 bytes, each with `wait`,
// and hands each to `frame` in order.
template <class Frame>
void ForEachPiece(const unsigned char* bytes, std::size_t length, std::uint32_t wait, Frame frame) {
  for (std::size_t at = 0; at < length; at += kPieceBytes) {
    _STR_CMD piece = {};
    piece.len = static_cast<std::uint32_t>(length - at < kPieceBytes ? length - at : kPieceBytes);
    piece.wait = wait;
    std::memcpy(piece.buf, bytes + at, piece.len);
    frame(piece);
  }
}

void Empty(_STR_CMD& record) {
  std::memset(record.buf, 0, sizeof record.buf);
  record.len = 0;
}

}  // namespace

bool ChannelCode(Com_Status status, unsigned int* code) {
  if (status == COM_STATUS_DIRECT) {
    *code = 1;
    return true;
  }
  if (status == COM_STATUS_RELAYED) {
    *code = 3;
    return true;
  }
  return false;
}

void BuildTemplateFrame(const char* text, unsigned char* out, std::size_t capacity, unsigned int* length,
                        unsigned int channel, unsigned int class_code) {
  *length = 0;
  if (capacity < kFieldFrameMax) return;
  // The template is copied first, so that `text` may lie inside `out`.
  char scratch[kTemplateChars + 1];
  std::size_t n = 0;
  for (; n < kTemplateChars && text[n] != '\0'; ++n) scratch[n] = text[n];
  scratch[n] = '\0';
  out[0] = out[1] = kDollar;
  std::size_t p = 2;
  bool field = false;
  for (std::size_t i = 0; i < n && p < kFieldLimit; ++i) {
    const char c = scratch[i];
    if (p < kPayloadOffset) {  // the two id letters; offsets 4 and 5 are filled last
      if (IsLetter(c)) {
        out[p++] = static_cast<unsigned char>(c);
        if (p == 4) p = kPayloadOffset;
      }
      continue;
    }
    if (c == ',' || c == ' ') {
      field = true;
      continue;
    }
    if (!field) continue;  // digits of a number already read, and everything else
    if (c == 'S' || c == 's') {
      // Verbatim to the end of the text, cut at the buffer's capacity.
      const std::size_t room = capacity - 3 - p;
      const std::size_t rest = n - i - 1 < room ? n - i - 1 : room;
      std::memcpy(out + p, scratch + i + 1, rest);
      p += rest;
      break;
    }
    const unsigned int width = FieldWidth(c);
    std::uint32_t value = 0;
    if (width == 0 || !ReadNumber(scratch + i + 1, &value)) continue;
    WriteField(out + p, c, value);
    p += width;
    field = false;
  }
  out[5] = static_cast<unsigned char>(p - kPayloadOffset);
  out[4] = static_cast<unsigned char>(16 * channel + class_code);
  // A template without an id leaves p at 2 or 3; the check, CR and LF then
  // overwrite what was written at 4 and 5, as they must.
  out[p] = Xor(out + 2, p - 2);
  out[p + 1] = 0x0D;
  out[p + 2] = 0x0A;
  *length = static_cast<unsigned int>(p + 3);
}

void BuildByteFrame(const char id[2], const unsigned char* payload, unsigned int payload_length,
                    unsigned char* out, unsigned int* length, unsigned int channel) {
  if (payload == nullptr || out == nullptr) return;
  out[0] = out[1] = kDollar;
  out[2] = static_cast<unsigned char>(id[0]);
  out[3] = static_cast<unsigned char>(id[1]);
  out[4] = static_cast<unsigned char>((16 * channel) | kClassCommand);
  out[5] = static_cast<unsigned char>(payload_length);
  std::memmove(out + kPayloadOffset, payload, payload_length);
  const unsigned int check = kPayloadOffset + payload_length;
  out[check] = Xor(out + 2, check - 2);
  out[check + 1] = 0x0D;
  out[check + 2] = 0x0A;
  *length = payload_length + kFrameOverhead;
}

void BuildModemPacket(const ProtocolEngine& engine, unsigned char code, unsigned char* out, unsigned int* length,
                      unsigned int data_length, const unsigned char* data) {
  *length = 0;
  unsigned int channel = 0;
  if (!ChannelCode(engine.com_status, &channel)) return;
  // The packet is written out as "VS,B64 B101 ..." and encoded like any
  // template, so that a packet longer than a template can carry is cut
  // exactly where every receiver of this protocol expects it to be.
  // Writing stops once the text is longer than a template is read; the
  // template encoder then cuts it at exactly that character.
  char text[kTemplateChars + 8] = "VS,";
  std::size_t t = 3;
  unsigned char check = 0;
  auto put = [&](unsigned char byte) {
    check ^= byte;
    if (t < kTemplateChars) t += static_cast<std::size_t>(std::snprintf(text + t, 6, "B%u ", byte));
  };
  put(0x40);
  put(code);
  put(static_cast<unsigned char>(~code));
  put(static_cast<unsigned char>(data_length));
  put(static_cast<unsigned char>(data_length >> 8));
  // Data past a full text could not reach the frame, so they are not read.
  for (unsigned int i = 0; i < data_length && data != nullptr && t < kTemplateChars; ++i) put(data[i]);
  put(check);
  BuildTemplateFrame(text, out, kFieldFrameMax, length, channel, kClassModem);
}

void FrameRecord(const ProtocolEngine& engine, _STR_CMD& record, const char id[2]) {
  unsigned int channel = 0;
  const std::uint32_t bytes = record.len;
  if (!ChannelCode(engine.com_status, &channel) || bytes > kRecordBytes - kFrameOverhead) {
    Empty(record);
    return;
  }
  unsigned char frame[kRecordBytes];
  unsigned int length = 0;
  BuildByteFrame(id, record.buf, bytes, frame, &length, channel);
  std::memcpy(record.buf, frame, length);
  record.len = length;
}

void FrameTextRecord(const ProtocolEngine& engine, _STR_CMD& record) {
  unsigned int channel = 0;
  const std::uint32_t bytes = record.len;
  // The frame is the text plus 9 bytes, and a 0 byte follows it.
  if (!ChannelCode(engine.com_status, &channel) || bytes > kRecordBytes - kFrameOverhead - 1) {
    Empty(record);
    return;
  }
  char text[kRecordBytes + 1];
  std::memcpy(text, "VL,S", 4);
  std::memcpy(text + 4, record.buf, bytes);
  text[4 + bytes] = '\0';
  unsigned int length = 0;
  BuildTemplateFrame(text, record.buf, kRecordBytes, &length, channel, kClassModem);
  record.buf[length] = 0;
  record.len = length;
}

void SplitAndFrame(const ProtocolEngine& engine, CommandList& out, const CommandList& in, PassThrough kind) {
  auto frame = [&](_STR_CMD& record) {
    if (kind == PassThrough::kBoard)
      FrameRecord(engine, record, "RZ");
    else
      FrameTextRecord(engine, record);
    out.push_back(record);
  };
  for (const _STR_CMD& source : in) {
    const std::uint32_t bytes = source.len < kRecordBytes ? source.len : kRecordBytes;
    if (bytes <= kPieceBytes) {
      _STR_CMD record = source;
      frame(record);
    } else {
      ForEachPiece(source.buf, bytes, kWaitPiece, frame);
    }
  }
}

void FramePieces(const ProtocolEngine& engine, CommandList& out, const unsigned char* bytes, std::size_t length,
                 const char id[2], std::uint32_t wait) {
  ForEachPiece(bytes, length, wait, [&](_STR_CMD& piece) {
    FrameRecord(engine, piece, id);
    out.push_back(piece);
  });
}

void AppendTemplateCommand(const ProtocolEngine& engine, CommandList& cmds, const char* text, std::uint32_t wait,
                           unsigned int class_code) {
  _STR_CMD record = {};
  record.wait = wait;
  unsigned int channel = 0;
  if (ChannelCode(engine.com_status, &channel)) {
    unsigned char frame[kTemplateFrameMax];
    unsigned int length = 0;
    BuildTemplateFrame(text, frame, sizeof frame, &length, channel, class_code);
    if (length <= kRecordBytes) {
      std::memcpy(record.buf, frame, length);
      record.len = length;
    }
  }
  cmds.push_back(record);
}

void AppendModemCommand(const ProtocolEngine& engine, CommandList& cmds, unsigned char code,
                        const unsigned char* data, unsigned int data_length, std::uint32_t wait) {
  _STR_CMD record = {};
  record.wait = wait;
  BuildModemPacket(engine, code, record.buf, &record.len, data_length, data);
  cmds.push_back(record);
}

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
