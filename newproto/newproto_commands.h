// The common receiver commands (start, rates, masks, reset) of the
// new-protocol board, built as new-protocol packets.
#pragma once

#include "boards/board_command_set.h"

namespace Kestrel {
namespace KsParse {

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
