#include "engines/newproto_engine.h"

#include <cstring>
#include <new>

#include "boards/adapter_factory.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_codec.h"
#include "newproto/newproto_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

using NewProto::kEnd0;
using NewProto::kEnd1;
using NewProto::kSync0;
using NewProto::kSync1;

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned kTransportHead = 5;  // "$$", stream, sequence, length
constexpr unsigned kGgaLead = 6;        // "$GPGGA"
constexpr std::uint16_t kDataLinkSetCode = 50;

struct StartTable {
  std::uint8_t may_start[256];
};

constexpr StartTable OnlyByte(unsigned char b) {
  StartTable t{};
  t.may_start[b] = 1;
  return t;
}

constexpr StartTable kTransportStarts = OnlyByte('$');
constexpr StartTable kPacketStarts = OnlyByte(kSync0);

// Every pass of the parse loops consumes at least one held byte, so a loop
// never needs more passes than the buffer holds bytes (plus its state
// changes); the bound only guards against a reader that stops consuming.
constexpr int kMaxPasses = 4 * RecvBuffer::kCapacity + 8;

// A "$GPGGA" whose line the GGA step refuses whatever follows: a '$' comes
// before its CR LF, or there is none where the line (after the lead) would
// still be at most 251 bytes long. Undecided (false) while neither shows.
bool NoGgaLine(const unsigned char* p, int held) {
  constexpr int kLastCr = static_cast<int>(kGgaLead) + RecvBuffer::kMaxLine - 2;
  for (int k = static_cast<int>(kGgaLead); k < held; ++k) {
    if (p[k] == '$' || k > kLastCr) return true;
    if (p[k] == kCr && (k + 1 >= held || p[k + 1] == kLf)) return false;
  }
  return false;
}

// A '$' at which hunting would discard the byte anyway: neither "$$" nor
// "$G" follows, "$G" is not "$GPGGA", or a transport header whose length
// is out of range or whose CR LF is not where the length puts it. Decided
// while the receive buffer passes over bytes, so that a flood of false
// leads costs a few instructions a byte instead of a parse step each.
bool NoTransportFrame(const unsigned char* p, int held) {
  if (p[1] == 'G') {
    if (held < static_cast<int>(kGgaLead)) return false;
    return std::memcmp(p + 2, "PGGA", 4) != 0 || NoGgaLine(p, held);
  }
  if (p[1] != '$') return true;
  if (held < static_cast<int>(kTransportHead)) return false;
  const unsigned n = p[4];
  if (n > NewProto::kMaxChunk) return true;
  return held >= static_cast<int>(kTransportHead + n + 2) &&
         (p[kTransportHead + n] != kCr || p[kTransportHead + n + 1] != kLf);
}

}  // namespace

NewProtoEngine::NewProtoEngine()
    : ProtocolEngine(GNSS_MNFCTR_NORVIK), reassembly(new (std::nothrow) RecvBuffer()) {}

NewProtoEngine::~NewProtoEngine() {
  delete reassembly;  // resets the buffer and deletes its lock
  reassembly = nullptr;
}

bool NewProtoEngine::SelectBoard(MAINBD_OEM_TYPE) {
  ReplaceAdapter(nullptr);
  ReplaceAdapter(CreateNewProtoBoardAdapter());
  return true;
}

void NewProtoEngine::SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) {
  if (data == nullptr || length == 0) return;
  const std::uint16_t code = kDataLinkSetCode;
  const NV_BLOCK_DATA_STRUCT block = {length, data};
  NewProto::BuildPacket(cmds, {{NewProto::kItemMessageCode, &code}, {0x1504, &block}}, 0);
}

Msg_Type NewProtoEngine::KindOfCode(std::uint16_t code) {
  switch (code) {
    case 2: case 3: case 10: case 11: case 38: case 39:
      return MSG_NV_SYSTEM;
    case 14: case 15: case 16:
      return MSG_NV_GNSS;
    case 22: case 23: case 46: case 47: case 50: case 51:
      return MSG_NV_RADIO_LINK;
    case 34: case 35: case 42: case 43:
      return MSG_NV_WIFI_MODEM;
    default:
      return MSG_NONE;
  }
}

