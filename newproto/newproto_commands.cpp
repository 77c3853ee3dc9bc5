#include "newproto/newproto_commands.h"

#include <algorithm>

#include "boards/gnss_utils.h"

namespace Kestrel {
namespace KsParse {
namespace NewProto {

namespace {

constexpr std::uint16_t kQueryOffset = 1;

// GNSS items of the common commands.
constexpr std::uint16_t kItemIoId = 0x0404, kItemDiffType = 0x0405, kItemObs = 0x0407, kItemDataBlock = 0x0408,
                        kItemDop = 0x040C, kItemSatellites = 0x040D, kItemBase = 0x040F, kItemPosTime = 0x0410,
                        kItemPdopMask = 0x0450, kItemElevMask = 0x0451, kItemBaseSet = 0x0452,
                        kItemReset = 0x0453, kItemUnlog = 0x0454;
constexpr std::uint16_t kItemBaud = 0x0103, kItemPort = 0x0104;

constexpr std::uint16_t kRate1Hz = 9, kRate5s = 11;
constexpr std::uint16_t kRoverMode = 1, kBaseMode = 3;
// The base start stops the outputs of these ports before it sets its own.
constexpr std::uint16_t kStoppedPorts[] = {1, 5, 6};
// Differential output on this port also goes to port 1.
constexpr std::uint16_t kMirroredPort = 6, kFirstPort = 1;

}  // namespace

std::uint16_t SetCodeOf(std::uint16_t id) {
  switch (id >> 8) {
    case 0x01: return kCodePort;
    case 0x03: return kCodeSystem;
    case 0x04: return kCodeGnss;
    case 0x07: return kCodeRadio;
    case 0x0A: return kCodeWifi;
    case 0x0B: return kCodeFile;
    case 0x11: return kCodeNetLink;
    case 0x14: return kCodeModem;
    case 0x15: return kCodeDataLink;
    default: return 0;
  }
}

void Request(CommandList& cmds, std::uint16_t code, std::initializer_list<ProtoItem> items, std::uint32_t tag) {
  // Built at its final size: the code item first, then the caller's items.
  ProtoItems list(items.size() + 1);
  list[0] = {kItemMessageCode, &code};
  std::copy(items.begin(), items.end(), list.begin() + 1);
  BuildPacket(cmds, list, tag);
}

void SetOrQuery(CommandList& cmds, std::uint16_t id, const void* value, const ProtoItem* port) {
  const std::uint16_t code = static_cast<std::uint16_t>(SetCodeOf(id) + (value != nullptr ? 0 : kQueryOffset));
  if (port != nullptr)
    Request(cmds, code, {*port, {id, value}}, id);
  else
    Request(cmds, code, {{id, value}}, id);
}

void Act(CommandList& cmds, std::uint16_t id, std::uint32_t tag) { Request(cmds, SetCodeOf(id), {{id, nullptr}}, tag); }

void Query(CommandList& cmds, std::uint16_t id) {
  Request(cmds, static_cast<std::uint16_t>(SetCodeOf(id) + kQueryOffset), {{id, nullptr}}, 0);
}

std::uint16_t BaudCode(std::uint32_t baud) {
  switch (baud) {
    case 2400: return 1;
    case 4800: return 2;
    case 9600: return 3;
    case 14400: return 4;
    case 19200: return 5;
    case 38400: return 6;
    case 56000: return 7;
    case 57600: return 8;
    case 115200: return 9;
    case 128000: return 10;
    case 256000: return 11;
    case 512000: return 12;
    default: return 3;
  }
}

std::uint16_t DiffTypeOf(std::uint32_t diff_format) {
  switch (diff_format) {
    case 3: return NV_GNSS_DIFF_CMR;
    case 5: return NV_GNSS_DIFF_RTCA;
    case 6: return NV_GNSS_DIFF_CMR_PLUS;
    case 7: return NV_GNSS_DIFF_RTCM3;
    case 11: return NV_GNSS_DIFF_RTCM2_MSG1;
    case 12: return NV_GNSS_DIFF_COMPACT;
    case 14: return NV_GNSS_DIFF_RTCM3_MSM;
    default: return NV_GNSS_DIFF_RTCM2;
  }
}

}  // namespace NewProto

using NewProto::Request;

void NewProtoCommands::Init(CommandList& cmds) {
  // Position and time and the DOPs every second; satellites, the data block
  // and the base position every five seconds.
  const std::uint16_t fast = NewProto::kRate1Hz, slow = NewProto::kRate5s;
  Request(cmds, NewProto::kCodeGnss,
          {{NewProto::kItemPosTime, &fast},
           {NewProto::kItemDop, &fast},
           {NewProto::kItemSatellites, &slow},
           {NewProto::kItemDataBlock, &slow},
           {NewProto::kItemBase, &slow}},
          0);
}

void NewProtoCommands::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  const auto code = static_cast<std::uint16_t>(Gnss::FrqToProtocolRate(rate));
  Request(cmds, NewProto::kCodeGnss, {{NewProto::kItemPosTime, &code}}, 0);
}

void NewProtoCommands::SendObs(CommandList& cmds, GNSS_FRQ rate) {
  const auto code = static_cast<std::uint16_t>(Gnss::FrqToProtocolRate(rate));
  Request(cmds, NewProto::kCodeGnss, {{NewProto::kItemObs, &code}}, 0);
}

void NewProtoCommands::SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int) {
  // The mask applies to every satellite system; the item holds one byte.
  const auto mask = static_cast<std::uint8_t>(degrees);
  Request(cmds, NewProto::kCodeGnss, {{NewProto::kItemElevMask, &mask}}, 0);
}

