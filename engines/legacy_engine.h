// The engine for the maker's receivers that speak the legacy framed
// protocol. Legacy frames start with "$$" and carry a two-letter identifier;
// a software-receiver board also sends NovAtel binary logs on the same
// stream.
#pragma once

#include <cstdint>

#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class LegacyEngine : public ProtocolEngine {
 public:
  static constexpr unsigned int kFrameSize = 2048;

  LegacyEngine();
  ~LegacyEngine() override;

  int ParseNext() override;
  bool SelectBoard(MAINBD_OEM_TYPE type) override;
  void SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) override;

  // Internal message code of a two-letter identifier; identifiers outside
  // the table get first * 256 + second.
  static std::int32_t MessageCode(unsigned char first, unsigned char second);

  // 1 or 2, from the receiver model; chooses the board commands' dialect.
  std::uint32_t board_generation = 0;
  // Main board type last derived from the receiver's device information.
  std::uint32_t detected_board = 0;
  // The firmware debug record of the last VY frame, handed out once under
  // key 256. Only that key is ever stored, so one slot stands for the map.
  FIRMWARE_DEBUG firmware_debug = {};
  bool firmware_debug_present = false;

 protected:
  // Acts on a complete legacy frame (msg_code set, payload at byte 6 of
  // frame_). The frame counts as taken whatever happens here.
  virtual void Dispatch();

  unsigned char frame_[kFrameSize] = {};
  FrameBuffer* collector = nullptr;

 private:
  enum class LegacyRead { kIncomplete, kDispatched, kBadCheck };
  LegacyRead ReadLegacyFrame();
  int ReadBinaryFrame();
};

}  // namespace KsParse
}  // namespace Kestrel
