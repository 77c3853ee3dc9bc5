// Common base of the differential-message decoders that a board decoder
// hands frames to (RTCM 3 and CMR).
#pragma once

namespace Kestrel {
namespace KsParse {

// Defined in this header alone, so every module carries its own virtual
// table; it is deliberately not exported (on Windows an exported base would
// export the type information of every library class derived from it).
class Em_ProtocolDecoder {
 public:
  virtual ~Em_ProtocolDecoder() {}
  // Classifies one frame (the whole frame from its first byte); true when the
  // decoder recognises the message.
  virtual bool Prc_Prtcl_ID(unsigned int number, unsigned char* data, unsigned int length) = 0;

 protected:
  Em_ProtocolDecoder() {}
  Em_ProtocolDecoder(const Em_ProtocolDecoder&) = default;
  Em_ProtocolDecoder& operator=(const Em_ProtocolDecoder&) = default;
};

}  // namespace KsParse
}  // namespace Kestrel
