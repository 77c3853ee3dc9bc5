// Em_Gnss: receivers of the maker's new protocol — the network link to a
// correction caster, the built-in modem and the data link that carries
// differential data, and what the receiver reported about them.
#include <ksparse/em_gnss.h>

#include "engines/legacy_engine.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint16_t kItemAddress = 0x1103, kItemServerType = 0x1104, kItemLinkStatus = 0x1105,
                        kItemSourceList = 0x1106, kItemConnect = 0x1107, kItemDisconnect = 0x1108,
                        kItemLinkAutoOpen = 0x1109, kItemDataSource = 0x110A, kItemAccount = 0x110B;
constexpr std::uint16_t kItemDialParam = 0x1403, kItemDialStatus = 0x1404, kItemDial = 0x1405, kItemHangUp = 0x1406,
                        kItemModemOn = 0x1407, kItemModemOff = 0x1408, kItemAutoDial = 0x1409,
                        kItemModemAutoPowerOn = 0x140A, kItemModemPowerStatus = 0x140B,
                        kItemBandMode = 0x140D;
constexpr std::uint16_t kItemDataLinkMode = 0x1503, kItemDiffData = 0x1504;

// A text field up to its NUL, the rest of the destination zero.
template <std::size_t N>
void CopyText(char (&to)[N], const char (&from)[N]) {
  std::size_t i = 0;
  for (; i < N && from[i] != 0; ++i) to[i] = from[i];
  for (; i < N; ++i) to[i] = 0;
}

}  // namespace

// ---- network link

void Em_Gnss::Get_Cmd_NetLink_Auto_Open(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemLinkAutoOpen, on);
}

void Em_Gnss::Get_Cmd_NetLink_Status_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemLinkStatus, nullptr);
}

void Em_Gnss::Get_Cmd_NetLink_Source_List_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemSourceList, nullptr);
}

void Em_Gnss::Get_Cmd_NetLink_Address(std::vector<_STR_CMD>& cmds, const NV_IP_ADDRESS_STRUCT* address) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemAddress, address);
}

void Em_Gnss::Get_Cmd_NetLink_Server_Type(std::vector<_STR_CMD>& cmds, const unsigned short int* type) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemServerType, type);
}

void Em_Gnss::Get_Cmd_NetLink_Data_Source(std::vector<_STR_CMD>& cmds, const NV_CORS_DATA_SOURCE_STRUCT* source) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemDataSource, source);
}

void Em_Gnss::Get_Cmd_NetLink_Account(std::vector<_STR_CMD>& cmds, const NV_ACCOUNT_STRUCT* account) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemAccount, account);
}

void Em_Gnss::Get_Cmd_NetLink_Connect(std::vector<_STR_CMD>& cmds, bool connect) {
  const std::uint16_t id = connect ? kItemConnect : kItemDisconnect;
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, id, id);
}

unsigned char Em_Gnss::Get_NetLink_Auto_Open() {
  if (const NewProtoBoardData* d = NewProtoStore()) return d->netlink_auto_open;
  // An older receiver's modem logs in by itself when it holds a login mode.
  if (LegacyEngine* e = OlderReceiver()) return static_cast<unsigned char>(e->modem_state.record_class);
  return 0;
}

void Em_Gnss::Get_NetLink_Status(NV_NETLINK_STATUS_STRUCT& status) {
  if (const NewProtoBoardData* d = NewProtoStore()) status = d->netlink_status;
}

void Em_Gnss::Get_NetLink_Source_List(const unsigned char*, unsigned int& length) {
  if (const NewProtoBoardData* d = NewProtoStore()) length = d->source_list_length;
}

void Em_Gnss::Get_NetLink_Address(NV_IP_ADDRESS_STRUCT& address) {
  if (const NewProtoBoardData* d = NewProtoStore()) address = d->netlink_address;
}

void Em_Gnss::Get_NetLink_Server_Type(NV_NETLINK_SERVER_TYPE_ENUM& type) {
  if (const NewProtoBoardData* d = NewProtoStore())
    type = static_cast<NV_NETLINK_SERVER_TYPE_ENUM>(d->netlink_server_type);
}

