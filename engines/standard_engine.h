// The engine for receivers built around another maker's main board, spoken
// to in the board's own language: it finds and delimits the board's frames
// and hands each to the board adapter.
#pragma once

#include <cstdint>

#include "engines/parse_step.h"
#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class StandardEngine : public ProtocolEngine {
 public:
  static constexpr unsigned int kFrameSize = 2048;
  // Longest NMEA sentence taken, with its CR LF.
  static constexpr int kNmeaMax = 300;
  // Bytes that must be buffered from a sentence's start before it is
  // examined: a GGA needs fewer, every other sentence the whole limit after
  // its six name bytes.
  static constexpr int kNmeaGgaWindow = 100;
  static constexpr int kNmeaWindow = 6 + kNmeaMax;
  // Bytes that a step's start copies from the mark: a GGA's window and the
  // end of any sentence the boards send; a longer one is copied whole
  // when it is read.
  static constexpr int kNmeaHead = 128;
  // A Hemisphere text reply must end (CR LF) within this many bytes.
  static constexpr int kReplyWindow = 100;
  // Hemisphere binary messages carry fewer data bytes than this.
  static constexpr unsigned int kHemisphereDataLimit = 2037;

  // The frame kinds that one board's output is searched for.
  struct ReaderSet {
    const std::uint8_t* may_start;  // 256 flags: the bytes that begin some frame of the set
    const char* nmea_talkers;     // letter pairs, e.g. "GPGL"
    bool novatel;                 // 0xAA 0x44 0x12 binary logs
    std::uint8_t rtcm3_mask;      // bits of the second byte that must be 0; 0: no RTCM 3
    bool trimble_any_type;        // 0x02 frames of any type
    bool trimble_cmr_types;       // 0x02 frames of type 0x93 or 0x98 only
    bool hemisphere;              // $BI binary and $>J text replies
  };

  StandardEngine();

  int ParseNext() override;
  bool SelectBoard(MAINBD_OEM_TYPE type) override;
  // Correction bytes go to the board unframed.
  void SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) override;
  // The board-level satellite-use command is not offered through this engine.
  void SetSatUse(CommandList&, unsigned int, bool, unsigned int) override {}

  // The frame kinds looked for with a board type; null for types this
  // engine does not serve.
  static const ReaderSet* ReadersFor(MAINBD_OEM_TYPE type);

 protected:
  // Scratch for the candidate frame. Its contents never leave the engine
  // except as the bytes handed to the adapter, and every reader writes a
  // byte before it looks at it, so the scratch is not cleared between steps.
  unsigned char frame_[kFrameSize] = {};

 private:
  // The step's start copies up to kNmeaHead bytes from the mark into frame_
  // (`copied` of the `held` bytes). The NMEA reader works from that copy
  // (only a sentence that does not end inside it is copied again) and names
  // the length of the sentence it takes in `taken`; every other reader,
  // chosen by ChooseReader, starts with the three start bytes read and the
  // cursor after them. Each tells how the step ends.
  StepOutcome ChooseReader(const ReaderSet& set, int& taken);
  StepOutcome ReadNmea(int held, int copied, int& taken);
  // The NMEA candidates that ReadNmea's one pass does not settle.
  StepOutcome ReadOtherNmea(int held, int copied, int window, int& taken);
  StepOutcome ReadNovAtel();
  StepOutcome ReadRtcm3();
  StepOutcome ReadTrimble();
  StepOutcome ReadHemisphereBinary();
  StepOutcome ReadHemisphereReply();
  // Hands frame_[0..count) to the adapter: taken when it accepts the frame;
  // otherwise refused whole when `intact` (null: never) says the frame passes
  // its own check, else rejected. `checked`: as for HandToAdapter.
  StepOutcome Deliver(unsigned int count, bool (*intact)(const unsigned char*, unsigned int),
                      bool checked = false);
};

}  // namespace KsParse
}  // namespace Kestrel
