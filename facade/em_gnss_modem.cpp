// Em_Gnss: the GPRS modem built into the maker's older receivers. Commands
// travel as modem packets in VS frames; the answers are what the legacy
// engine decoded from the modem's replies. The commands that the newer
// receivers know too go to them as new-protocol packets, and the answers
// come from what their replies carried.
#include <cstring>

#include <ksparse/em_gnss.h>

#include "engines/legacy_engine.h"
#include "legacy/legacy_frame.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kWaitModem = 200;
constexpr std::uint32_t kWaitModemSwitch = 2000;  // the modem restarts its link

// Modem command codes.
constexpr unsigned char kCodeReset = 43, kCodeIp = 82, kCodeSvcText3 = 86, kCodeSvcTexts12 = 87, kCodeSvcText4 = 88,
                        kCodeNumber = 88, kCodeInfo = 89, kCodeModel = 93, kCodeBaseId = 94, kCodeVersion = 95,
                        kCodeRadioModel = 96, kCodeStatus = 99, kCodeSetDial = 102, kCodeDial = 103,
                        kCodeError = 104, kCodeSetCaster = 105, kCodeCaster = 106, kCodeLink = 113,
                        kCodeHost = 114, kCodeInfoNew = 115, kCodeList = 116, kCodeSignal = 101;

void Modem(const ProtocolEngine& engine, CommandList& cmds, unsigned char code,
           std::initializer_list<unsigned char> data, std::uint32_t wait = kWaitModem) {
  Legacy::AppendModemCommand(engine, cmds, code, data.begin(), static_cast<unsigned int>(data.size()), wait);
}

// The data go to the packet whole; a packet longer than a VS frame carries
// is cut by the frame encoder (after 244 data bytes and the check byte).
void ModemBytes(const ProtocolEngine& engine, CommandList& cmds, unsigned char code, const void* data,
                std::size_t length, std::uint32_t wait = kWaitModem) {
  Legacy::AppendModemCommand(engine, cmds, code, static_cast<const unsigned char*>(data),
                             static_cast<unsigned int>(length), wait);
}

// The characters of a text field up to its NUL (the whole field without one).
std::size_t TextLength(const char* text, std::size_t field) {
  const void* nul = std::memchr(text, 0, field);
  return nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : field;
}

unsigned char Low(unsigned int v) { return static_cast<unsigned char>(v); }

constexpr std::uint16_t kItemSignal = 0x140C;

}  // namespace

LegacyEngine* Em_Gnss::OlderReceiver() {
  return IsNorvikOldProtocolReceiver() ? dynamic_cast<LegacyEngine*>(engine) : nullptr;
}

// ---- commands

bool Em_Gnss::Send_Gprs_Version(std::vector<_STR_CMD>& cmds) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr || e->device_info_seen == 0) return false;
  Modem(*e, cmds, kCodeVersion, {});
  return true;
}

void Em_Gnss::Get_Gprs_Info(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver())
    Modem(*e, cmds, e->modem_state.kind_flag == 1 ? kCodeInfoNew : kCodeInfo, {});
}

void Em_Gnss::Get_Gprs_Signal(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeSignal, {});
}

void Em_Gnss::Get_Cmd_Modem_Signal_Intensity_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver())
    NewProto::Query(cmds, kItemSignal);
  else
    Get_Gprs_Signal(cmds);
}

void Em_Gnss::Get_Gprs_Status(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeStatus, {});
}

void Em_Gnss::Get_Gprs_Eroinfo(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeError, {});
}

void Em_Gnss::Get_Gprs_Reset(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeReset, {});
}

void Em_Gnss::Get_Gprs_CosMdl(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeCaster, {});
}

void Em_Gnss::Set_Gprs_CosMdl(std::vector<_STR_CMD>& cmds, unsigned int mode) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  Modem(*e, cmds, kCodeLink, {0}, kWaitModemSwitch);
  Modem(*e, cmds, kCodeSetCaster, {Low(mode)});
}

