// Em_Gnss: the UHF radio module of the maker's older receivers. Commands
// travel as modem packets in VS frames, each allowed for the radio types that
// have it; the answers are what the legacy engine decoded from the replies.
#include <cstring>

#include <ksparse/em_gnss.h>

#include "engines/legacy_engine.h"
#include "legacy/legacy_frame.h"
#include "legacy/radio_frequency.h"
#include "legacy/radio_table.h"
#include "newproto/newproto_board_data.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kWaitRadio = 200;
constexpr std::uint32_t kWaitFrequency = 100;

constexpr unsigned char kCodeSetFrequencyNarrow = 97, kCodeFrequencyNarrow = 98, kCodeSetFrequency = 109,
                        kCodeFrequency = 110, kCodeSetPower = 117, kCodePower = 118, kCodeSetBaud = 120,
                        kCodeBaud = 121, kCodeSetSensitivity = 128, kCodeSensitivity = 129, kCodeSetFec = 130,
                        kCodeFec = 131, kCodeSetChannelFreq = 132, kCodeChannelFreqs = 133, kCodeSetSpacing = 136,
                        kCodeSpacing = 137, kCodeSetCallsign = 144, kCodeCallsign = 145, kCodeSetChannelType = 146,
                        kCodeChannelTypes = 147;
constexpr unsigned char kSettingChannel0 = 0x5E;

// Radio types that have a command.
bool PowerRadio(int kind) { return kind >= 6 && kind <= 10; }
bool BaudRadio(int kind) { return kind >= 1 && kind <= 10 && kind != 8; }
bool AnyRadio(int kind) { return kind >= 1 && kind <= 10; }
bool NarrowRadio(int kind) { return kind == 1 || kind == 2; }  // 50 kHz steps from the range's bottom

void Radio(const ProtocolEngine& engine, CommandList& cmds, unsigned char code,
           std::initializer_list<unsigned char> data, std::uint32_t wait = kWaitRadio) {
  Legacy::AppendModemCommand(engine, cmds, code, data.begin(), static_cast<unsigned int>(data.size()), wait);
}

unsigned char Low(unsigned int v) { return static_cast<unsigned char>(v); }

// The channel spacing that the range queries report.
double RangeSpacing(int kind) {
  if (kind == 1 || kind == 2) return 50;
  if (kind == 7 || kind == 9) return 25;
  return 12.5;
}

// Capability words of Radio_Info by radio type: type word, new-radio flag,
// words A to D.
struct RadioWords {
  std::uint32_t type, new_radio, a, b, c, d;
};
RadioWords WordsOf(int kind) {
  switch (kind) {
    case 6: return {6, 1, 0x70000000, 0x03000000, 0x0B000000, 15};
    case 7: return {7, 1, 0x10000000, 0x03000000, 0x0B000000, 15};
    case 8: return {8, 1, 0xE1000000, 0x03000000, 0x0BD10000, 7};
    case 9: return {9, 1, 0x10000000, 0x03000000, 0x0B220000, 15};
    case 10: return {10, 1, 0x70000000, 0x03000000, 0x0B220000, 15};
    default: return {static_cast<std::uint32_t>(kind), 0, 0x72000000, 0x01000000, 0x03220000, 0};
  }
}

}  // namespace

// One command for the radios of `allowed` kinds: 1 when appended, else 0.
int Em_Gnss::RadioCommand(std::vector<_STR_CMD>& cmds, bool (*allowed)(int), unsigned char code,
                          const unsigned char* data, unsigned int length, std::uint32_t wait) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr || !allowed(e->radio_state.kind)) return 0;
  Legacy::AppendModemCommand(*e, cmds, code, data, length, wait);
  return 1;
}

// ---- commands

int Em_Gnss::Set_Radio_Power(std::vector<_STR_CMD>& cmds, Radio_Power power) {
  const unsigned char v = Low(power);
  return RadioCommand(cmds, PowerRadio, kCodeSetPower, &v, 1, kWaitRadio);
}

int Em_Gnss::Get_Radio_Power(std::vector<_STR_CMD>& cmds) {
  return RadioCommand(cmds, PowerRadio, kCodePower, nullptr, 0, kWaitRadio);
}

int Em_Gnss::Set_Radio_Baudrate(std::vector<_STR_CMD>& cmds, Radio_Baudrate baud) {
  const unsigned char v = Low(baud);
  return RadioCommand(cmds, BaudRadio, kCodeSetBaud, &v, 1, kWaitRadio);
}