int NewProtoEngine::ParseNext() {
  if (rx == nullptr || reassembly == nullptr) return 0;
  // Hunting's skipping step compacts by itself.
  if (transport_state != kHunting && rx->Fill() > RecvBuffer::kCompactThreshold) rx->Compact();
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    switch (transport_state) {
      case kLeadSeen: {
        // The cursor is on the first '$' (hunting only looked at the lead).
        if (!rx->Read(scratch, 3 + 2)) return 0;
        transport_state = kHeaderRead;
        if (scratch[4] > NewProto::kMaxChunk) {
          transport_state = kHunting;
          rx->Discard(1);
        }
        break;
      }
      case kHeaderRead: {
        const unsigned n = scratch[4];
        if (!rx->Read(scratch + kTransportHead, static_cast<int>(n + 2))) return 0;
        transport_state = kHunting;
        if (scratch[kTransportHead + n] != kCr || scratch[kTransportHead + n + 1] != kLf) {
          rx->Discard(1);
          break;
        }
        AppendChunk();
        rx->Commit();
        if (ParsePackets()) return 1;
        break;
      }
      case kGgaLine: {
        int length = 0;
        if (!rx->ReadLine(scratch + kGgaLead, kScratchSize - kGgaLead, &length)) {
          // A line that can no longer end within 251 bytes is no sentence.
          // Its "$" is passed over and the search resumes one byte later, so
          // a frame that noise glued behind a cut "$GPGGA" is still found.
          if (length > RecvBuffer::kMaxLine) {
            transport_state = kHunting;
            rx->Discard(1);
          }
          return 0;
        }
        transport_state = kHunting;
        // A "$" inside the line starts another frame: the "$GPGGA" was cut
        // short by noise. It costs one byte and the search resumes.
        if (std::memchr(scratch + kGgaLead, '$', static_cast<std::size_t>(length)) != nullptr) {
          rx->Discard(1);
          break;
        }
        rx->Commit();  // the cursor is on the CR; hunting passes over CR LF
        if (adapter != nullptr &&
            adapter->AcceptPassThrough(scratch, kGgaPassThroughId, static_cast<unsigned>(length) + kGgaLead)) {
          last_kind = MSG_NV_NMEA;
          // The sentence's flags join those still reported for the packet
          // before it: receivers built against this report expect the union.
          if (adapter->decoder != nullptr) changed_flags |= adapter->decoder->msg_flags;
          return 1;
        }
        break;
      }
      default: {  // hunting; an unknown state counts as hunting
        transport_state = kHunting;
        // The lead is looked at without moving the cursor: a transport
        // header is then read whole from the first '$'.
        unsigned char lead[kGgaLead];
        const int held = rx->BeginStepSkipping(kTransportStarts.may_start, 2, NoTransportFrame, lead, kGgaLead);
        if (held < 2) return 0;
        if (lead[0] == '$' && lead[1] == '$') {
          transport_state = kLeadSeen;
        } else if (lead[0] == '$' && lead[1] == 'G') {
          if (held < static_cast<int>(kGgaLead)) return 0;
          if (std::memcmp(lead + 2, "PGGA", 4) == 0) {
            if (!rx->Read(scratch, kGgaLead)) return 0;
            transport_state = kGgaLine;
          } else {
            rx->Discard(2);
          }
        } else {
          rx->Discard(1);
        }
        break;
      }
    }
  }
  return 0;
}

void NewProtoEngine::ClearReassembly() {
  reassembly->Reset();
  packet_state = kHunting;
}

