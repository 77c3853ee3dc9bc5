// Em_Gnss: receivers of the maker's new protocol — the GNSS settings
// (output rates, ports, masks, differential type, base position, satellite
// systems, base-position list) and what the receiver reported about them.
#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint16_t kItemRate = 0x0403, kItemIoId = 0x0404, kItemDiffType = 0x0405, kItemPosTime = 0x0410,
                        kItemPdopMask = 0x0450, kItemElevMask = 0x0451, kItemBaseSet = 0x0452,
                        kItemUnlog = 0x0454, kItemSatEnable = 0x0455, kItemConfigList = 0x0456,
                        kItemBaseList = 0x0457;
// The GNSS output items whose rate a DataFreq may set: each carries one
// unsigned 16-bit value. Other ids would make the encoder read the rate as a
// record of another shape, so they are left out.
constexpr std::uint16_t kFirstOutput = 0x0403, kLastOutput = 0x041B;
constexpr std::uint16_t kQuery = NewProto::kCodeGnss + 1;

bool IsOutputItem(std::uint16_t id) { return id >= kFirstOutput && id <= kLastOutput; }

// The packet of the output commands: the port item when a port is named,
// then `items`; the list is built at its final size.
void PortRequest(CommandList& cmds, std::uint16_t code, const std::uint16_t& port, const NewProto::ProtoItems& items,
                 std::uint32_t tag) {
  const std::size_t head = port > 0 ? 2 : 1;
  NewProto::ProtoItems list(head + items.size());
  list[0] = {NewProto::kItemMessageCode, &code};
  if (port > 0) list[1] = {kItemIoId, &port};
  for (std::size_t i = 0; i < items.size(); ++i) list[head + i] = items[i];
  NewProto::BuildPacket(cmds, list, tag);
}

}  // namespace

// ---- output rates and ports

void Em_Gnss::Get_Cmd_Gnss_Data_Freq(std::vector<_STR_CMD>& cmds, NV_DATA_FRQ_ENUM rate) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t value = rate;
  NewProto::Request(cmds, NewProto::kCodeGnss, {{kItemRate, &value}}, kItemRate);
}

void Em_Gnss::Get_Cmd_Gnss_Data_Freq(std::vector<_STR_CMD>& cmds, const std::vector<DataFreq>& rates,
                                     NV_GNSS_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  std::size_t n = 0;
  for (const DataFreq& f : rates) n += IsOutputItem(f.id) ? 1 : 0;
  NewProto::ProtoItems items(n);
  std::size_t at = 0;
  for (const DataFreq& f : rates)
    if (IsOutputItem(f.id)) items[at++] = {f.id, &f.rate};
  const std::uint16_t io = port;
  PortRequest(cmds, NewProto::kCodeGnss, io, items, NewProto::kCodeGnss);
}

void Em_Gnss::Get_Cmd_Gnss_Data_Freq(std::vector<_STR_CMD>& cmds, const DataFreq& rate, NV_GNSS_IO_ID_ENUM port) {
  Get_Cmd_Gnss_Data_Freq(cmds, std::vector<DataFreq>(1, rate), port);
}

void Em_Gnss::Get_Cmd_Gnss_Data_Unlogall(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  PortRequest(cmds, NewProto::kCodeGnss, io, {{kItemUnlog, nullptr}}, kItemUnlog);
}

void Em_Gnss::Get_Cmd_Gnss_Data_Configlist_Query(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  PortRequest(cmds, kQuery, io, {{kItemConfigList, nullptr}}, kItemConfigList);
}

void Em_Gnss::Get_Cmd_Gnss_IO_ID(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port;
  NewProto::Request(cmds, NewProto::kCodeGnss, {{kItemIoId, &io}}, 0);
}

void Em_Gnss::Get_Cmd_Gnss_IO_DiffData(std::vector<_STR_CMD>& cmds, NV_GNSS_IO_ID_ENUM port,
                                       NV_GNSS_DIFF_TYPE_ENUM type) {
  if (!IsNorvikNewProtocolReceiver()) return;
  const std::uint16_t io = port, diff = type;
  NewProto::Request(cmds, NewProto::kCodeGnss, {{kItemIoId, &io}, {kItemDiffType, &diff}}, 0);
}

