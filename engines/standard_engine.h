// The engine for receivers built around another maker's main board, spoken
// to in the board's own language: it finds and delimits the board's frames
// and hands each to the board adapter.
#pragma once

#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class StandardEngine : public ProtocolEngine {
 public:
  static constexpr unsigned int kFrameSize = 2048;

  StandardEngine();

  int ParseNext() override;
  bool SelectBoard(MAINBD_OEM_TYPE type) override;
  // Correction bytes go to the board unframed.
  void SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) override;
  // The board-level satellite-use command is not offered through this engine.
  void SetSatUse(CommandList&, unsigned int, bool, unsigned int) override {}

 protected:
  unsigned char frame_[kFrameSize] = {};
};

}  // namespace KsParse
}  // namespace Kestrel