void Em_Gnss::Get_NetLink_Data_Source(NV_CORS_DATA_SOURCE_STRUCT& source) {
  if (const NewProtoBoardData* d = NewProtoStore()) source = d->netlink_source;
}

void Em_Gnss::Get_NetLink_Account(NV_ACCOUNT_STRUCT& account) {
  if (const NewProtoBoardData* d = NewProtoStore()) account = d->netlink_account;
}

// ---- modem

void Em_Gnss::Get_Cmd_Modem_Dial(std::vector<_STR_CMD>& cmds, bool dial) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, dial ? kItemDial : kItemHangUp, 0);
}

void Em_Gnss::Get_Cmd_Modem_Power(std::vector<_STR_CMD>& cmds, bool on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, on ? kItemModemOn : kItemModemOff, 0);
}

void Em_Gnss::Get_Cmd_Modem_Auto_Dial(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemAutoDial, on);
}

void Em_Gnss::Get_Cmd_Modem_Auto_Power_On(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemModemAutoPowerOn, on);
}

void Em_Gnss::Get_Cmd_Modem_Dial_Param(std::vector<_STR_CMD>& cmds, const NV_MODEM_DIAL_PARA_STRUCT* param) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemDialParam, param);
}

void Em_Gnss::Get_Cmd_Modem_Dial_Status_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemDialStatus);
}

void Em_Gnss::Get_Cmd_Modem_Power_Status_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemModemPowerStatus);
}

void Em_Gnss::Get_Cmd_Modem_Band_Mode(std::vector<_STR_CMD>& cmds, const unsigned short int* mode) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemBandMode, mode);
}

unsigned char Em_Gnss::Get_Modem_Auto_Dial() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->modem_auto_dial : 0;
}

unsigned char Em_Gnss::Get_Modem_Auto_Power_On() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->modem_auto_power_on : 0;
}

void Em_Gnss::Get_Modem_Dial_Param(NV_MODEM_DIAL_PARA_STRUCT& param) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return;
  for (unsigned i = 0; i < 5; ++i) CopyText(param.field[i], d->modem_dial.field[i]);
}

void Em_Gnss::Get_Modem_Dial_Status(NV_MODEM_DIAL_STATUS_STRUCT& status) {
  if (const NewProtoBoardData* d = NewProtoStore()) status = d->modem_dial_status;
}

void Em_Gnss::Get_Modem_Power_Status(NV_MODEM_POWER_STATUS_ENUM& status) {
  if (const NewProtoBoardData* d = NewProtoStore())
    status = static_cast<NV_MODEM_POWER_STATUS_ENUM>(d->modem_power_status);
}

void Em_Gnss::Get_Modem_Signal_Intensity(NV_MODEM_SIGNAL_INTENSITY_STRUCT& signal) {
  if (const NewProtoBoardData* d = NewProtoStore()) signal = d->modem_signal;
}

void Em_Gnss::Get_Modem_Band_Mode(NV_MODEM_BAND_MODE_ENUM& mode) {
  if (const NewProtoBoardData* d = NewProtoStore()) mode = static_cast<NV_MODEM_BAND_MODE_ENUM>(d->modem_band_mode);
}

// ---- data link

void Em_Gnss::Get_Cmd_DataLink_Mode(std::vector<_STR_CMD>& cmds, const unsigned short int* mode) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemDataLinkMode, mode);
}

void Em_Gnss::Get_Cmd_DataLink_Differential_Data(std::vector<_STR_CMD>& cmds, const NV_BLOCK_DATA_STRUCT* block) {
  if (IsNorvikNewProtocolReceiver())
    NewProto::Request(cmds, NewProto::kCodeDataLink, {{kItemDiffData, block}}, kItemDiffData);
}

void Em_Gnss::Get_DataLink_Mode(NV_DATALINK_MODE_ENUM& mode) {
  if (const NewProtoBoardData* d = NewProtoStore()) mode = static_cast<NV_DATALINK_MODE_ENUM>(d->datalink_mode);
}

}  // namespace KsParse
}  // namespace Kestrel