void Em_Gnss::Get_Cmd_Gnss_Current_Position_Query(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikNewProtocolReceiver()) NewProto::Query(cmds, kItemPosTime);
}

// ---- settings

void Em_Gnss::Get_Cmd_Gnss_ElevMask(std::vector<_STR_CMD>& cmds, const unsigned char* mask) {
  if (IsNorvikNewProtocolReceiver()) {
    NewProto::SetOrQuery(cmds, kItemElevMask, mask);
  } else if (IsNorvikManufacturer()) {
    if (mask == nullptr)
      Get_Gnss_ElevMask(cmds);
    else
      Set_Gnss_ElevDgre(*mask, cmds);
  }
}

void Em_Gnss::Get_Cmd_Gnss_Pdop_Mask(std::vector<_STR_CMD>& cmds, const unsigned char* mask) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemPdopMask, mask);
}

void Em_Gnss::Get_Cmd_Gnss_Diff_Type(std::vector<_STR_CMD>& cmds, const unsigned short int* type) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemDiffType, type);
}

void Em_Gnss::Get_Cmd_Gnss_Base_Position(std::vector<_STR_CMD>& cmds, const NV_GNSS_BASE_SET_STRUCT* base) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemBaseSet, base);
}

void Em_Gnss::Get_Cmd_Gnss_Sat_Enable(std::vector<_STR_CMD>& cmds, const NV_GNSS_SATELLITE_ENABLE_STRUCT* masks) {
  if (IsNorvikNewProtocolReceiver()) NewProto::SetOrQuery(cmds, kItemSatEnable, masks);
}

void Em_Gnss::Get_Cmd_Gnss_Base_Position_list(std::vector<_STR_CMD>& cmds, const BASE_POS_LIST_STRUCT* list) {
  if (!IsNorvikNewProtocolReceiver()) return;
  if (list == nullptr) {
    NewProto::SetOrQuery(cmds, kItemBaseList, nullptr);
    return;
  }
  // The count travels in one byte: a longer list sends its size modulo 256
  // entries, the first ones.
  const NewProto::BasePosListValue value = {list->value, list->capacity,
                                            static_cast<std::uint8_t>(list->entries.size()),
                                            list->entries.data()};
  NewProto::SetOrQuery(cmds, kItemBaseList, &value);
}

// ---- what the receiver reported

void Em_Gnss::Get_Gnss_Data_Configlist(NV_DATA_CONFIG_LIST& list) {
  if (const NewProtoBoardData* d = NewProtoStore()) list = d->data_config;
}

int Em_Gnss::Get_Gnss_Pdop_Mask() {
  const NewProtoBoardData* d = NewProtoStore();
  return d != nullptr ? d->pdop_mask : -1;
}

void Em_Gnss::Get_Gnss_Diff_Type(NV_GNSS_DIFF_TYPE_ENUM& type) {
  if (const NewProtoBoardData* d = NewProtoStore()) type = static_cast<NV_GNSS_DIFF_TYPE_ENUM>(d->diff_type);
}

void Em_Gnss::Get_Gnss_Base_Position(NV_GNSS_BASE_SET_STRUCT& base) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return;
  base.mode = d->base_set_mode;
  base.coord[0] = d->base_info.x;
  base.coord[1] = d->base_info.y;
  base.coord[2] = d->base_info.z;
}

void Em_Gnss::Get_Gnss_Sat_Enable(NV_GNSS_SATELLITE_ENABLE_STRUCT& masks) {
  if (const NewProtoBoardData* d = NewProtoStore()) masks = d->sat_enable;
}

void Em_Gnss::Get_Gnss_Base_Position_list(BASE_POS_LIST_STRUCT& list) {
  const NewProtoBoardData* d = NewProtoStore();
  if (d == nullptr) return;
  list.value = d->base_list_value;
  list.capacity = d->base_list_capacity;
  list.entries.assign(d->base_list, d->base_list + d->base_list_count);
}

}  // namespace KsParse
}  // namespace Kestrel
