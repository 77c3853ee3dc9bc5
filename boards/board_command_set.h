// The command builder of a board adapter and the holder of the user's base
// and rover settings.
#pragma once

#include <cstdint>
#include <vector>

#include <ksparse/nav_records.h>
#include <ksparse/types.h>

namespace Kestrel {
namespace KsParse {

// Wait values that the text command sets put into their packets.
constexpr std::uint32_t kWaitSetting = 50;    // single settings and queries
constexpr std::uint32_t kWaitSequence = 200;  // base start sequences

// Appends one text command; an empty text or one longer than a packet
// (512 bytes) is silently not appended.
void AppendText(CommandList& cmds, const char* text, std::uint32_t wait);
// The same for a text of known length that may hold NUL bytes.
void AppendBytes(CommandList& cmds, const void* bytes, std::uint32_t length, std::uint32_t wait);
// Formats one text command (printf style) and appends it; a text that does
// not fit a packet is not appended.
void AppendFormatted(CommandList& cmds, std::uint32_t wait, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

class BoardCommandSet {
 public:
  BoardCommandSet() = default;
  virtual ~BoardCommandSet() = default;
  BoardCommandSet(const BoardCommandSet&) = delete;
  BoardCommandSet& operator=(const BoardCommandSet&) = delete;

  virtual void Init(CommandList& cmds) = 0;                                          // 1
  virtual void SetPosRate(CommandList& cmds, GNSS_FRQ rate) = 0;                     // 2
  virtual void SendObs(CommandList& cmds, GNSS_FRQ rate) = 0;                        // 3
  virtual void SendEphemeris(CommandList& cmds, GNSS_FRQ rate) = 0;                  // 4
  virtual void SendEphemSat(CommandList& cmds, unsigned int prn) = 0;                // 5
  virtual void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) = 0;  // 6
  virtual void SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                         unsigned int extra) = 0;                                    // 7
  virtual void SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
                       unsigned int port) = 0;                                       // 8
  virtual void SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list);  // 9
  virtual void QueryElevMask(CommandList& cmds) = 0;                                 // 10
  virtual void Unlog(CommandList& cmds) = 0;                                         // 11
  virtual void StartBase(CommandList& cmds) = 0;                                     // 12
  virtual void StartRover(CommandList& cmds) = 0;                                    // 13
  virtual void Reset(CommandList& cmds) = 0;                                         // 14
  virtual void PassCom(CommandList& cmds, unsigned int port);                        // 15

  // Read by the Trimble command set only; written by the engine factories.
  std::uint32_t relayed = 0;
  Base_Config base;
  Rover_Config rover;
  // Raw-observation interval code handed over by the legacy engine; -1 none.
  std::int32_t obs_interval = -1;
};

// A command set that builds nothing, for boards the library only listens to.
class SilentCommandSet : public BoardCommandSet {
 public:
  void Init(CommandList&) override {}
  void SetPosRate(CommandList&, GNSS_FRQ) override {}
  void SendObs(CommandList&, GNSS_FRQ) override {}
  void SendEphemeris(CommandList&, GNSS_FRQ) override {}
  void SendEphemSat(CommandList&, unsigned int) override {}
  void SetElevMask(CommandList&, unsigned int, unsigned int) override {}
  void SetSatUse(CommandList&, unsigned int, bool, unsigned int) override {}
  void SetNmea(CommandList&, unsigned int, GNSS_FRQ, unsigned int) override {}
  void QueryElevMask(CommandList&) override {}
  void Unlog(CommandList&) override {}
  void StartBase(CommandList&) override {}
  void StartRover(CommandList&) override {}
  void Reset(CommandList&) override {}
};

}  // namespace KsParse
}  // namespace Kestrel
