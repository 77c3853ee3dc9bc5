// The Trimble command set: data-collector packets for every board-level
// request, mostly application files (type 0x64) that configure the board's
// outputs, plus single queries.
#pragma once

#include <cstdint>
#include <vector>

#include "boards/board_command_set.h"

namespace Kestrel {
namespace KsParse {

class TrimbleCommandSet : public BoardCommandSet {
 public:
  // Wait values of the packets.
  static constexpr std::uint32_t kWaitPacket = 100;
  static constexpr std::uint32_t kWaitMask = 500;  // elevation mask, last rover packet
  static constexpr std::uint32_t kWaitRoverSingle = 50;
  // The second mask byte that SetElevMask writes.
  static constexpr std::uint8_t kDefaultAuxMask = 95;

  void Init(CommandList& cmds) override;
  void SetPosRate(CommandList& cmds, GNSS_FRQ rate) override;
  void SendObs(CommandList& cmds, GNSS_FRQ rate) override;
  void SendEphemeris(CommandList& cmds, GNSS_FRQ rate) override;
  void SendEphemSat(CommandList& cmds, unsigned int prn) override;
  void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) override;
  void SetSatUse(CommandList&, unsigned int, bool, unsigned int) override {}
  void SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
               unsigned int port) override;
  void SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) override;
  void QueryElevMask(CommandList& cmds) override;
  void Unlog(CommandList& cmds) override;
  void StartBase(CommandList& cmds) override;
  void StartRover(CommandList& cmds) override;
  void Reset(CommandList& cmds) override;
  // PassCom: the base class's (nothing).

  // The board's code for a baud rate (0 for rates it does not know).
  static std::uint8_t BaudCode(std::uint32_t baud);
  // The output frequency code of the raw observations for an
  // observation-interval code.
  static std::uint8_t ObsFrequencyCode(std::int32_t obs_interval);
  // The board's NMEA message code for the first of the known mask bits that
  // `mask` holds, in the order SetNmea emits them; 0 for none.
  static std::uint8_t NmeaMessageCode(std::uint32_t mask);

  // 1 for first-generation boards under the legacy engine, else 0: decides
  // the raw-observation flag and the rover's extra 0x53 packet.
  std::uint32_t gen1_word = 0;
};

}  // namespace KsParse
}  // namespace Kestrel
