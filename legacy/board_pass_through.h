// Commands for the GNSS main board inside one of the maker's older receivers
// reach the board through the receiver: the board adapter builds them, and
// they travel in RZ frames of at most 55 bytes each. A software-receiver
// board is served in-process, so its records are appended as they are.
#pragma once

#include "boards/board_adapter.h"
#include "engines/protocol_engine.h"
#include "legacy/legacy_frame.h"

namespace Kestrel {
namespace KsParse {
namespace Legacy {

// Calls `build(BoardAdapter&, CommandList&)` for the engine's board and
// appends its records to `out` in the form the board takes. Nothing for a
// receiver without a board, or of a board type the receivers do not carry.
template <class Build>
void AppendBoardCommands(const ProtocolEngine& engine, CommandList& out, Build build) {
  if (engine.adapter == nullptr || engine.adapter->commands == nullptr) return;
  BoardAdapter& board_adapter = *engine.adapter;
  switch (engine.BoardType()) {
    case OEM_TRIMBLE:
    case OEM_NOVATEL:
    case OEM_HEMISPHERE:
    case OEM_HEMISPHERE2: {
      CommandList board;
      build(board_adapter, board);
      SplitAndFrame(engine, out, board, PassThrough::kBoard);
      break;
    }
    case OEM_SOFT_RECEIVER:
      build(board_adapter, out);
      break;
    default:
      break;
  }
}

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
