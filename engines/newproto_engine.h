// The engine for the maker's receivers with the new-protocol board: binary
// packets of type-length-value items, carried in short "$$" transport frames
// and glued back together in a reassembly buffer. Plain $GPGGA lines on the
// same stream are handed to the board as they are.
#pragma once

#include <cstdint>

#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class NewProtoEngine : public ProtocolEngine {
 public:
  static constexpr std::uint8_t kNoSequence = 251;
  // One transport frame (2 lead bytes, stream, sequence, length, 250 chunk
  // bytes, CR LF), or "$GPGGA" and a line of at most 251 bytes.
  static constexpr unsigned int kScratchSize = 257;
  // The id under which GGA lines go to the board.
  static constexpr unsigned int kGgaPassThroughId = 1032;

  // The transport reader's states.
  static constexpr std::uint32_t kHunting = 0;
  static constexpr std::uint32_t kLeadSeen = 1;
  static constexpr std::uint32_t kHeaderRead = 3;
  static constexpr std::uint32_t kGgaLine = 4;

  // The header of the last packet read (integers in host order).
  struct PacketHeader {
    unsigned char sync[2];
    std::uint8_t flags;
    std::uint32_t tag;
    std::uint32_t word;
    std::uint16_t length;
    std::uint32_t check;
    unsigned char end[2];
  };

  NewProtoEngine();
  ~NewProtoEngine() override;

  int ParseNext() override;
  bool SelectBoard(MAINBD_OEM_TYPE type) override;
  // Sends the block as item 0x1504 of a data-link packet (code 50, tag 0).
  void SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) override;

  // The message kind of replies with a packet's message code.
  static Msg_Type KindOfCode(std::uint16_t code);

  std::uint32_t transport_state = kHunting;
  std::uint32_t packet_state = kHunting;  // 0 hunting, 1 sync seen, 3 header read
  std::uint8_t last_stream = 0;           // 0: none yet
  std::uint8_t last_sequence = kNoSequence;
  RecvBuffer* reassembly = nullptr;
  unsigned char scratch[kScratchSize] = {};
  PacketHeader header = {};

 private:
  // Glues the chunk of the frame in `scratch` onto the reassembly buffer,
  // after the stream and sequence checks.
  void AppendChunk();
  // Drops everything gathered; a half-read packet goes with it.
  void ClearReassembly();
  // Splits every complete packet held in the reassembly buffer; true when
  // an item of one of them was decoded.
  bool ParsePackets();
  // Hands the items of the payload in `payload_` to the board.
  bool DecodeItems(std::uint16_t length);

  // The payload, check field and end bytes of the packet being split.
  unsigned char payload_[RecvBuffer::kCapacity + 6];
};

}  // namespace KsParse
}  // namespace Kestrel
