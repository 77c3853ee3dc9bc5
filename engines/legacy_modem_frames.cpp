// VI frames: replies of the receiver's GPRS modem and UHF radio module. Each
// frame's payload is appended to `collector`; a reply packet held there is
//
//   0x40, sub-code, complement, 32-bit length n (little-endian), n data
//   bytes, XOR check, two closing bytes                        (n + 10 bytes)
//
// Only the modem information record (which spans several frames) is waited
// for by its length; every other reply is taken from the frame it came in,
// with the collected length minus 10 as its data length.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "boards/novatel/novatel_wire.h"  // little-endian field readers
#include "engines/legacy_engine.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr unsigned kHeader = 7;     // 0x40, sub-code, complement, length
constexpr unsigned kOverhead = 10;  // header, check byte, closing bytes
constexpr unsigned char kPacketStart = 0x40;

struct SubCode {
  unsigned char code;
  std::uint32_t flag;
  Msg_Type kind;
};

constexpr SubCode kSubCodes[] = {
    {89, 0x20000000, MSG_DEVICE}, {95, 0x1000000, MSG_DEVICE},   {98, 0x2000000, MSG_DEVICE},
    {99, 0x8000000, MSG_DEVICE},  {101, 0x200000, MSG_DEVICE},   {103, 0x800000, MSG_DEVICE},
    {104, 0x100000, MSG_DEVICE},  {106, 0x400000, MSG_DEVICE},   {108, 0x10000, MSG_DEVICE},
    {110, 0x2000000, MSG_DEVICE}, {115, 0x20000000, MSG_DEVICE}, {116, 0x1000, MSG_DEVICE},
    {118, 0x4000, MSG_DEVICE},    {121, 0x8000, MSG_DEVICE},     {129, 0x800, MSG_DEVICE},
    {131, 0x10, MSG_DEVICE},      {133, 0x400, MSG_DEVICE_FILE}, {137, 0x40, MSG_DEVICE},
    {145, 0x20, MSG_DEVICE},      {147, 0x200, MSG_DEVICE_FILE},
};

