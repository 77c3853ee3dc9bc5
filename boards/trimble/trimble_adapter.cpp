#include "boards/trimble/trimble_adapter.h"

#include <new>

#include "boards/trimble/trimble_commands.h"
#include "boards/trimble/trimble_decoder.h"
#include "boards/trimble/trimble_wire.h"

namespace Kestrel {
namespace KsParse {

TrimbleAdapter::TrimbleAdapter() {
  oem_type = OEM_TRIMBLE;
  frame_starts = "\x02$\xD3";
  commands = new (std::nothrow) TrimbleCommandSet();
  decoder = new (std::nothrow) TrimbleDecoder;
}

bool TrimbleAdapter::ProcessFrame() {
  using namespace Trimble;
  if (frame == nullptr) return false;
  FrameBuffer& f = *frame;
  if (f.length < 3) return false;  // keep: the frame's start is not there yet
  const unsigned char* d = f.data;
  if (d[0] == kStx && (d[kOffType] == kTypeCmr98 || d[kOffType] == kTypeCmr93)) return ProcessCmrFrame(*this);
  if (d[0] == kStx) return ProcessDcolFrame();
  if (IsNmeaStart(d, "GPGL")) return ProcessNmeaFrame(*this);
  if (d[0] == 0xD3 && (d[1] & 0xFC) == 0) return ProcessRtcm3Frame(*this);
  f.DropFalseStart(frame_starts);
  return false;
}

// Waits for the whole packet its length byte announces, then checks the
// checksum (the ETX byte is not checked). Bytes after the packet are
// dropped with it.
bool TrimbleAdapter::ProcessDcolFrame() {
  using namespace Trimble;
  FrameBuffer& f = *frame;
  if (f.length < kOffData) return false;
  const unsigned total = f.data[kOffLength] + kOverhead;
  if (f.length < total) return false;
  const unsigned n = total - kOverhead;
  if (Checksum(f.data + 1, n + 3) != f.data[kOffData + n]) {
    f.DropFalseStart(frame_starts);
    return false;
  }
  const bool decoded = DecodeMessage(f.data, f.data[kOffType], total);
  f.Clear();
  return decoded;
}

}  // namespace KsParse
}  // namespace Kestrel
