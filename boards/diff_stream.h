// Differential frames (RTCM 3, CMR) found in a board's output, handed to the
// protocol decoder that recognises them.
#pragma once

#include <cstdint>

#include <ksparse/protocol_decoder.h>

namespace Kestrel {
namespace KsParse {

class Em_TrsMtPrlRTCM;

// Accepts every CMR frame without decoding it: the board decoders only need
// to know that differential data arrived.
class CmrAcceptor : public Em_ProtocolDecoder {
 public:
  bool Prc_Prtcl_ID(unsigned int number, unsigned char* data, unsigned int length) override;
};

struct DiffStream {
  enum Kind : std::uint8_t { kNone = 0, kRtcm3 = 1, kCmr = 2 };
  static constexpr std::uint32_t kCapacity = 2048;

  DiffStream();
  ~DiffStream();
  DiffStream(const DiffStream&) = delete;
  DiffStream& operator=(const DiffStream&) = delete;

  // Keeps the frame (at most kCapacity bytes of it) and asks the decoder of
  // its kind whether it recognises the message.
  bool Hand(Kind frame_kind, unsigned int id, const unsigned char* frame, unsigned int count);

  std::uint32_t length = 0;
  std::uint32_t message_id = 0;
  unsigned char data[kCapacity] = {};
  std::uint8_t kind = kNone;
  Em_TrsMtPrlRTCM* rtcm3 = nullptr;
  CmrAcceptor* cmr = nullptr;
};

}  // namespace KsParse
}  // namespace Kestrel
