// The requests of the new-protocol receivers: the helpers that turn one
// command into one packet, and the common receiver commands (start, rates,
// masks, reset) of the new-protocol board.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "boards/board_command_set.h"
#include "newproto/newproto_codec.h"

namespace Kestrel {
namespace KsParse {
namespace NewProto {

// Message codes to set or act on each item group (the high byte of an item
// id); the query code is one more.
constexpr std::uint16_t kCodePort = 2, kCodeSystem = 10, kCodeGnss = 14, kCodeRadio = 22, kCodeWifi = 34,
                        kCodeFile = 38, kCodeModem = 42, kCodeNetLink = 46, kCodeDataLink = 50;

// The set code of the group of `id`; 0 for a group without commands.
std::uint16_t SetCodeOf(std::uint16_t id);

// One packet: item 0x0001 = `code`, then `items` in order, under `tag`.
void Request(CommandList& cmds, std::uint16_t code, std::initializer_list<ProtoItem> items, std::uint32_t tag);

// A setting with a value (the group's set code and the item with `value`)
// or, with a null `value`, its query (the query code and the item empty);
// the item id is the tag either way, so that the receiver's acknowledgement
// names the setting. `port`, when given, goes first.
void SetOrQuery(CommandList& cmds, std::uint16_t id, const void* value, const ProtoItem* port = nullptr);

// An action: the group's set code and the item empty.
void Act(CommandList& cmds, std::uint16_t id, std::uint32_t tag);
// A status query: the group's query code and the item empty, under tag 0.
void Query(CommandList& cmds, std::uint16_t id);

// The receiver's code for a serial speed in bit/s (9600's code for any
// speed it has none for).
std::uint16_t BaudCode(std::uint32_t baud);
// The differential type of a Base_Config / Rover_Config format code.
std::uint16_t DiffTypeOf(std::uint32_t diff_format);

}  // namespace NewProto

class NewProtoCommands : public BoardCommandSet {
 public:
  void Init(CommandList& cmds) override;
  void SetPosRate(CommandList& cmds, GNSS_FRQ rate) override;
  void SendObs(CommandList& cmds, GNSS_FRQ rate) override;
  void SendEphemeris(CommandList&, GNSS_FRQ) override {}
  void SendEphemSat(CommandList&, unsigned int) override {}
  void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) override;
  void SetSatUse(CommandList&, unsigned int, bool, unsigned int) override {}
  void SetNmea(CommandList&, unsigned int, GNSS_FRQ, unsigned int) override {}
  void SetNmeaList(CommandList&, const std::vector<_set_nmea>&) override {}
  void QueryElevMask(CommandList& cmds) override;
  void Unlog(CommandList& cmds) override;
  void StartBase(CommandList& cmds) override;
  void StartRover(CommandList& cmds) override;
  void Reset(CommandList& cmds) override;
  void PassCom(CommandList&, unsigned int) override {}
};

}  // namespace KsParse
}  // namespace Kestrel
