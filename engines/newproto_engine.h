// The engine for the maker's receivers with the new-protocol board: binary
// packets of type-length-value items, carried in short "$$" transport frames
// and glued back together in a reassembly buffer.
#pragma once

#include <cstdint>

#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class NewProtoEngine : public ProtocolEngine {
 public:
  static constexpr std::uint8_t kNoSequence = 251;
  static constexpr unsigned int kScratchSize = 257;

  NewProtoEngine();
  ~NewProtoEngine() override;

  int ParseNext() override;
  bool SelectBoard(MAINBD_OEM_TYPE type) override;
  void SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) override;

  std::uint32_t transport_state = 0;  // 0 hunting, 1 "$$" seen, 3 header read, 4 GGA
  std::uint32_t packet_state = 0;     // 0 hunting, 1 sync seen, 3 header read
  std::uint8_t last_stream = 0;       // 0: none yet
  std::uint8_t last_sequence = kNoSequence;
  RecvBuffer* reassembly = nullptr;
  unsigned char scratch[kScratchSize] = {};
};

}  // namespace KsParse
}  // namespace Kestrel
