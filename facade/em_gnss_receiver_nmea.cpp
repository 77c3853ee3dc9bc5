// Em_Gnss: the NMEA output of the maker's older receivers. The main board's
// own NMEA commands go first (through the receiver), then the receiver is
// told which sentences to send: a 16-bit sentence mask in an RF frame, and
// with the second form the rate of each sentence in an RD frame.
#include <cstdio>

#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "legacy/board_pass_through.h"
#include "legacy/legacy_frame.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kWaitNmea = 100;

// The receiver's sentence mask bits, by the request flag that selects them;
// the first flag of this order that a request holds decides its bit.
struct SentenceBit {
  std::uint32_t flag;
  std::uint16_t bit;
};
constexpr SentenceBit kSentenceBits[] = {
    {0x1, 0x1},      {0x40, 0x2},     {0x10, 0x4},     {0x20, 0x8},    {0x100, 0x10},
    {0x2, 0x20},     {0x200, 0x40},   {0x400, 0x80},   {0x800, 0x100}, {0x1000, 0x200},
    {0x2000, 0x400}, {0x4000, 0x800}, {0x8000, 0x1000}, {0x10000, 0x100}, {0x20000, 0x200},
};
constexpr int kMaskBits = 13;

// Mask bit numbers of the sentences whose rates the RD frame carries.
enum : int { kGga, kGsv, kGsa, kGst, kRmc, kGll, kVtg, kZda, kAlm, kRmb, kGrs };

struct SentenceRequest {
  unsigned int mask = 0;
  unsigned char rate[kMaskBits] = {};
};

SentenceRequest Collect(const std::vector<_set_nmea>& list) {
  SentenceRequest r;
  for (const _set_nmea& entry : list) {
    const std::uint32_t flags = entry.mask;
    for (const SentenceBit& s : kSentenceBits) {
      if ((flags & s.flag) == 0) continue;
      r.mask |= s.bit;
      for (int i = 0; i < kMaskBits; ++i)
        if (s.bit == 1u << i) r.rate[i] = static_cast<unsigned char>(entry.frq);
      break;
    }
  }
  return r;
}

std::uint32_t Word(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
  return b0 | (b1 << 8) | (b2 << 16) | (static_cast<std::uint32_t>(b3) << 24);
}

void Send(const ProtocolEngine& engine, CommandList& cmds, const char* text) {
  Legacy::AppendTemplateCommand(engine, cmds, text, kWaitNmea);
}

}  // namespace

void Em_Gnss::AppendReceiverNmea(std::vector<_STR_CMD>& cmds, const std::vector<_set_nmea>& list, int rate,
                                 const bool* flag) {
  if (engine->BoardType() == OEM_NONE) return;
  Legacy::AppendBoardCommands(*engine, cmds,
                              [&](BoardAdapter& board, CommandList& out) { board.SetNmeaList(out, list); });
  const SentenceRequest r = Collect(list);
  char text[Legacy::kTemplateChars + 1];
  std::snprintf(text, sizeof text, "RF,M%u,B%d", r.mask, rate);
  Send(*engine, cmds, text);
  if (flag == nullptr) return;
  // The receiver's RD frame leaves room for four more rates after RMC, GLL
  // and VTG: ZDA fills the fourth byte of the second word, ALM the B field,
  // and RMB and GRS the low and high bytes of the M field.
  const unsigned char* q = r.rate;
  std::snprintf(text, sizeof text, "RD,B%d,M%u,B%d,L%u,L%u,B%d,M%d", *flag ? 1 : 0, r.mask, rate,
                Word(q[kGga], q[kGsv], q[kGsa], q[kGst]), Word(q[kRmc], q[kGll], q[kVtg], q[kZda]), q[kAlm],
                q[kRmb] | (q[kGrs] << 8));
  Send(*engine, cmds, text);
}

void Em_Gnss::Set_Norvik_NMEA(std::vector<_STR_CMD>& cmds, std::vector<_set_nmea>& list, int rate) {
  if (IsNorvikOldProtocolReceiver()) AppendReceiverNmea(cmds, list, rate, nullptr);
}

void Em_Gnss::Set_Norvik_NMEA(std::vector<_STR_CMD>& cmds, std::vector<_set_nmea>& list, int rate, bool flag) {
  if (IsNorvikManufacturer()) AppendReceiverNmea(cmds, list, rate, &flag);
}

}  // namespace KsParse
}  // namespace Kestrel
