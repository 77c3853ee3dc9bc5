// The software-receiver board adapter: NovAtel-style logs and NMEA from the
// board, positions from the in-process positioning server.
#pragma once

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

class SoftReceiverAdapter : public BoardAdapter {
 public:
  // Path at which the positioning server is installed.
  static constexpr const wchar_t* kServerPath = L"\\Program Files\\KsTest\\SimRcv.dll";

  SoftReceiverAdapter();
  bool ProcessFrame() override;
  // The rover commands, then a positioning session with the server.
  void StartRover(CommandList& cmds) override;
};

}  // namespace KsParse
}  // namespace Kestrel
