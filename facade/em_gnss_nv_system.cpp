// Em_Gnss: receivers of the maker's new protocol — port routing, the system
// commands (power, reboot, hardware and firmware information, motion
// sensor), the acknowledgement of settings and the data buffers of the
// replies.
#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint16_t kItemComDirect = 0x0108;
constexpr std::uint16_t kItemPowerOff = 0x0303, kItemPowerStatus = 0x0304, kItemReboot = 0x0305,
                        kItemHardware = 0x0306, kItemFirmware = 0x0307, kItemAdmin = 0x0308,
                        kItemMotionSensor = 0x0309;
constexpr std::uint8_t kCalibrationStart = 2, kCalibrationEnd = 3;

}  // namespace

NewProtoBoardData* Em_Gnss::NewProtoStore() {
  if (!IsNorvikNewProtocolReceiver()) return nullptr;
  return dynamic_cast<NewProtoBoardData*>(engine->Decoder());
}

// ---- port routing

void Em_Gnss::Get_Cmd_Com_Direct(std::vector<_STR_CMD>& cmds, NV_COM_DIRECT_ENUM direct) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t value = direct;
  NewProto::Request(cmds, NewProto::kCodePort, {{kItemComDirect, &value}}, kItemComDirect);
}

// ---- system

void Em_Gnss::Get_Cmd_System_Admin(std::vector<_STR_CMD>& cmds, unsigned short int value) {
  if (IsNorvikNewProtocolReceiver())
    NewProto::Request(cmds, NewProto::kCodeSystem, {{kItemAdmin, &value}}, kItemAdmin);
}

void Em_Gnss::Get_Cmd_System_Power_Off(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, kItemPowerOff, kItemPowerOff);
}

void Em_Gnss::Get_Cmd_System_Reboot(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, kItemReboot, kItemReboot);
}

void Em_Gnss::Get_Cmd_System_Power_Status_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemPowerStatus);
}

void Em_Gnss::Get_Cmd_System_Hardware_Info_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemHardware);
}

void Em_Gnss::Get_Cmd_System_Firmware_Info_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemFirmware);
}

void Em_Gnss::Get_Cmd_System_GSensor_Valid(std::vector<_STR_CMD>& cmds, NV_GSENSOR_VALID_PERIOD_STRUCT period) {
  if (IsNorvikNewProtocolReceiver())
    NewProto::Request(cmds, NewProto::kCodeSystem, {{kItemMotionSensor, &period}}, kItemMotionSensor);
}

void Em_Gnss::Send_Magnetometer_Calibration(std::vector<_STR_CMD>& cmds, bool start, int period) {
  NV_GSENSOR_VALID_PERIOD_STRUCT p = {};
  p.mode = start ? kCalibrationStart : kCalibrationEnd;
  p.period = static_cast<std::uint16_t>(period);
  Get_Cmd_System_GSensor_Valid(cmds, p);
}

void Em_Gnss::Get_System_Power_Status(NV_SYSTEM_POWER_STATUS_STRUCT& status) {
  if (const NewProtoBoardData* d = NewProtoStore()) status = d->power_status;
}

void Em_Gnss::Get_System_Hardware_Info(NV_SYSTEM_HARDWARE_INFO_STRUCT& info) {
  if (const NewProtoBoardData* d = NewProtoStore()) info = d->hardware_info;
}

void Em_Gnss::Get_System_Firmware_Info(NV_SYSTEM_FIRMWARE_VERSION_STRUCT& info) {
  if (const NewProtoBoardData* d = NewProtoStore()) info = d->firmware_info;
}

void Em_Gnss::Get_Magnetometer_info(NV_GNSS_DAT_MAGNETIC_STRUCT& info) {
  if (const NewProtoBoardData* d = NewProtoStore()) info = d->magnetic;
}

// ---- replies

void Em_Gnss::Get_Cmd_Setting_Response(NV_RESPONSE_STATUS_ENUM& status, unsigned int& tag) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return;
  status = static_cast<NV_RESPONSE_STATUS_ENUM>(d->response_status);
  tag = d->response_tag;
}

const unsigned char* Em_Gnss::Get_Gnss_Data_Buff(unsigned int& length) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return nullptr;
  length = d->data_block_length;
  return d->data_block;
}

const unsigned char* Em_Gnss::Get_NMEA_Data_Buff(unsigned int& length) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return nullptr;
  length = d->text_reply_length <= BoardDecoder::kTextReplySize ? d->text_reply_length : BoardDecoder::kTextReplySize;
  return d->text_reply;
}

}  // namespace KsParse
}  // namespace Kestrel