void Em_Gnss::Send_Gprs_DisConct(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver())
    Modem(*e, cmds, kCodeLink, {1}, kWaitModemSwitch);
  else
    Get_Cmd_NetLink_Connect(cmds, false);
}

void Em_Gnss::Set_GSM_NumInfo(std::vector<_STR_CMD>& cmds, const char* number) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr || number == nullptr) return;
  Modem(*e, cmds, kCodeLink, {0}, kWaitModemSwitch);
  ModemBytes(*e, cmds, kCodeNumber, number, std::strlen(number));
}

void Em_Gnss::Set_Gprs_Ip(std::vector<_STR_CMD>& cmds, IP_ADRES address, unsigned int port, Protocol_Net protocol) {
  if (IsNorvikNewProtocolReceiver()) {
    // The address in its written order (first byte most significant), the
    // host name cut to its field with a NUL after it.
    NV_IP_ADDRESS_STRUCT a = {};
    const std::uint8_t* b = address.address;
    a.address = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    a.port = static_cast<std::uint16_t>(port);
    a.kind = Low(protocol);
    const std::size_t host = address.host_length < sizeof address.host ? address.host_length : sizeof address.host;
    std::memcpy(a.host, address.host, host);
    Get_Cmd_NetLink_Address(cmds, &a);
    return;
  }
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  const unsigned char port_high = Low(port >> 8), port_low = Low(port), net = Low(protocol);
  if (e->modem_state.kind_flag != 1) {
    const std::uint8_t* a = address.address;
    Modem(*e, cmds, kCodeIp, {a[0], a[1], a[2], a[3], port_high, port_low, net});
    return;
  }
  // The newer modem takes a host name.
  unsigned char data[sizeof address.host + 4];
  const std::size_t host = address.host_length < sizeof address.host ? address.host_length : sizeof address.host;
  std::memcpy(data, address.host, host);
  data[host] = 0;
  data[host + 1] = port_high;
  data[host + 2] = port_low;
  data[host + 3] = net;
  ModemBytes(*e, cmds, kCodeHost, data, host + 4);
}

void Em_Gnss::Set_Gprs_SvcInfo(std::vector<_STR_CMD>& cmds, SvcInfo info) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  ModemBytes(*e, cmds, kCodeSvcText3, info.text3, TextLength(info.text3, sizeof info.text3));
  ModemBytes(*e, cmds, kCodeSvcText4, info.text4, TextLength(info.text4, sizeof info.text4));
  // Texts 1 and 2 travel together, separated by a NUL.
  unsigned char both[sizeof info.text1 + 1 + sizeof info.text2];
  const std::size_t first = TextLength(info.text1, sizeof info.text1);
  const std::size_t second = TextLength(info.text2, sizeof info.text2);
  std::memcpy(both, info.text1, first);
  both[first] = 0;
  std::memcpy(both + first + 1, info.text2, second);
  ModemBytes(*e, cmds, kCodeSvcTexts12, both, first + 1 + second);
}

void Em_Gnss::Set_Gprs_Modle(std::vector<_STR_CMD>& cmds, Gprs_Modle model) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeModel, {Low(model)});
}

void Em_Gnss::Set_Gprs_BaseId(std::vector<_STR_CMD>& cmds, const unsigned char* id, unsigned int length) {
  LegacyEngine* e = OlderReceiver();
  if (e != nullptr && id != nullptr) ModemBytes(*e, cmds, kCodeBaseId, id, length);
}

void Em_Gnss::Send_Gprs_GetList(std::vector<_STR_CMD>& cmds) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) {
    Get_Cmd_NetLink_Source_List_Query(cmds);
    return;
  }
  Modem(*e, cmds, kCodeList, {});
  Legacy::AppendTemplateCommand(*e, cmds, "VM,B1", kWaitModem, Legacy::kClassModem);
}

