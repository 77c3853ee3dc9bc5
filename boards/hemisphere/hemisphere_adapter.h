// The Hemisphere board adapters: "$BIN" binary messages, "$>J" replies and
// NMEA in the board's output, "$J" commands towards it. The second
// generation also passes on the RTCM 3 and CMR frames it sends as a base.
#pragma once

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

class Hemisphere1Adapter : public BoardAdapter {
 public:
  Hemisphere1Adapter();
  bool ProcessFrame() override;

 private:
  bool ProcessReply();
};

class Hemisphere2Adapter : public BoardAdapter {
 public:
  Hemisphere2Adapter();
  bool ProcessFrame() override;

 private:
  bool ProcessReply();
};

}  // namespace KsParse
}  // namespace Kestrel
