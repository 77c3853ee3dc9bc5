// Em_Gnss: receivers of the maker's new protocol — Wi-Fi (access point,
// mode, switching, sharing) and the receiver's own file recording.
#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint16_t kItemAccessPoint = 0x0A03, kItemWifiMode = 0x0A04, kItemWifiClose = 0x0A05,
                        kItemWifiOpen = 0x0A06, kItemWifiAutoOpen = 0x0A07, kItemWifiPowerStatus = 0x0A08,
                        kItemWifiShare = 0x0A09, kItemWifiShareAuto = 0x0A0A;
constexpr std::uint16_t kItemRecordOpen = 0x0B03, kItemRecordClose = 0x0B04, kItemRecordAutoOpen = 0x0B05,
                        kItemRecordParam = 0x0B06, kItemRecordStatus = 0x0B07, kItemRecordPpk = 0x0B08,
                        kItemRecordPort = 0x0B09;

}  // namespace

// ---- Wi-Fi

void Em_Gnss::Get_Cmd_WIFI_Param_AP(std::vector<_STR_CMD>& cmds, const NV_WIFI_PARA_AP_STRUCT* ap) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemAccessPoint, ap);
}

void Em_Gnss::Get_Cmd_WIFI_Mode(std::vector<_STR_CMD>& cmds, const unsigned short int* mode) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemWifiMode, mode);
}

void Em_Gnss::Get_Cmd_WIFI_Auto_Open(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemWifiAutoOpen, on);
}

// Unlike the radio and modem pairs, the opening item is the second of the two.
void Em_Gnss::Get_Cmd_WIFI_Open(std::vector<_STR_CMD>& cmds, bool open) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, open ? kItemWifiOpen : kItemWifiClose, 0);
}

void Em_Gnss::Get_Cmd_WIFI_Power_Status_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemWifiPowerStatus);
}

void Em_Gnss::Get_Cmd_WIFI_Share(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemWifiShare, on);
}

void Em_Gnss::Get_Cmd_WIFI_Share_Auto(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemWifiShareAuto, on);
}

void Em_Gnss::Get_WIFI_Param_AP(NV_WIFI_PARA_AP_STRUCT& ap) {
  if (const NewProtoBoardData* d = NewProtoStore()) ap = d->wifi_ap;
}

void Em_Gnss::Get_WIFI_Mode(NV_WIFI_MODE_ENUM& mode) {
  if (const NewProtoBoardData* d = NewProtoStore()) mode = static_cast<NV_WIFI_MODE_ENUM>(d->wifi_mode);
}

unsigned char Em_Gnss::Get_WIFI_Auto_Open() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->wifi_auto_open : 0;
}

void Em_Gnss::Get_WIFI_Power_Status(NV_WIFI_POWER_STATUS_ENUM& status) {
  if (const NewProtoBoardData* d = NewProtoStore())
    status = static_cast<NV_WIFI_POWER_STATUS_ENUM>(d->wifi_power_status);
}

unsigned char Em_Gnss::Get_WIFI_Share() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->wifi_share : 0;
}

unsigned char Em_Gnss::Get_WIFI_Share_Auto() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->wifi_share_auto : 0;
}

// ---- file recording: every request but the PPK block names the recording

void Em_Gnss::Get_Cmd_File_Record_Open(std::vector<_STR_CMD>& cmds, bool open, NV_FILE_RECORD_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  NewProto::Request(cmds, NewProto::kCodeFile,
                    {{kItemRecordPort, &io}, {open ? kItemRecordOpen : kItemRecordClose, nullptr}}, 0);
}

void Em_Gnss::Get_Cmd_File_Record_Auto_Open(std::vector<_STR_CMD>& cmds, const unsigned char* on,
                                            NV_FILE_RECORD_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  const NewProto::ProtoItem head = {kItemRecordPort, &io};
  NewProto::SetOrQuery(cmds, kItemRecordAutoOpen, on, &head);
}

void Em_Gnss::Get_Cmd_File_Record_Status_Query(std::vector<_STR_CMD>& cmds, NV_FILE_RECORD_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  NewProto::Request(cmds, NewProto::kCodeFile + 1, {{kItemRecordPort, &io}, {kItemRecordStatus, nullptr}}, 0);
}

void Em_Gnss::Get_Cmd_File_Record_Param(std::vector<_STR_CMD>& cmds, const NV_FILE_RECORD_CONFIG_STRUCT* config,
                                        NV_FILE_RECORD_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  const NewProto::ProtoItem head = {kItemRecordPort, &io};
  NewProto::SetOrQuery(cmds, kItemRecordParam, config, &head);
}

void Em_Gnss::Get_Cmd_File_Record_PPK(std::vector<_STR_CMD>& cmds, const NV_BLOCK_DATA_STRUCT* block) {
  if (IsNorvikNewProtocolReceiver())
    NewProto::Request(cmds, NewProto::kCodeFile, {{kItemRecordPpk, block}}, kItemRecordPpk);
}

unsigned char Em_Gnss::Get_File_Record_Auto_Open() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->file_auto_open : 0;
}

void Em_Gnss::Get_File_Record_Status(NV_FILE_RECORD_STATUS_ENUM& status) {
  if (const NewProtoBoardData* d = NewProtoStore()) status = static_cast<NV_FILE_RECORD_STATUS_ENUM>(d->file_status);
}

void Em_Gnss::Get_File_Record_Param(NV_FILE_RECORD_CONFIG_STRUCT& config) {
  if (const NewProtoBoardData* d = NewProtoStore()) config = d->file_config;
}

}  // namespace KsParse
}  // namespace Kestrel