int Em_Gnss::Get_Cmd_Radio_Baudrate(std::vector<_STR_CMD>& cmds) {
  return RadioCommand(cmds, BaudRadio, kCodeBaud, nullptr, 0, kWaitRadio);
}

int Em_Gnss::Get_Radio_Frq(std::vector<_STR_CMD>& cmds) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr || e->device_info_seen == 0) return 0;
  if (e->modem_version_seen == 0) return 1;
  const int kind = e->radio_state.kind;
  if (!AnyRadio(kind)) return -1;
  Radio(*e, cmds, NarrowRadio(kind) ? kCodeFrequencyNarrow : kCodeFrequency, {});
  return 2;
}

int Em_Gnss::Set_Radio_Frq(std::vector<_STR_CMD>& cmds, double mhz) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return 0;
  const RadioState& r = e->radio_state;
  std::uint16_t value = 0;
  if (!Legacy::RadioFrequencyCode(r.kind, mhz, r.spacing_khz, &value)) return 0;
  Radio(*e, cmds, NarrowRadio(r.kind) ? kCodeSetFrequencyNarrow : kCodeSetFrequency, {Low(value), Low(value >> 8)},
        kWaitFrequency);
  return 1;
}

namespace {
bool Kind8(int kind) { return kind == 8; }
}  // namespace

int Em_Gnss::Set_Radio_Sensitivity(std::vector<_STR_CMD>& cmds, Rdo_Sensitv sensitivity) {
  const unsigned char v = Low(sensitivity);
  return RadioCommand(cmds, Kind8, kCodeSetSensitivity, &v, 1, kWaitRadio);
}

int Em_Gnss::Get_Cmd_Radio_Sensitivity(std::vector<_STR_CMD>& cmds) {
  return RadioCommand(cmds, Kind8, kCodeSensitivity, nullptr, 0, kWaitRadio);
}

int Em_Gnss::Set_Radio_FEC(std::vector<_STR_CMD>& cmds, bool on) {
  const unsigned char v = on ? 1 : 0;
  return RadioCommand(cmds, Kind8, kCodeSetFec, &v, 1, kWaitRadio);
}

int Em_Gnss::Get_Cmd_Radio_FEC(std::vector<_STR_CMD>& cmds) {
  return RadioCommand(cmds, Kind8, kCodeFec, nullptr, 0, kWaitRadio);
}

int Em_Gnss::Set_Radio_ChannelSpace(std::vector<_STR_CMD>& cmds, Channel_Space space) {
  const unsigned char code = space == 1 ? 1 : space == 2 ? 2 : 0;
  if (RadioCommand(cmds, Kind8, kCodeSetSpacing, &code, 1, kWaitRadio) == 0) return 0;
  // Later frequencies of this radio count in the new spacing.
  OlderReceiver()->radio_state.spacing_khz = Legacy::Kind8Step(space);
  return 1;
}

int Em_Gnss::Get_Cmd_Radio_ChannelSpace(std::vector<_STR_CMD>& cmds) {
  return RadioCommand(cmds, Kind8, kCodeSpacing, nullptr, 0, kWaitRadio);
}

int Em_Gnss::Set_Radio_Callsign(std::vector<_STR_CMD>& cmds, Radio_Callsign callsign) {
  if (callsign.length >= 15) return 0;
  unsigned char data[2 + sizeof callsign.callsign] = {static_cast<unsigned char>(callsign.enabled != 0 ? 1 : 0),
                                                      Low(callsign.interval)};
  std::memcpy(data + 2, callsign.callsign, callsign.length);
  return RadioCommand(cmds, Kind8, kCodeSetCallsign, data, callsign.length + 2u, kWaitRadio);
}

int Em_Gnss::Get_Cmd_Radio_Callsign(std::vector<_STR_CMD>& cmds) {
  return RadioCommand(cmds, Kind8, kCodeCallsign, nullptr, 0, kWaitRadio);
}

// The channel-list commands work on any of the maker's receivers.
void Em_Gnss::Set_Radio_Channel_Freq(std::vector<_STR_CMD>& cmds, int channel, double mhz, Channel_Space space) {
  if (!IsNorvikManufacturer()) return;
  double steps = mhz / (space == 1 ? 200 : 125) * 10000;
  if (!(steps >= 0)) steps = 0;  // a value the channel cannot take; NaN too
  if (steps > 65535) steps = 65535;
  const unsigned int value = static_cast<unsigned int>(steps);
  Radio(*engine, cmds, kCodeSetChannelFreq, {Low(static_cast<unsigned int>(channel)), Low(value), Low(value >> 8)});
}

