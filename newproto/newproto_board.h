// The new-protocol board adapter. Frames never reach it: the engine takes
// packets apart and hands it single items (DecodeMessage) and plain GGA
// sentences (AcceptPassThrough).
#pragma once

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

class NewProtoBoard : public BoardAdapter {
 public:
  static constexpr unsigned int kGgaId = 1032;

  NewProtoBoard();
  bool ProcessFrame() override { return true; }
  // Keeps a GGA sentence (id 1032) as the decoder's text reply, at most 260
  // bytes, and adds bit 0x1 to msg_flags.
  bool AcceptPassThrough(const unsigned char* data, unsigned int id, unsigned int length) override;
};

}  // namespace KsParse
}  // namespace Kestrel