const SubCode* FindSubCode(unsigned char code) {
  for (const SubCode& s : kSubCodes) {
    if (s.code == code) return &s;
  }
  return nullptr;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A counted text (length byte at `at`, then the text) into a NUL-terminated
// field; at most `room` bytes are read, and at most what the field holds.
void CopyCounted(char (&out)[ModemState::kTextSize], const unsigned char* at, unsigned room) {
  const unsigned n = std::min({static_cast<unsigned>(at[0]), room, ModemState::kTextSize - 1});
  std::memset(out, 0, sizeof out);
  std::memcpy(out, at + 1, n);
}

// A NUL-terminated text of at most N bytes (NUL included) from `at`, ending
// before `end`, into `out`. Returns the position of its NUL, or 0 when no
// NUL comes within the limit (then nothing is copied).
template <std::size_t N>
unsigned CopyTerminated(char (&out)[N], const unsigned char* c, unsigned at, unsigned end) {
  for (unsigned i = at; i < end && i - at < N; ++i) {
    if (c[i] == 0) {
      std::memcpy(out, c + at, i - at);
      return i;
    }
  }
  return 0;
}

// Modem information (89, 115).
ModemPacket DecodeModemInfo(ModemState& m, const unsigned char* c, unsigned length) {
  if (length < 3) return ModemPacket::kIncomplete;
  if (c[2] != 255 - c[1]) return ModemPacket::kReport;  // not a record: nothing stored
  if (length < kHeader) return ModemPacket::kIncomplete;
  const std::uint32_t n = NovAtel::U32(c + 3);
  if (n > FrameBuffer::kCapacity - kOverhead) return ModemPacket::kDrop;  // could never be collected
  if (length < n + kOverhead) return ModemPacket::kIncomplete;
  unsigned char check = 0;
  for (unsigned i = 0; i < n + 8; ++i) check ^= c[i];
  if (check != 0 && check != kPacketStart) return ModemPacket::kReport;

  // The newer modem puts a host name where the older one has an address;
  // every later item moves by 28 bytes. The record must hold all items.
  const unsigned shift = m.kind_flag != 0 ? 28 : 0;
  const unsigned pair = 104 + shift;
  const unsigned end = kHeader + n;
  if (pair >= end || pair + 1 + c[pair] > end) return ModemPacket::kDrop;
  if (shift == 0) {
    m.server_address = NovAtel::U32(c + kHeader);
  } else {
    m.host_length = std::min<unsigned>(c[7], ModemState::kHostSize);
    std::memset(m.host, 0, sizeof m.host);
    std::memcpy(m.host, c + 8, m.host_length);
  }
  m.server_port = static_cast<std::uint16_t>((c[11 + shift] << 8) | c[12 + shift]);
  switch (c[13 + shift]) {
    case 'S': m.link = 3; break;
    case 'T': m.link = 1; break;
    case 'U': m.link = 0; break;
    case 'V': m.link = 2; break;
    default: m.link = -1; break;
  }
  // Each counted text may use the bytes up to the next item.
  CopyCounted(m.text1, c + 23 + shift, 15);
  CopyCounted(m.text2, c + 39 + shift, 31);
  if (c[71 + shift] <= 1) m.switch_byte = c[71 + shift];
  CopyCounted(m.text3, c + 72 + shift, 31);
  // Two texts separated by a NUL within the pair's length.
  const unsigned char* texts = c + pair + 1;
  const unsigned pair_length = c[pair];
  const void* nul = std::memchr(texts, 0, pair_length);
  if (nul != nullptr) {
    const unsigned split = static_cast<unsigned>(static_cast<const unsigned char*>(nul) - texts);
    std::memset(m.pair_first, 0, sizeof m.pair_first);
    std::memset(m.pair_second, 0, sizeof m.pair_second);
    std::memcpy(m.pair_first, texts, std::min(split, ModemState::kTextSize - 1));
    std::memcpy(m.pair_second, texts + split + 1, std::min(pair_length - split - 1, ModemState::kTextSize - 1));
  }
  return ModemPacket::kReport;
}

// Signal quality (101): the modem's answer "+CSQ: qq,ber", q being the two
// characters six places after the '+'.
bool DecodeSignal(ModemState& m, const unsigned char* c, unsigned end) {
  for (unsigned at = kHeader; at + 8 <= end; ++at) {
    if (std::memcmp(c + at, "+CSQ:", 5) != 0) continue;
    std::int32_t q = 0;
    for (unsigned i = at + 6; i < at + 8 && IsDigit(c[i]); ++i) q = q * 10 + (c[i] - '0');
    m.signal_q = q;
    // Bars 0 to 6 from these lowest values on; 99 (unknown) and anything
    // from 32 on give 0.
    static constexpr std::int32_t kLowest[] = {10, 14, 17, 21, 25, 29};
    m.signal_bars = 0;
    while (q < 32 && m.signal_bars < 6 && q >= kLowest[m.signal_bars]) ++m.signal_bars;
    return true;
  }
  return false;
}

// Text record (108): three NUL-terminated texts; the first one's NUL is
// followed by a class byte, then the second text. A text without its NUL
// ends the record.
void DecodeTextRecord(ModemState& m, const unsigned char* c, unsigned end) {
  m.record_class = 0;
  std::memset(&m.record, 0, sizeof m.record);
  const unsigned first = CopyTerminated(m.record.first, c, kHeader, end);
  if (first == 0 || first + 2 > end) return;
  const unsigned top = c[first + 1] & 0xE0;
  m.record_class = top == 0x40 ? 1 : top == 0x60 ? 2 : 0;
  const unsigned second = CopyTerminated(m.record.second, c, first + 2, end);
  if (second != 0) CopyTerminated(m.record.third, c, second + 1, end);
}

// Radio channel lists (133: 16 little-endian frequencies, 147: 16 types)
// and the call sign (145: enable flag, interval, (length byte - 2) bytes).
bool DecodeRadioList(RadioState& r, unsigned code, const unsigned char* c, unsigned data) {
  const unsigned char* d = c + kHeader;
  if (code == 133) {
    if (data != 2 * RadioState::kChannels) return false;
    for (unsigned i = 0; i < RadioState::kChannels; ++i) r.channel_freq[i] = NovAtel::U16(d + 2 * i);
    r.channel_freq_count = RadioState::kChannels;
    return true;
  }
  if (code == 147) {
    if (data != RadioState::kChannels) return false;
    for (unsigned i = 0; i < RadioState::kChannels; ++i) r.channel_type[i] = d[i];
    r.channel_type_count = RadioState::kChannels;
    return true;
  }
  const unsigned text = c[3] >= 2 ? c[3] - 2u : RadioState::kCallsignMax + 1;
  if (text > RadioState::kCallsignMax || 2 + text > data) return false;
  r.callsign_enabled = d[0];
  r.callsign_interval = d[1];
  std::memset(r.callsign, 0, sizeof r.callsign);
  std::memcpy(r.callsign, d + 2, text);
  r.callsign_length = text;
  return true;
}

// Frequency reply (98, 110): a setting byte, then the channel in one byte
// (10 bytes of data) or two (11 bytes).
bool DecodeRadioChannel(RadioState& r, const unsigned char* c, unsigned data) {
  if (data != 10 && data != 11) return false;
  const bool wide = data == 11;
  r.setting = c[7];
  const std::int32_t kind = r.kind;
  double channel = c[8];
  if (wide) {
    // Kinds 1 and 2 give the channel as sign and 15-bit magnitude.
    const unsigned raw = c[8] | (c[9] << 8);
    channel = (kind == 1 || kind == 2) && (raw & 0x8000) != 0 ? -static_cast<double>(raw & 0x7FFF) : raw;
  }
  const Legacy::RadioLimits& l = r.limits;
  auto within = [&l](double f) { return std::min(std::max(f, l.lowest_mhz), l.highest_mhz); };
  // Rounds down to a multiple of `khz`; the millionth of a step absorbs the
  // binary representation of steps such as 0.0125 MHz.
  auto floor_to = [](double f, double khz) { return std::trunc(f * 1000.0 / khz + 1e-6) * khz / 1000.0; };
  double f = 0;
  switch (kind) {
    case 1:
    case 2:
      f = channel * l.step_mhz + l.lowest_mhz;
      break;
    case 3: case 4: case 5: case 6: case 7:
      if (wide) return true;  // no frequency in this form for these radios
      f = channel * l.step_mhz;
      break;
    case 9:
    case 10:
      f = channel * l.step_mhz;
      break;
    case 8: {
      // The channel spacing reply sets the step; before it the table's.
      const double s8 = r.spacing_khz > 0 ? r.spacing_khz : l.step_khz;
      if (wide) {
        r.frequency_mhz = within(channel * s8 / 1000.0);
        return true;
      }
      f = within(floor_to(channel * l.step_mhz, s8));
      break;
    }
    default:
      return true;  // radio kind unknown: nothing stored
  }
  r.frequency_mhz = within(floor_to(f, l.step_khz));
  return true;
}

// The replies that carry one value, the first data byte.
bool DecodeValue(ModemState& m, RadioState& r, unsigned code, unsigned v) {
  const auto value = static_cast<std::int32_t>(v);
  switch (code) {
    case 99: m.status = value; return true;
    case 103: m.dial_protocol = value; return true;
    case 104: m.error = value; return true;
    case 106: m.caster_mode = value; return true;
    case 118: r.power = v >= 1 && v <= 5 ? value : 0; return true;
    case 121: r.baud = v <= 2 ? value : -1; return true;
    case 129: r.sensitivity = v == 1 || v == 2 ? value : 0; return true;
    case 131: r.fec = v == 1 ? 1 : 0; return true;
    case 137:
      r.spacing_khz = v == 1 ? 20.0 : 12.5;
      r.channel_space = v <= 2 ? value : 0;
      return true;
    default: return false;
  }
}

ModemPacket Reported(bool decoded) { return decoded ? ModemPacket::kReport : ModemPacket::kDrop; }

}  // namespace

