// The Hemisphere command sets: the board's "$J" commands for the board-level
// requests, first and second generation. Every command goes out with wait 50.
#pragma once

#include <cstdint>
#include <vector>

#include "boards/board_command_set.h"

namespace Kestrel {
namespace KsParse {

// What both generations build alike: masks, stop, reset, and the NMEA
// output commands in the generation's own sentence order.
class HemisphereCommandSet : public BoardCommandSet {
 public:
  void SendEphemeris(CommandList&, GNSS_FRQ) override {}
  void SendEphemSat(CommandList&, unsigned int) override {}
  void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) override;
  void SetSatUse(CommandList&, unsigned int, bool, unsigned int) override {}
  // One "$JASC,<sentence>,<rate>" per set bit, in the generation's order;
  // the port is not the board's concern (it answers on the asking port).
  void SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
               unsigned int port) override;
  void QueryElevMask(CommandList& cmds) override;
  void Unlog(CommandList& cmds) override;
  void Reset(CommandList& cmds) override;

  // NMEA mask bits of these boards beyond the shared ones.
  static constexpr std::uint32_t kNmeaGns = 0x10000;
  static constexpr std::uint32_t kNmeaRre = 0x20000;

  // An NMEA sentence: its mask bit and its name.
  struct Sentence {
    std::uint32_t bit;
    const char* name;
  };

 protected:
  // The generation's sentence order and its "$JASC" rate number.
  virtual const Sentence* NmeaOrder(std::uint32_t* count) const = 0;
  virtual int AscRate(GNSS_FRQ rate) const = 0;
  // "$JASC,<sentence>,<rate number>".
  void AppendAsc(CommandList& cmds, const char* sentence, GNSS_FRQ rate) const;
};

class Hemisphere1CommandSet : public HemisphereCommandSet {
 public:
  void Init(CommandList& cmds) override;
  void SetPosRate(CommandList& cmds, GNSS_FRQ rate) override;
  void SendObs(CommandList&, GNSS_FRQ) override {}
  // Every set bit of each element, at the element's rate.
  void SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) override;
  void StartBase(CommandList&) override {}
  // The differential source of the rover settings: RTK, SBAS or beacon.
  void StartRover(CommandList& cmds) override;

  // GNSS_FRQ to outputs per second for "$JASC".
  static int AscRateOf(GNSS_FRQ rate);

 protected:
  const Sentence* NmeaOrder(std::uint32_t* count) const override;
  int AscRate(GNSS_FRQ rate) const override { return AscRateOf(rate); }
};

class Hemisphere2CommandSet : public HemisphereCommandSet {
 public:
  void Init(CommandList& cmds) override;
  void SetPosRate(CommandList& cmds, GNSS_FRQ rate) override;
  void SendObs(CommandList& cmds, GNSS_FRQ rate) override;
  // The first set bit of each element only, at the element's rate.
  void SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) override;
  // Base at the configured position with the configured differential format.
  void StartBase(CommandList& cmds) override;
  void StartRover(CommandList& cmds) override;

  // GNSS_FRQ to outputs per second for "$JASC" (0 stops the sentence).
  static int AscRateOf(GNSS_FRQ rate);
  // GNSS_FRQ to the rate of the "$JBIN" observation messages.
  static double ObsRateOf(GNSS_FRQ rate);

  // Differential format code of the board's own ROX format.
  static constexpr std::uint32_t kFormatRox = 15;

 protected:
  const Sentence* NmeaOrder(std::uint32_t* count) const override;
  int AscRate(GNSS_FRQ rate) const override { return AscRateOf(rate); }
};

}  // namespace KsParse
}  // namespace Kestrel
