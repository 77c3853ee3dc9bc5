// The software receiver's command set: NovAtel commands, most of them
// between two bracket packets that route them to the positioning software.
#pragma once

#include "boards/novatel/novatel_commands.h"

namespace Kestrel {
namespace KsParse {

class SoftReceiverCommandSet : public NovAtelCommandSet {
 public:
  void Init(CommandList& cmds) override;
  void SetPosRate(CommandList& cmds, GNSS_FRQ rate) override;
  void SendObs(CommandList&, GNSS_FRQ) override {}
  void SendEphemeris(CommandList&, GNSS_FRQ) override {}
  void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) override;
  // SetSatUse: the NovAtel command.
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
