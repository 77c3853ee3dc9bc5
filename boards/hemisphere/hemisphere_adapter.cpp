#include "boards/hemisphere/hemisphere_adapter.h"

#include <new>

#include "boards/hemisphere/hemisphere_commands.h"
#include "boards/hemisphere/hemisphere_decoder.h"
#include "boards/hemisphere/hemisphere_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

using Hemisphere::BinCheck;

bool IsBinStart(const unsigned char* d) { return d[0] == '$' && d[1] == 'B' && d[2] == 'I'; }
bool IsReplyStart(const unsigned char* d) { return d[0] == '$' && d[1] == '>' && d[2] == 'J'; }

// The "$BIN" step of both generations: a message that passes the checks
// goes to the adapter's DecodeMessage; the buffer is kept while the message
// is incomplete and cleared otherwise.
bool ProcessBin(BoardAdapter& adapter, Hemisphere::BinRules rules) {
  FrameBuffer& f = *adapter.frame;
  switch (Hemisphere::CheckBinFrame(f, rules)) {
    case BinCheck::kIncomplete: return false;
    case BinCheck::kRejected: f.DropFalseStart(adapter.frame_starts); return false;
    case BinCheck::kGood: break;
  }
  const std::uint32_t total = Hemisphere::U16(f.data + Hemisphere::kOffDataLength) + Hemisphere::kBinOverhead;
  const bool decoded = adapter.DecodeMessage(f.data, Hemisphere::U16(f.data + Hemisphere::kOffBlockId), total);
  f.Clear();
  return decoded;
}

// The first generation tells a reply's kind from its first characters.
constexpr std::uint32_t kReplyHead = 7;

}  // namespace

// ---------------------------------------------------------------- first generation

Hemisphere1Adapter::Hemisphere1Adapter() {
  oem_type = OEM_HEMISPHERE;
  commands = new (std::nothrow) Hemisphere1CommandSet();
  decoder = new (std::nothrow) Hemisphere1Decoder();
}

bool Hemisphere1Adapter::ProcessFrame() {
  if (frame == nullptr) return false;
  FrameBuffer& f = *frame;
  if (f.length < 3) return false;  // keep: the frame's start is not there yet
  const unsigned char* d = f.data;
  // The board's checksum is verified here as well: this generation's
  // messages carry it like the second's. The exclusive-or test matches the
  // standard engine's, so that both paths accept the same messages.
  if (IsBinStart(d)) return ProcessBin(*this, {false, true});
  if (IsNmeaStart(d, "GPGL")) return ProcessNmeaFrame(*this);
  if (IsReplyStart(d)) return ProcessReply();
  f.Clear();  // anything else is passed over
  return true;
}

bool Hemisphere1Adapter::ProcessReply() {
  FrameBuffer& f = *frame;
  // The kind is told from the first seven characters: fewer are kept.
  const std::uint32_t n = Hemisphere::ReplyLength(f, kReplyHead);
  if (n == 0) return false;
  const std::uint32_t head = n < kReplyHead ? n : kReplyHead;
  bool understood = true;
  if (Hemisphere::Contains(f.data, head, "JSHOW")) {
    if (decoder != nullptr) Hemisphere::ParseJshowReply(*decoder, f.data, n);
  } else if (Hemisphere::Contains(f.data, head, "JI")) {
    if (decoder != nullptr) decoder->msg_flags = 0;  // receiver information: not used
  } else {
    understood = false;
  }
  f.Clear();
  return understood;
}

// ---------------------------------------------------------------- second generation

Hemisphere2Adapter::Hemisphere2Adapter() {
  oem_type = OEM_HEMISPHERE2;
  frame_starts = "$\xD3\x02";
  commands = new (std::nothrow) Hemisphere2CommandSet();
  decoder = new (std::nothrow) Hemisphere2Decoder();
}

bool Hemisphere2Adapter::ProcessFrame() {
  if (frame == nullptr) return false;
  FrameBuffer& f = *frame;
  if (f.length < 3) return false;  // keep: the frame's start is not there yet
  const unsigned char* d = f.data;
  if (IsBinStart(d)) return ProcessBin(*this, {true, false});
  if (IsNmeaStart(d, "GPGLGNBD")) return ProcessNmeaFrame(*this);
  if (IsReplyStart(d)) return ProcessReply();
  // As a base the board sends its corrections in the same stream. RTCM 3
  // only with a zero second byte, as the other boards: longer messages are
  // passed over like any unknown frame.
  if (d[0] == 0xD3 && d[1] == 0x00) return ProcessRtcm3Frame(*this);
  if (d[0] == 0x02 && (d[2] == 0x93 || d[2] == 0x98)) return ProcessCmrFrame(*this);
  f.Clear();  // anything else, other "$" frames included, is passed over
  return true;
}

bool Hemisphere2Adapter::ProcessReply() {
  FrameBuffer& f = *frame;
  const std::uint32_t n = Hemisphere::ReplyLength(f, 1);
  if (n == 0) return false;
  bool understood = false;
  if (auto* d = static_cast<Hemisphere2Decoder*>(decoder)) {
    if (Hemisphere::Contains(f.data, n, "JRTK")) {
      understood = d->ParseJrtkReply(f.data, n);
    } else if (Hemisphere::Contains(f.data, n, "JSHOW")) {
      understood = Hemisphere::ParseJshowReply(*d, f.data, n);
    }
  }
  f.Clear();
  return understood;
}

}  // namespace KsParse
}  // namespace Kestrel
