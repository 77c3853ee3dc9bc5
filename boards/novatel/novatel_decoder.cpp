// Dispatch of NovAtel logs by message ID, and the logs kept as received.
#include "boards/novatel/novatel_decoder.h"

#include <cstring>

#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
bool NovAtelDecoder::DecodeMessage(const unsigned char* data, unsigned int id, unsigned int length) {
  using namespace NovAtel;
  if (data == nullptr || id == 0 || length == 0) return false;
  // The frame must hold the header, the body its header announces and the
  // CRC; anything else did not come through the frame check.
  if (length < kHeaderLength + kCrcLength) return false;
  const unsigned body_size = U16(data + kOffBodyLength);
  if (body_size > length - kHeaderLength - kCrcLength) return false;
  const unsigned char* body = data + kHeaderLength;

  msg_flags = 0;
  switch (id) {
    case kIdGpsEphem:
    case kIdEphem1047:
      std::memcpy(last_header, data, kHeaderLength);
      return DecodeGpsEphem(body, body_size);
    case kIdVersion:
      // The first component record follows the component count.
      std::memcpy(last_header, data, kHeaderLength);
      KeepBytes(version_info, kVersionSize, body + 4, body_size > 4 ? body_size - 4 : 0);
      return true;
    case kIdRawEphem:
      std::memcpy(last_header, data, kHeaderLength);
      return DecodeRawEphem(body, body_size);
    case kIdBestPos:
      std::memcpy(last_header, data, kHeaderLength);
      if ((data[kOffMessageType] & kResponseBit) == 0) {
        // A position log shorter than its fixed part cannot be decoded; a
        // response reuses the last position body whatever it carries.
        if (body_size < kBestPosSize) return false;
        std::memcpy(bestpos_body, body, kBestPosSize);
        solution_code = 0;
      }
      DecodeBestPos(data, bestpos_body, kBestPosSize);
      return true;
    case kIdRange:
      std::memcpy(last_header, data, kHeaderLength);
      return DecodeRange(data, body, body_size);
    case kIdSatVis:
      return true;  // satellite visibility: not used
    case kIdRangeCmp:
      std::memcpy(last_header, data, kHeaderLength);
      return DecodeRangeCmp(data, body, body_size);
    case kIdPsrDop:
      std::memcpy(last_header, data, kHeaderLength);
      return DecodePsrDop(body, body_size);
    case kIdRefStation:
      return DecodeRefStation(data, body_size);
    case kIdBestXyz:
      KeepBytes(bestxyz_raw, kBestXyzSize, data, length);
      return true;
    case kId726:
      KeepBytes(log726_raw, kLog726Size, data, length);
      return true;
    default:
      return true;  // a log this decoder does not use
  }
}

}  // namespace KsParse
}  // namespace Kestrel
