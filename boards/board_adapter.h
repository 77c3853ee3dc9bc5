// A board adapter: the owner of one GNSS main board's command set and
// decoder, and of the frame buffer through which the engine hands it frames.
#pragma once

#include <cstdint>
#include <vector>

#include <ksparse/types.h>

#include "boards/board_command_set.h"
#include "boards/board_decoder.h"
#include "boards/frame_buffer.h"

namespace Kestrel {
namespace KsParse {

class BoardAdapter {
 public:
  BoardAdapter();
  virtual ~BoardAdapter();
  BoardAdapter(const BoardAdapter&) = delete;
  BoardAdapter& operator=(const BoardAdapter&) = delete;

  // 1: examines the frame in `frame`, decodes it, and clears the buffer
  // (frame consumed or rejected) or keeps it (incomplete). True when a
  // message was decoded.
  virtual bool ProcessFrame();
  virtual void StartBase(CommandList& cmds);                                          // 2
  virtual void StartRover(CommandList& cmds);                                         // 3
  virtual void Reset(CommandList& cmds);                                              // 4
  virtual void SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system);  // 5
  virtual void SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                         unsigned int extra);                                         // 6
  virtual void SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
                       unsigned int port);                                            // 7
  virtual void SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list);    // 8
  virtual void SetPosRate(CommandList& cmds, GNSS_FRQ rate);                          // 9
  virtual void SendObs(CommandList& cmds, GNSS_FRQ rate);                             // 10
  virtual void SendEphemeris(CommandList& cmds, GNSS_FRQ rate);                       // 11
  virtual void SendEphemSat(CommandList& cmds, unsigned int prn);                     // 12
  virtual void QueryElevMask(CommandList& cmds);                                      // 13
  virtual void Unlog(CommandList& cmds);                                              // 14
  virtual void PassCom(CommandList& cmds, unsigned int port);                         // 15
  virtual std::uint32_t ReportedElevMask();                                           // 16
  virtual bool DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length);  // 17
  virtual bool AcceptPassThrough(const unsigned char* data, unsigned int id,
                                 unsigned int length);                                // 18

  FrameBuffer* frame = nullptr;
  // The bytes that begin a frame of this board, searched for when a
  // candidate frame fails its check (FrameBuffer::DropFalseStart).
  const char* frame_starts = "$";
  std::uint32_t oem_type = 0;
  // Set by an adapter whose frame step decodes an NMEA sentence of the
  // engine's talkers exactly as DecodeCheckedNmea does once the sentence's
  // own checks have passed. An engine that has run those checks on a
  // sentence in its own bytes then decodes it there, sparing the copy into
  // `frame` and the clearing after it.
  bool decodes_checked_nmea = false;
  BoardCommandSet* commands = nullptr;
  BoardDecoder* decoder = nullptr;
};

// Frame steps that the concrete ProcessFrame implementations share. Each
// returns true when the frame was decoded; false with the buffer kept means
// incomplete, false with the buffer cleared means rejected.
bool ProcessNmeaFrame(BoardAdapter& adapter);
bool ProcessRtcm3Frame(BoardAdapter& adapter);
bool ProcessCmrFrame(BoardAdapter& adapter);

// True when the three bytes start an NMEA sentence of one of the talkers in
// `talkers` (pairs of letters, e.g. "GPGLGNBD").
bool IsNmeaStart(const unsigned char* three, const char* talkers);

}  // namespace KsParse
}  // namespace Kestrel
