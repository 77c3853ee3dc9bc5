// The NovAtel command set: the board's ASCII commands for every board-level
// request, built from the base and rover settings.
#pragma once

#include <cstdint>
#include <vector>

#include "boards/board_command_set.h"

namespace Kestrel {
namespace KsParse {

class NovAtelCommandSet : public BoardCommandSet {
 public:
  void Init(CommandList& cmds) override;
  void SetPosRate(CommandList& cmds, GNSS_FRQ rate) override;
  void SendObs(CommandList& cmds, GNSS_FRQ rate) override;
  void SendEphemeris(CommandList& cmds, GNSS_FRQ rate) override;
  void SendEphemSat(CommandList&, unsigned int) override {}
  void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) override;
  void SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                 unsigned int extra) override;
  void SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
               unsigned int port) override;
  void SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) override;
  void QueryElevMask(CommandList& cmds) override;
  void Unlog(CommandList& cmds) override;
  void StartBase(CommandList& cmds) override;
  void StartRover(CommandList& cmds) override;
  void Reset(CommandList& cmds) override;
  void PassCom(CommandList& cmds, unsigned int port) override;

  // Log period in seconds for an output rate; 0 stops the log. The 0.05 s
  // rate exists for NMEA logs only: elsewhere it counts as any unlisted
  // rate (1 s).
  static double LogPeriod(GNSS_FRQ rate, bool nmea);
  // Observation period in seconds for an observation-interval code.
  static double ObsIntervalPeriod(std::int32_t code);

  // 1 or 2; selects the RTCM 3 variants of the base and rover starts.
  std::uint32_t board_generation = 2;

 private:
  void AppendDiffOutput(CommandList& cmds);
  void AppendRoverSource(CommandList& cmds);
};

}  // namespace KsParse
}  // namespace Kestrel
