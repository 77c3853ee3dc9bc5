// How a parse step ends, shared by every engine so that the transactional
// rules of the receive buffer live in one place.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "facade/recv_buffer.h"

namespace Kestrel {
namespace KsParse {

enum class StepOutcome {
  kIncomplete,  // frame not complete yet: keep every byte, stop for now
  kTaken,       // frame taken: consume it, call again
  kSkip,        // nothing recognised: consume one byte, call again
  kRejected,    // candidate failed its check: consume one byte, end this ParseData call
  kRefused,     // intact frame the adapter did not decode: consume it, end this ParseData call
};

// Applies the outcome to the buffer and returns the parse step's result
// (0 stop, 1 call again). A reader that reads through the cursor takes its
// frame as far as the cursor; a reader that worked from the copy the step's
// start made leaves the cursor on the mark and names the frame's length in
// `length`, so that taking it costs one lock.
//
// A candidate that fails its check (CRC, checksum, length limit, a start
// found inside it) costs one byte, not the bytes it claimed: its sync may be
// noise in front of a real frame, and every frame inside the claimed length
// would be lost with it. The search resumes one byte after the false start.
// This loses less than consuming what the reader read; the work per
// rejected byte stays bounded by the longest frame a reader reads.
inline int FinishStep(RecvBuffer& rx, StepOutcome outcome, int length = -1) {
  // The frame read (taken or refused whole) is consumed: by its length when
  // named, else as far as the cursor.
  const auto consume_frame = [&rx, length] {
    if (length >= 0) {
      rx.Discard(length);
    } else {
      rx.Commit();
    }
  };
  switch (outcome) {
    case StepOutcome::kIncomplete:
      return 0;
    case StepOutcome::kTaken:
      consume_frame();
      return 1;
    case StepOutcome::kSkip:
      rx.Discard(1);
      return 1;
    case StepOutcome::kRejected:
      rx.Discard(1);
      return 0;
    case StepOutcome::kRefused:
      consume_frame();
      return 0;
  }
  return 0;
}

// The bytes that can begin a frame, as the 256-entry table that the
// receive buffer's skipping step reads.
struct StartBytes {
  std::uint8_t may_start[256];
};

constexpr StartBytes Starts(std::initializer_list<unsigned char> bytes) {
  StartBytes table{};
  for (unsigned char b : bytes) table.may_start[b] = 1;
  return table;
}

}  // namespace KsParse
}  // namespace Kestrel
