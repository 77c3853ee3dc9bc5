// Legacy status and file replies: RX, ST, SD, SS, VY, FB, FF, FH and FK, the
// FW / FM / FJ chunks, FT and VM. Each handler stores its record and reports
// it; a payload too short for its record reports nothing and stores nothing.
#include <algorithm>
#include <cstring>

#include "boards/novatel/novatel_wire.h"  // little-endian field readers
#include "engines/legacy_engine.h"

namespace Kestrel {
namespace KsParse {

using NovAtel::U32;

void LegacyEngine::OnRx(const unsigned char* p, unsigned n) {
  // The store holds 200 bytes: a longer payload keeps its first 200.
  rx_length = std::min<unsigned>(n, sizeof rx_text);
  std::memcpy(rx_text, p, rx_length);
  Report(MSG_DEVICE, 0x2000);
}

void LegacyEngine::OnShutdown(const unsigned char* p, unsigned n) {
  static const unsigned char kHead[] = {'C', 'l', 'o', 's', 'e', ' ', 't', 'h'};
  static const unsigned char kTail[] = {0x21, 0x0D, 0x0A, 0x83, 0x0D, 0x0A};
  if (n < 24 || std::memcmp(p, kHead, sizeof kHead) != 0 || std::memcmp(p + 18, kTail, sizeof kTail) != 0)
    return;
  Report(MSG_DEVICE, 0x200);
}

void LegacyEngine::OnStatus(const unsigned char* p, unsigned n) {
  std::uint32_t flags = 0;
  if (n == 5) {
    const unsigned b4 = p[4];
    sd_class = b4 < 200 ? 1 : b4 >= 240 ? 6 : (b4 - 200) / 10 + 2;
    flags |= 0x4000000;
  }
  if (n >= 1 && p[0] == 3) {
    battery_grade = 12;  // charging
    flags |= 0x40000000;
  } else if (n >= 2) {
    const unsigned b1 = p[1];
    if (b1 < 'A') {
      battery_grade = 0;
    } else if (b1 > 'S') {
      battery_grade = 10;
    } else {
      const int percent = 5 + static_cast<int>((b1 - 65) * 5.555555555555555);
      battery_grade = std::min(percent, 100) / 10;
    }
    flags |= 0x40000000;
  }
  if (flags != 0) Report(MSG_DEVICE, flags);
}

void LegacyEngine::OnSs(const unsigned char* p, unsigned n) {
  if (n < 22) return;
  std::memset(ss_record, 0, sizeof ss_record);
  std::memcpy(ss_record, p, 4);
  std::memcpy(ss_record + 20, p + 5, 6);
  std::memcpy(ss_record + 40, p + 12, 10);
  Report(MSG_DEVICE, 0x20000);
}

void LegacyEngine::OnFirmwareDebug(const unsigned char* p, unsigned n) {
  // Like RX: at most 200 bytes are kept.
  firmware_debug = FIRMWARE_DEBUG{};
  firmware_debug.length = std::min<unsigned>(n, sizeof firmware_debug.data);
  std::memcpy(firmware_debug.data, p, firmware_debug.length);
  firmware_debug_present = true;
  Report(MSG_DEVICE, 0x100);
}

void LegacyEngine::OnFb(const unsigned char* p, unsigned n) {
  // Text length byte, text, 32-bit number, one byte, state byte. A text
  // longer than the record's 35 bytes, or a payload that ends early, is
  // not a record.
  if (n < 1) return;
  const unsigned text = p[0];
  if (text > sizeof fb.text || n < text + 7) return;
  fb = FbRecord{};
  fb.text_length = static_cast<std::uint8_t>(text);
  std::memcpy(fb.text, p + 1, text);
  fb.number = U32(p + text + 1);
  fb.byte = p[text + 5];
  switch (p[text + 6]) {
    case 1: fb.state = 3; break;
    case 2: fb.state = 2; break;
    case 3: fb.state = 4; break;
    default: fb.state = -1; break;
  }
  Report(MSG_DEVICE, 0x400);
}

void LegacyEngine::OnFf(const unsigned char* p, unsigned n) {
  if (n < 12) return;
  const std::uint32_t w0 = U32(p);
  ff = FfRecord{{w0 >> 28, w0 & 0x0FFFFFFF, U32(p + 4), U32(p + 8), 0}, 0};
  Report(MSG_DEVICE, 0x1);
}

void LegacyEngine::OnWordPair(std::uint32_t (&pair)[2], const unsigned char* p, unsigned n, Msg_Type kind,
                              std::uint32_t flag) {
  if (n < 8) return;
  pair[0] = U32(p);
  pair[1] = U32(p + 4);
  Report(kind, flag);
}

void LegacyEngine::OnChunk(ChunkArea& area, const unsigned char* p, unsigned n, std::uint32_t full_flag,
                           std::uint32_t last_flag) {
  if (n > ChunkArea::kFull) return;
  std::memcpy(area.data, p, n);
  area.length = n;
  Report(MSG_DEVICE_FILE, n == ChunkArea::kFull ? full_flag : last_flag);
}

void LegacyEngine::OnFt(const unsigned char* p, unsigned n) {
  // 20 characters fit before the NUL: a longer payload keeps its first 20.
  const unsigned kept = std::min<unsigned>(n, sizeof ft_text - 1);
  std::memset(ft_text, ' ', sizeof ft_text);
  std::memcpy(ft_text, p, kept);
  ft_text[kept] = '\0';
  Report(MSG_DEVICE_FILE, 0x20);
}

void LegacyEngine::OnModemList(const unsigned char* p, unsigned n) {
  // A frame's payload (at most 255 bytes) always fits the 2048-byte area.
  std::memcpy(modem_state.area, p, n);
  modem_state.area_length = n;
  Report(MSG_DEVICE, 0x1000);
}

}  // namespace KsParse
}  // namespace Kestrel
