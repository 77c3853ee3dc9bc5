#include "boards/novatel/novatel_adapter.h"

#include <new>

#include "boards/adapter_factory.h"
#include "boards/novatel/novatel_commands.h"
#include "boards/novatel/novatel_decoder.h"
#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {

NovAtelFrameResult ProcessNovAtelFrame(BoardAdapter& adapter) {
  using namespace NovAtel;
  const FrameBuffer& f = *adapter.frame;
  if (f.length < kHeaderLength) return NovAtelFrameResult::kIncomplete;
  const unsigned char* data = f.data;
  // Only the 28-byte header is known. A log announcing another header length
  // is refused, a deliberate receive-side choice: its body and CRC could not
  // be located, and decoding fields at guessed offsets would store garbage.
  if (data[kOffHeaderLength] != kHeaderLength) return NovAtelFrameResult::kRejected;
  const std::uint32_t total = U16(data + kOffBodyLength) + kHeaderLength + kCrcLength;
  // A log that can never fit the buffer is refused at once rather than
  // waited for.
  if (total > FrameBuffer::kCapacity) return NovAtelFrameResult::kRejected;
  if (f.length < total) return NovAtelFrameResult::kIncomplete;
  // A frame longer than its header announces is not split: it is refused.
  if (f.length > total) return NovAtelFrameResult::kRejected;
  if (Crc32(data, total) != 0) return NovAtelFrameResult::kRejected;
  return adapter.DecodeMessage(data, U16(data + kOffMessageId), total) ? NovAtelFrameResult::kDecoded
                                                                       : NovAtelFrameResult::kUndecoded;
}

bool TakeNovAtelFrame(BoardAdapter& adapter) {
  switch (ProcessNovAtelFrame(adapter)) {
    case NovAtelFrameResult::kIncomplete: return false;
    case NovAtelFrameResult::kDecoded: adapter.frame->Clear(); return true;
    case NovAtelFrameResult::kUndecoded: adapter.frame->Clear(); return false;
    case NovAtelFrameResult::kRejected: break;
  }
  adapter.frame->DropFalseStart(adapter.frame_starts);
  return false;
}

NovAtelAdapter::NovAtelAdapter() {
  oem_type = OEM_NOVATEL;
  frame_starts = "\xAA$\xD3\x02";
  commands = new (std::nothrow) NovAtelCommandSet();
  decoder = new (std::nothrow) NovAtelDecoder;
}

bool NovAtelAdapter::ProcessFrame() {
  FrameBuffer& f = *frame;
  if (f.length < 3) return false;  // keep: the frame's start is not there yet
  const unsigned char* d = f.data;
  if (d[0] == NovAtel::kSync0 && d[1] == NovAtel::kSync1 && d[2] == NovAtel::kSync2) return TakeNovAtelFrame(*this);
  if (IsNmeaStart(d, "GPGLGNBD")) return ProcessNmeaFrame(*this);
  // RTCM 3 as the boards send it: a whole zero second byte, so only messages
  // shorter than 256 bytes; longer ones are dropped like any unknown frame.
  if (d[0] == 0xD3 && d[1] == 0x00) return ProcessRtcm3Frame(*this);
  if (d[0] == 0x02 && (d[2] == 0x93 || d[2] == 0x98)) return ProcessCmrFrame(*this);
  f.DropFalseStart(frame_starts);
  return false;
}

BoardAdapter* CreateNovAtelAdapter(std::uint32_t board_generation) {
  BoardAdapter* adapter = CompleteAdapter(new (std::nothrow) NovAtelAdapter());
  if (adapter == nullptr) return nullptr;
  if (board_generation == 1 || board_generation == 2) {
    static_cast<NovAtelCommandSet*>(adapter->commands)->board_generation = board_generation;
  }
  return adapter;
}

}  // namespace KsParse
}  // namespace Kestrel
