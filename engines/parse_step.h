// How a parse step ends, shared by every engine so that the transactional
// rules of the receive buffer live in one place.
#pragma once

#include "facade/recv_buffer.h"

namespace Kestrel {
namespace KsParse {

enum class StepOutcome {
  kIncomplete,  // frame not complete yet: keep every byte, stop for now
  kTaken,       // frame taken: consume it, call again
  kSkip,        // nothing recognised: consume one byte, call again
  kRejected,    // frame refused: consume what was read, end this ParseData call
};

// Applies the outcome to the buffer and returns the parse step's result
// (0 stop, 1 call again).
inline int FinishStep(RecvBuffer& rx, StepOutcome outcome) {
  switch (outcome) {
    case StepOutcome::kIncomplete:
      return 0;
    case StepOutcome::kTaken:
      rx.Commit();
      return 1;
    case StepOutcome::kSkip:
      rx.Discard(1);
      return 1;
    case StepOutcome::kRejected:
      rx.Commit();
      return 0;
  }
  return 0;
}

}  // namespace KsParse
}  // namespace Kestrel