void NewProtoEngine::AppendChunk() {
  const std::uint8_t stream = scratch[2];
  const std::uint8_t sequence = scratch[3];
  const unsigned n = scratch[4];
  if (n > NewProto::kMaxChunk) return;

  if (last_stream == 0) {
    last_stream = stream;
  } else if (last_stream != stream) {
    last_stream = stream;
    ClearReassembly();
  }
  // A lost frame cuts the packet it carried: drop what was gathered.
  if (last_sequence < NewProto::kSequenceModulus &&
      (last_sequence + 1) % NewProto::kSequenceModulus != sequence) {
    ClearReassembly();
  }
  last_sequence = sequence;

  if (n == 0) return;
  // Bytes already split off are reclaimed only when the chunk would not fit
  // otherwise, so that a long stream of packets never overflows the buffer;
  // a chunk that still does not fit empties it and is dropped.
  if (reassembly->Fill() + static_cast<int>(n) > RecvBuffer::kCapacity) reassembly->Compact();
  if (reassembly->Fill() + static_cast<int>(n) > RecvBuffer::kCapacity) {
    ClearReassembly();
    return;
  }
  reassembly->Append(scratch + kTransportHead, n);
}

bool NewProtoEngine::ParsePackets() {
  RecvBuffer& rb = *reassembly;
  bool decoded = false;
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    if (packet_state == kHunting) {
      rb.BeginStepSkipping(kPacketStarts.may_start, 2);
      if (!rb.Read(header.sync, 2)) return decoded;
      if (header.sync[0] == kSync0 && header.sync[1] == kSync1) {
        packet_state = 1;
      } else {
        rb.Discard(1);
      }
      continue;
    }
    if (packet_state == 1) {
      unsigned char h[11];
      if (!rb.Read(h, 11)) return decoded;
      header.flags = h[0];
      header.tag = NewProto::U32(h + 1);
      header.word = NewProto::U32(h + 5);
      header.length = NewProto::U16(h + 9);
      if (header.length >= NewProto::kMinPayload && header.length <= RecvBuffer::kCapacity) {
        packet_state = 3;
      } else {
        packet_state = kHunting;
        rb.Discard(1);
      }
      continue;
    }
    // Header read: the payload, check field and end bytes must all be held.
    const unsigned length = header.length;
    if (length < NewProto::kMinPayload || length > RecvBuffer::kCapacity) {
      packet_state = kHunting;
      continue;
    }
    if (!rb.Read(payload_, static_cast<int>(length + NewProto::kTrailerBytes))) return decoded;
    packet_state = kHunting;
    header.check = NewProto::U32(payload_ + length);
    header.end[0] = payload_[length + 4];
    header.end[1] = payload_[length + 5];
    if (header.end[0] != kEnd0 || header.end[1] != kEnd1) {
      rb.Discard(1);
      continue;
    }
    if (DecodeItems(header.length)) decoded = true;
    rb.Commit();
  }
  return decoded;
}

bool NewProtoEngine::DecodeItems(std::uint16_t length) {
  // The payload opens with item 0x0001 (4-byte header, 2-byte code),
  // followed by the second item's header.
  const unsigned char* p = payload_;
  last_kind = KindOfCode(NewProto::U16(p + 4));
  changed_flags = 0;
  if (adapter == nullptr) return false;
  NewProtoBoardData* board = dynamic_cast<NewProtoBoardData*>(adapter->decoder);

  bool decoded = false;
  unsigned id = NewProto::U16(p + 6);
  unsigned item_length = NewProto::U16(p + 8);
  unsigned consumed = NewProto::kMinPayload;
  while (consumed + item_length <= length) {
    if (item_length != 0) {
      const unsigned char* value = p + consumed;
      consumed += item_length;
      if (adapter->DecodeMessage(value, id, item_length)) {
        if (adapter->decoder != nullptr) changed_flags |= adapter->decoder->msg_flags;
        if (board != nullptr) board->response_tag = header.tag;
        decoded = true;
      }
    }
    consumed += NewProto::kItemHeaderBytes;
    if (consumed > length) break;
    id = NewProto::U16(p + consumed - 4);
    item_length = NewProto::U16(p + consumed - 2);
  }
  return decoded;
}

}  // namespace KsParse
}  // namespace Kestrel
