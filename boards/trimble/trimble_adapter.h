// The Trimble board adapter: data-collector packets (GSOF records and
// replies), NMEA, RTCM 3 and CMR in the board's output; data-collector
// packets towards it.
#pragma once

#include "boards/board_adapter.h"

namespace Kestrel {
namespace KsParse {

class TrimbleAdapter : public BoardAdapter {
 public:
  TrimbleAdapter();
  bool ProcessFrame() override;

 private:
  bool ProcessDcolFrame();
};

}  // namespace KsParse
}  // namespace Kestrel