void Em_Gnss::Query_Radio_ChannelList_Type(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikManufacturer()) Radio(*engine, cmds, kCodeChannelTypes, {});
}

void Em_Gnss::Set_Radio_Channel_Type(std::vector<_STR_CMD>& cmds, int channel, Rdo_Channel_Type type) {
  if (IsNorvikManufacturer())
    Radio(*engine, cmds, kCodeSetChannelType, {Low(static_cast<unsigned int>(channel)), Low(type)});
}

void Em_Gnss::Query_Radio_ChannelList_Freq(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikManufacturer()) Radio(*engine, cmds, kCodeChannelFreqs, {});
}

void Em_Gnss::Set_Radio_Channel0_Enabled(std::vector<_STR_CMD>& cmds, bool enabled) {
  if (!IsNorvikManufacturer()) return;
  _STR_CMD record = {};
  record.buf[0] = kSettingChannel0;
  record.buf[1] = enabled ? 0x00 : 0xAA;
  record.len = 2;
  record.wait = kWaitRadio;
  Legacy::FrameRecord(*engine, record, "SJ");
  cmds.push_back(record);
}

// ---- what the radio reported

void Em_Gnss::Get_Radio_ChannelList_Type(std::vector<int>& types) {
  if (LegacyEngine* e = OlderReceiver()) {
    const RadioState& r = e->radio_state;
    types.assign(r.channel_type, r.channel_type + r.channel_type_count);
  }
}

void Em_Gnss::Get_Radio_ChannelList_Freq(std::vector<double>& frequencies) {
  if (LegacyEngine* e = OlderReceiver()) {
    const RadioState& r = e->radio_state;
    frequencies.assign(r.channel_freq, r.channel_freq + r.channel_freq_count);
  }
}

int Em_Gnss::Get_Radio_Range(Radio_Range& range) {
  Radio_Info info;
  const int result = Get_Radio_Info(info);
  if (result == 2) range = {info.highest_mhz, info.lowest_mhz, info.spacing_khz};
  return result;
}

int Em_Gnss::Get_Radio_Info(Radio_Info& info) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr || e->device_info_seen == 0) return 0;
  if (e->modem_version_seen == 0) return 1;
  const int kind = e->radio_state.kind;
  Legacy::RadioLimits limits;
  if (!Legacy::RadioLimitsOf(kind, &limits)) return -1;
  const RadioWords w = WordsOf(kind);
  info = {limits.highest_mhz, limits.lowest_mhz, RangeSpacing(kind), w.type, w.new_radio, w.a, w.b, w.c, w.d};
  return 2;
}

int Em_Gnss::Get_Radio_Power() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->radio_state.power : 0;
}

int Em_Gnss::Get_Radio_Baudrate() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->radio_state.baud : -1;
}

int Em_Gnss::Get_Transmit_Mdl() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? static_cast<int>(e->radio_state.setting) : -1;
}

double Em_Gnss::Get_Radio_Frq() {
  if (const NewProtoBoardData* d = NewProtoStore()) return d->radio_frequency;
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->radio_state.frequency_mhz : -1.0;
}

void Em_Gnss::Get_Radio_Sensitivity(int& sensitivity) {
  if (LegacyEngine* e = OlderReceiver()) sensitivity = e->radio_state.sensitivity;
}

void Em_Gnss::Get_Radio_FEC(bool& on) {
  if (LegacyEngine* e = OlderReceiver()) on = e->radio_state.fec != 0;
}

void Em_Gnss::Get_Radio_Callsign(Radio_Callsign& callsign) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  const RadioState& r = e->radio_state;
  callsign = {};
  callsign.enabled = r.callsign_enabled;
  callsign.interval = r.callsign_interval;
  const std::uint32_t n = r.callsign_length < sizeof callsign.callsign ? r.callsign_length : sizeof callsign.callsign;
  std::memcpy(callsign.callsign, r.callsign, n);
  callsign.length = static_cast<std::uint8_t>(n);
}

void Em_Gnss::Get_Radio_ChannelSpace(int& space) {
  if (LegacyEngine* e = OlderReceiver()) space = e->radio_state.channel_space;
}

}  // namespace KsParse
}  // namespace Kestrel