void LegacyEngine::SetRadioKind(std::int32_t kind) {
  radio_state.kind = kind;
  if (!Legacy::RadioLimitsOf(kind, &radio_state.limits)) radio_state.limits = Legacy::RadioLimits{};
}

void LegacyEngine::OnModemFrame(const unsigned char* p, unsigned n) {
  if (collector == nullptr) return;
  collector->Append(p, n);
  const unsigned char* c = collector->data;
  const unsigned length = collector->length;
  if (length == 0 || c[0] != kPacketStart) {
    collector->Clear();
    return;
  }
  if (length < 2) return;  // the sub-code comes with the next frame
  // A reply without a meaning here is dropped so that it cannot hold up the
  // packets that follow.
  const SubCode* sub = FindSubCode(c[1]);
  const ModemPacket result = sub != nullptr ? OnModemPacket(c, length) : ModemPacket::kDrop;
  if (result == ModemPacket::kIncomplete) return;
  collector->Clear();
  if (result == ModemPacket::kReport) Report(sub->kind, sub->flag);
}

ModemPacket LegacyEngine::OnModemPacket(const unsigned char* c, unsigned length) {
  const unsigned code = c[1];
  if (code == 89 || code == 115) return DecodeModemInfo(modem_state, c, length);
  if (length < kOverhead) return ModemPacket::kDrop;
  const unsigned data = length - kOverhead;
  const unsigned end = kHeader + data;
  switch (code) {
    case 95: return OnModemVersion(c, length);
    case 98:
    case 110: return Reported(DecodeRadioChannel(radio_state, c, data));
    case 101: return Reported(DecodeSignal(modem_state, c, end));
    case 108: DecodeTextRecord(modem_state, c, end); return ModemPacket::kReport;
    case 116:
      // The list text starts after the first data byte.
      modem_state.area_length = end > 8 ? end - 8 : 0;
      std::memcpy(modem_state.area, c + 8, modem_state.area_length);
      return ModemPacket::kReport;
    case 133:
    case 145:
    case 147: return Reported(DecodeRadioList(radio_state, code, c, data));
    default: return Reported(data >= 1 && DecodeValue(modem_state, radio_state, code, c[kHeader]));
  }
}

ModemPacket LegacyEngine::OnModemVersion(const unsigned char* c, unsigned length) {
  // "d.dd" in the first four data bytes.
  if (length < kOverhead + 4 || !IsDigit(c[7]) || c[8] != '.' || !IsDigit(c[9]) || !IsDigit(c[10]))
    return ModemPacket::kDrop;
  ModemState& m = modem_state;
  m.major = c[7] - '0';
  m.minor = (c[9] - '0') * 10 + (c[10] - '0');
  m.version = (m.major * 100 + m.minor) / 100.0;
  if (m.major >= 3 && m.minor >= 55) {
    const std::int32_t kind = radio_state.kind;
    SetRadioKind(kind == 1 || kind == 3 ? 3 : kind == 2 || kind == 4 ? 4 : kind);
  }
  const bool newer = (m.major == 2 && m.minor >= 88 && m.minor <= 97) ||
                     (m.major >= 3 && m.major <= 5 && m.minor >= 59 && m.minor <= 68) ||
                     (m.major == 4 && m.minor >= 69);
  m.kind_flag = newer ? 1 : 0;
  modem_version_seen = 1;
  return ModemPacket::kReport;
}

}  // namespace KsParse
}  // namespace Kestrel
