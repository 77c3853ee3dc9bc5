// The Trimble data-collector (DCOL) packet as it travels in both directions,
// and the packet types and GSOF record numbers this library uses.
//
// Packet: STX (0x02), status, type, data length N, N data bytes, checksum,
// ETX (0x03); N + 6 bytes in all. The checksum is the sum of status, type, N
// and the data, modulo 256. Multi-byte values inside packets are big-endian.
#pragma once

#include <cstdint>
#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Trimble {

constexpr unsigned char kStx = 0x02;
constexpr unsigned char kEtx = 0x03;
constexpr unsigned kOverhead = 6;     // STX, status, type, N, checksum, ETX
constexpr unsigned kMaxData = 255;    // N is one byte
constexpr unsigned kMaxPacket = kMaxData + kOverhead;
constexpr unsigned kOffType = 2;
constexpr unsigned kOffLength = 3;
constexpr unsigned kOffData = 4;

// Packet types.
constexpr unsigned char kTypeReply07 = 0x07;
constexpr unsigned char kTypeReply09 = 0x09;
constexpr unsigned char kTypeGsof = 0x40;
constexpr unsigned char kTypeElevMaskQuery = 0x4A;
constexpr unsigned char kTypeElevMaskReply = 0x4B;
constexpr unsigned char kTypeEphemerisQuery = 0x54;
constexpr unsigned char kTypeAck55 = 0x55;
constexpr unsigned char kTypeAck57 = 0x57;
constexpr unsigned char kTypeReset = 0x58;
constexpr unsigned char kTypeAppFile = 0x64;
constexpr unsigned char kTypeAck6E = 0x6E;
// CMR frames share the STX framing; these types carry CMR, not DCOL.
constexpr unsigned char kTypeCmr93 = 0x93;
constexpr unsigned char kTypeCmr98 = 0x98;

// GSOF (type 0x40) page header: transmission number, page index, maximum
// page index; the record bytes follow.
constexpr unsigned kGsofPageHeader = 3;
constexpr unsigned kGsofMaxPageBytes = kMaxData - kGsofPageHeader;

// GSOF record numbers.
constexpr unsigned char kGsofTime = 1;
constexpr unsigned char kGsofLlh = 2;
constexpr unsigned char kGsofEcef = 3;
constexpr unsigned char kGsofEcefDelta = 6;
constexpr unsigned char kGsofDop = 9;
constexpr unsigned char kGsofSigma = 12;
constexpr unsigned char kGsofAllSv = 34;
constexpr unsigned kAllSvEntry = 10;  // bytes per satellite of record 34

// Checksum of `n` bytes (status, type, N and data).
inline unsigned char Checksum(const unsigned char* bytes, unsigned n) {
  unsigned sum = 0;
  for (unsigned i = 0; i < n; ++i) sum += bytes[i];
  return static_cast<unsigned char>(sum);
}

// Writes one packet (status 0) into `out`, which must hold n + 6 bytes;
// returns its length, or 0 when the data does not fit one packet.
inline unsigned BuildPacket(unsigned char* out, unsigned char type, const unsigned char* data, unsigned n) {
  if (n > kMaxData) return 0;
  out[0] = kStx;
  out[1] = 0;
  out[kOffType] = type;
  out[kOffLength] = static_cast<unsigned char>(n);
  if (n != 0) std::memcpy(out + kOffData, data, n);
  out[kOffData + n] = Checksum(out + 1, n + 3);
  out[kOffData + n + 1] = kEtx;
  return n + kOverhead;
}

}  // namespace Trimble
}  // namespace KsParse
}  // namespace Kestrel