void NewProtoCommands::QueryElevMask(CommandList& cmds) { NewProto::Query(cmds, NewProto::kItemElevMask); }

void NewProtoCommands::Unlog(CommandList& cmds) { NewProto::Act(cmds, NewProto::kItemUnlog, 0); }

void NewProtoCommands::Reset(CommandList& cmds) { NewProto::Act(cmds, NewProto::kItemReset, 0); }

void NewProtoCommands::StartRover(CommandList& cmds) {
  // The rover takes no coordinates: they go out as zero.
  const NV_GNSS_BASE_SET_STRUCT set = {NewProto::kRoverMode, {0, 0, 0}};
  Request(cmds, NewProto::kCodeGnss,
          {{NewProto::kItemElevMask, &rover.elev_mask},
           {NewProto::kItemPdopMask, &rover.aux_mask},
           {NewProto::kItemBaseSet, &set}},
          0);
}

void NewProtoCommands::StartBase(CommandList& cmds) {
  for (const std::uint16_t& port : NewProto::kStoppedPorts)
    Request(cmds, NewProto::kCodeGnss, {{NewProto::kItemIoId, &port}, {NewProto::kItemUnlog, nullptr}}, 0);

  const auto port = static_cast<std::uint16_t>(base.port);
  const std::uint16_t type = NewProto::DiffTypeOf(base.diff_format);
  Request(cmds, NewProto::kCodeGnss, {{NewProto::kItemIoId, &port}, {NewProto::kItemDiffType, &type}}, 0);
  if (port == NewProto::kMirroredPort)
    Request(cmds, NewProto::kCodeGnss, {{NewProto::kItemIoId, &NewProto::kFirstPort}, {NewProto::kItemDiffType, &type}},
            0);

  const NV_GNSS_BASE_SET_STRUCT set = {NewProto::kBaseMode, {base.latitude, base.longitude, base.height}};
  Request(cmds, NewProto::kCodeGnss,
          {{NewProto::kItemElevMask, &base.elev_mask},
           {NewProto::kItemPdopMask, &base.aux_mask},
           {NewProto::kItemBaseSet, &set}},
          0);

  const std::uint16_t baud = NewProto::BaudCode(base.baud);
  Request(cmds, NewProto::kCodePort, {{NewProto::kItemPort, &NewProto::kFirstPort}, {NewProto::kItemBaud, &baud}}, 0);
}

}  // namespace KsParse
}  // namespace Kestrel