void Em_Gnss::Send_Dial_Prtl(std::vector<_STR_CMD>& cmds) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeDial, {});
}

void Em_Gnss::Set_Dial_Prtl(std::vector<_STR_CMD>& cmds, unsigned int protocol) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeSetDial, {Low(protocol)});
}

void Em_Gnss::Set_Radio_Mdl(std::vector<_STR_CMD>& cmds, Rdo_Mdl model) {
  if (LegacyEngine* e = OlderReceiver()) Modem(*e, cmds, kCodeRadioModel, {Low(model)});
}

// ---- what the modem reported

int Em_Gnss::GetInfo_Gprs_Signa() {
  // A newer receiver's modem reports its level beside the raw intensity.
  if (const NewProtoBoardData* d = NewProtoStore()) return d->modem_signal.level;
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->modem_state.signal_bars : -1;
}

int Em_Gnss::GetInfo_Gprs_Status() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->modem_state.status : -1;
}

int Em_Gnss::GetInfo_Gprs_Eroinfo() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->modem_state.error : -1;
}

int Em_Gnss::GetInfo_Gprs_CosMdl() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->modem_state.caster_mode : -1;
}

double Em_Gnss::GetInfo_Gprs_Version() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->modem_state.version : -1.0;
}

int Em_Gnss::Get_Dial_Prtl() {
  LegacyEngine* e = OlderReceiver();
  return e != nullptr ? e->modem_state.dial_protocol : 0;
}

void Em_Gnss::Get_Gprs_GetList(char* out, int* length) {
  if (out == nullptr || length == nullptr) return;
  if (const NewProtoBoardData* d = NewProtoStore()) {
    // The same 2048 bytes at most as for an older receiver's list.
    const std::uint32_t n =
        d->source_list_length < ModemState::kAreaSize ? d->source_list_length : ModemState::kAreaSize;
    std::memcpy(out, d->source_list, n);
    *length = static_cast<int>(n);
    return;
  }
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  const ModemState& m = e->modem_state;
  const std::uint32_t n = m.area_length < ModemState::kAreaSize ? m.area_length : ModemState::kAreaSize;
  std::memcpy(out, m.area, n);
  *length = static_cast<int>(n);
}

void Em_Gnss::Get_Cors_Info_Auto(cors_info& info, int& mode) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  static_assert(sizeof e->modem_state.record == sizeof info, "the modem keeps one credentials record");
  std::memcpy(&info, &e->modem_state.record, sizeof info);
  mode = e->modem_state.record_class;
}

void Em_Gnss::GetInfo_Gprs_Info(WirelessInfo& info) {
  LegacyEngine* e = OlderReceiver();
  if (e == nullptr) return;
  const ModemState& m = e->modem_state;
  info = {};
  info.server_address = m.server_address;
  std::memcpy(info.host, m.host, sizeof info.host);
  info.server_port = m.server_port;
  info.link = m.link;
  std::memcpy(info.text1, m.text1, sizeof info.text1);
  std::memcpy(info.text2, m.text2, sizeof info.text2);
  info.switch_byte = m.switch_byte;
  std::memcpy(info.text3, m.text3, sizeof info.text3);
  std::memcpy(info.pair_first, m.pair_first, sizeof info.pair_first);
  std::memcpy(info.pair_second, m.pair_second, sizeof info.pair_second);
  info.version = m.version;
  // What the modem can do, known from its version.
  std::uint32_t word = 0;
  std::uint8_t byte = 3;
  if (e->modem_version_seen != 0) {
    if ((m.major == 2 && m.minor >= 88) || (m.major > 2 && m.minor >= 59)) {
      word = 0x00140000;
      byte = 7;
    }
    if (m.major > 2 && m.minor >= 69) word |= 0x00020000;
    word |= m.kind_flag == 1 ? 0x00E90000 : 0x00690000;
  }
  info.capability = word;
  info.capability_byte = byte;
}

}  // namespace KsParse
}  // namespace Kestrel
