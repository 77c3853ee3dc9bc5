#include "boards/diff_stream.h"

#include <cstring>
#include <new>

#include <ksparse/rtcm.h>

namespace Kestrel {
namespace KsParse {

bool CmrAcceptor::Prc_Prtcl_ID(unsigned int, unsigned char*, unsigned int) { return true; }

DiffStream::DiffStream()
    : rtcm3(new (std::nothrow) Em_TrsMtPrlRTCM()), cmr(new (std::nothrow) CmrAcceptor()) {}

DiffStream::~DiffStream() {
  delete rtcm3;
  delete cmr;
}

bool DiffStream::Hand(Kind frame_kind, unsigned int id, const unsigned char* frame,
                      unsigned int count) {
  // Frames reach here from the 2048-byte frame buffer, so they always fit;
  // the bound only guards direct callers.
  const unsigned int kept = count < kCapacity ? count : kCapacity;
  length = kept;
  message_id = id;
  std::memcpy(data, frame, kept);
  kind = frame_kind;
  Em_ProtocolDecoder* decoder = nullptr;
  if (frame_kind == kRtcm3) decoder = rtcm3;
  if (frame_kind == kCmr) decoder = cmr;
  return decoder != nullptr && decoder->Prc_Prtcl_ID(id, data, kept);
}

}  // namespace KsParse
}  // namespace Kestrel
