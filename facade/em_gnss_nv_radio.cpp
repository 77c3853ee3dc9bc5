// Em_Gnss: receivers of the maker's new protocol — the UHF radio: frequency,
// power, air speed, protocol, channel lists, extended properties and call
// sign, and what the radio reported.
#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint16_t kItemFrequency = 0x0703, kItemPower = 0x0704, kItemStepper = 0x0709, kItemAirBaud = 0x070B,
                        kItemProtocol = 0x070C, kItemInfoList = 0x070D, kItemOn = 0x070E, kItemOff = 0x070F,
                        kItemAutoPowerOn = 0x0710, kItemModuleType = 0x0711, kItemPowerStatus = 0x0712,
                        kItemChannels = 0x0713, kItemProperty = 0x0714, kItemAllChannels = 0x0715,
                        kItemSensitivity = 0x0716, kItemFec = 0x0717, kItemCallsign = 0x0718;
// What other receivers report as the radio's air speed.
constexpr unsigned int kDefaultAirBaud = 4800;

}  // namespace

// ---- commands

void Em_Gnss::Get_Cmd_Radio_Frequency(std::vector<_STR_CMD>& cmds, const float* mhz) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemFrequency, mhz);
}

void Em_Gnss::Get_Cmd_Radio_Power(std::vector<_STR_CMD>& cmds, const unsigned int* power) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemPower, power);
}

void Em_Gnss::Get_Cmd_Radio_Stepper(std::vector<_STR_CMD>& cmds, const unsigned int* stepper) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemStepper, stepper);
}

void Em_Gnss::Get_Cmd_Radio_Air_Baud(std::vector<_STR_CMD>& cmds, const unsigned int* baud) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemAirBaud, baud);
}

void Em_Gnss::Get_Cmd_Radio_Protocol(std::vector<_STR_CMD>& cmds, const unsigned short int* protocol) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemProtocol, protocol);
}

void Em_Gnss::Get_Cmd_Radio_Infolist_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemInfoList);
}

void Em_Gnss::Get_Cmd_Radio_Power_On(std::vector<_STR_CMD>& cmds, bool on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Act(cmds, on ? kItemOn : kItemOff, 0);
}

void Em_Gnss::Get_Cmd_Radio_Auto_Power_On(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemAutoPowerOn, on);
}

void Em_Gnss::Get_Cmd_Radio_Module_Type_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemModuleType);
}

void Em_Gnss::Get_Cmd_Radio_Power_Status_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemPowerStatus);
}

void Em_Gnss::Get_Cmd_Radio_Channel_List_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemChannels);
}

void Em_Gnss::Get_Cmd_Radio_Channel_List_All_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemAllChannels);
}

void Em_Gnss::Get_Cmd_Radio_Property_Ex(std::vector<_STR_CMD>& cmds, const NV_RADIO_PROPERTY_EX_STRUCT* property) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemProperty, property);
}

void Em_Gnss::Get_Cmd_Radio_Sensitivity(std::vector<_STR_CMD>& cmds, const unsigned char* sensitivity) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemSensitivity, sensitivity);
}

void Em_Gnss::Get_Cmd_Radio_FEC(std::vector<_STR_CMD>& cmds, const unsigned char* on) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemFec, on);
}

void Em_Gnss::Get_Cmd_Radio_Callsign(std::vector<_STR_CMD>& cmds, const NV_RADIO_CALLSIGN_STRUCT* callsign) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemCallsign, callsign);
}

// ---- what the radio reported

float Em_Gnss::Get_Radio_Frequency() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_frequency : 0.0f;
}

unsigned int Em_Gnss::Get_Radio_Power_V2() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_power : 0;
}

unsigned int Em_Gnss::Get_Radio_Stepper() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_stepper : 0;
}

unsigned int Em_Gnss::Get_Radio_Air_Baud() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_air_baud : kDefaultAirBaud;
}

void Em_Gnss::Get_Radio_Protocol(NV_RADIO_PROTOCOL_ENUM& protocol) {
  if (const NewProtoBoardData* d = NewProtoStore()) protocol = static_cast<NV_RADIO_PROTOCOL_ENUM>(d->radio_protocol);
}

void Em_Gnss::Get_Radio_Infolist(NV_RADIO_INFOLIST_STRUCT& info) {
  if (const NewProtoBoardData* d = NewProtoStore()) info = d->radio_info;
}

unsigned char Em_Gnss::Get_Radio_Auto_Power_On() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_auto_power_on : 0;
}

void Em_Gnss::Get_Radio_Module_Type(NV_RADIO_MODULE_TYPE_ENUM& type) {
  if (const NewProtoBoardData* d = NewProtoStore()) type = static_cast<NV_RADIO_MODULE_TYPE_ENUM>(d->radio_module_type);
}

void Em_Gnss::Get_Radio_Power_Status(NV_RADIO_POWER_STATUS_ENUM& status) {
  if (const NewProtoBoardData* d = NewProtoStore())
    status = static_cast<NV_RADIO_POWER_STATUS_ENUM>(d->radio_power_status);
}

void Em_Gnss::Get_Radio_Channel_List(NV_RADIO_CHANNEL_LIST_STRUCT& list) {
  if (const NewProtoBoardData* d = NewProtoStore()) list = d->radio_channels;
}

void Em_Gnss::Get_Radio_Channel_List_All(NV_RADIO_CHANNEL_LIST_EX_STRUCT& lists) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return;
  for (unsigned i = 0; i < 3; ++i) {
    std::uint32_t count = 0;
    const NV_RADIO_CHANNEL_STRUCT* channels = d->ChannelList(i, &count);
    lists.list[i].clear();
    if (channels != nullptr) lists.list[i].assign(channels, channels + count);
  }
}

void Em_Gnss::Get_Radio_Property_Ex(NV_RADIO_PROPERTY_EX_STRUCT& property) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return;
  property = d->radio_property;
  property.text[sizeof property.text - 1] = 0;
}

unsigned char Em_Gnss::Get_Radio_Sensitivity() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_sensitivity : 0;
}

unsigned char Em_Gnss::Get_Radio_FEC() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->radio_fec : 0;
}

void Em_Gnss::Get_Radio_Callsign(NV_RADIO_CALLSIGN_STRUCT& callsign) {
  if (const NewProtoBoardData* d = NewProtoStore()) callsign = d->radio_callsign;
}

}  // namespace KsParse
}  // namespace Kestrel
