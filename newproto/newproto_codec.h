// The packet codec of the maker's new binary protocol, used by every
// new-protocol command: items are encoded by their id's value layout, wrapped
// into one packet and cut into "$$" transport frames, one _STR_CMD each.
//
// Packet: 04 11, flags, tag (4), header word (4), payload length L (2),
// L bytes of items, check field (4), 09 24; integers big-endian.
// Item: id (2), value length V (2), V value bytes.
// Transport frame: '$' '$', stream, sequence 0..250, chunk length n <= 250,
// n chunk bytes, CR LF.
#pragma once

#include <cstdint>
#include <vector>

#include <ksparse/newproto_records.h>
#include <ksparse/types.h>

namespace Kestrel {
namespace KsParse {
namespace NewProto {

constexpr unsigned char kSync0 = 0x04;
constexpr unsigned char kSync1 = 0x11;
constexpr unsigned char kEnd0 = 0x09;
constexpr unsigned char kEnd1 = 0x24;
constexpr unsigned kHeaderBytes = 13;   // sync, flags, tag, header word, length
constexpr unsigned kTrailerBytes = 6;   // check field and end bytes
constexpr unsigned kPacketOverhead = kHeaderBytes + kTrailerBytes;
constexpr unsigned kMinPayload = 10;    // the message code item and one item header
constexpr unsigned kMaxSendPayload = 65280;
constexpr unsigned kItemHeaderBytes = 4;

constexpr unsigned kMaxChunk = 250;
constexpr unsigned kFrameOverhead = 7;  // "$$", stream, sequence, length, CR LF
constexpr std::uint8_t kSequenceModulus = 251;
constexpr std::uint8_t kSentStream = 0x01;

constexpr std::uint16_t kItemMessageCode = 0x0001;

// One item of a request: its id and a pointer to its value as held in
// memory (integers in host order, character fields as arrays, composite
// values as the NV_ settings records), or null for an empty value.
struct ProtoItem {
  std::uint16_t id;
  const void* value;
};
using ProtoItems = std::vector<ProtoItem>;

// The memory record of the base-position list item 0x0457: the entries are
// read from `entries`, `count` of them.
struct BasePosListValue {
  double value;
  std::uint8_t capacity;
  std::uint8_t count;
  const NV_BASE_POS_ENTRY_STRUCT* entries;
};

// Encodes one item at `out` (or only sizes it when `out` is null) and
// returns its size, 4 + the value length, as a 16-bit count. A null `value`
// gives the length that the id's layout keeps without a value (0 for most);
// a value too long for the item's 16-bit length is left out (length 0).
std::uint16_t EncodeItem(unsigned char* out, std::uint16_t id, const void* value);
// The sum of the items' sizes, wrapping at 16 bits.
std::uint16_t PacketPayloadSize(const ProtoItems& items);
// Builds the whole packet into `packet`. False, with `packet` emptied, for
// fewer than 2 items or a payload outside 10..65280 bytes.
bool EncodePacket(const ProtoItems& items, std::uint32_t tag, std::vector<unsigned char>& packet);
// EncodePacket, then FramePacket: one _STR_CMD per transport frame.
void BuildPacket(CommandList& cmds, const ProtoItems& items, std::uint32_t tag);
// Cuts `packet` into chunks and appends one framed _STR_CMD per chunk, each
// numbered by the process-wide transmit sequence. Nothing for a null packet
// or length 0.
void FramePacket(CommandList& cmds, const unsigned char* packet, std::uint32_t length);
// The chunk sizes of a packet of `length` bytes (1..65535), each at most 250.
std::vector<std::uint16_t> ChunkSizes(std::uint32_t length);

// The process-wide transmit sequence: the number the next sent frame gets.
std::uint8_t TransmitSequence();

}  // namespace NewProto
}  // namespace KsParse
}  // namespace Kestrel
