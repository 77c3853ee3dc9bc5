// Em_TrsMtPrlRTCM: construction, message classification and the length
// checks that decide whether a frame can be decoded.
#include <ksparse/rtcm.h>

#include <cstdio>

#include "rtcm/bit_field.h"
#include "rtcm/name_fields.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr unsigned kFirstRtcm3Message = 1001;
constexpr unsigned kLastRtcm3Message = 1068;

// One trace line per classified frame, "<number>\r\n", written with a single
// fwrite of a stack buffer: no formatting library, no flush per line.
void TraceMessageNumber(unsigned int number) {
  char line[16];
  char* end = line + sizeof(line);
  char* p = end;
  *--p = '\n';
  *--p = '\r';
  do {
    *--p = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  std::fwrite(p, 1, static_cast<std::size_t>(end - p), stdout);
}

bool Present(const unsigned char* data, unsigned int length) { return data != nullptr && length > 0; }

// Fixed-length messages are checked against the size of their message body
// (without the 3-byte frame header), as the classification has always done;
// the decoders of 1023, 1024 and 1027 additionally require every field they
// read at frame positions to be inside the frame.
bool HasBits(const unsigned char* data, unsigned int length, std::uint64_t bits) {
  return Present(data, length) && Rtcm::FitsInFrame(length, bits);
}

}  // namespace

Em_TrsMtPrlRTCM::Em_TrsMtPrlRTCM() : last_number_(0), phase_{}, lock_{}, obs_(nullptr) {}

Em_TrsMtPrlRTCM::Em_TrsMtPrlRTCM(obs_t& obs) : last_number_(0), phase_{}, lock_{}, obs_(&obs) {}

Em_TrsMtPrlRTCM::~Em_TrsMtPrlRTCM() {}

bool Em_TrsMtPrlRTCM::Prc_Prtcl_ID(unsigned int number, unsigned char* data, unsigned int length) {
  if (!Present(data, length)) return false;
  TraceMessageNumber(number);
  last_number_ = number;
  if (number < kFirstRtcm3Message || number > kLastRtcm3Message) return false;
  switch (number) {
    case 1004: return Is1004DataValid(data, length);
    case 1012: return Is1012DataValid(data, length);
    case 1019: return Is1019DataValid(data, length);
    case 1021: return Is1021DataValid(data, length);
    case 1022: return Is1022DataValid(data, length);
    case 1023: return Is1023DataValid(data, length);
    case 1024: return Is1024DataValid(data, length);
    case 1025: return Is1025DataValid(data, length);
    case 1026: return Is1026DataValid(data, length);
    case 1027: return Is1027DataValid(data, length);
    case 1033: return Is1033DataValid(data, length);
    default: return false;
  }
}

// 1004 and 1012 carry as many satellite blocks as fit; their decoders take
// what is there, so any non-empty frame is accepted here.
bool Em_TrsMtPrlRTCM::Is1004DataValid(const unsigned char* data, unsigned int length) const {
  return Present(data, length);
}

bool Em_TrsMtPrlRTCM::Is1012DataValid(const unsigned char* data, unsigned int length) const {
  return Present(data, length);
}

bool Em_TrsMtPrlRTCM::Is1019DataValid(const unsigned char* data, unsigned int length) const {
  return HasBits(data, length, 488);
}

bool Em_TrsMtPrlRTCM::Is1021DataValid(const unsigned char* data, unsigned int length) const {
  // 436 + 8 (N + M) bits: everything up to the two quality indicators.
  std::uint64_t p = 0;
  return Rtcm::DatumNamesEnd(data, length, p) && Rtcm::FitsInFrame(length, p + 390);
}

bool Em_TrsMtPrlRTCM::Is1022DataValid(const unsigned char* data, unsigned int length) const {
  // 541 + 8 (N + M) bits: everything up to the two quality indicators.
  std::uint64_t p = 0;
  return Rtcm::DatumNamesEnd(data, length, p) && Rtcm::FitsInFrame(length, p + 495);
}

bool Em_TrsMtPrlRTCM::Is1023DataValid(const unsigned char* data, unsigned int length) const {
  return HasBits(data, length, 578);
}

bool Em_TrsMtPrlRTCM::Is1024DataValid(const unsigned char* data, unsigned int length) const {
  return HasBits(data, length, 590);
}

bool Em_TrsMtPrlRTCM::Is1025DataValid(const unsigned char* data, unsigned int length) const {
  return HasBits(data, length, 196);
}

bool Em_TrsMtPrlRTCM::Is1026DataValid(const unsigned char* data, unsigned int length) const {
  return HasBits(data, length, 234);
}

bool Em_TrsMtPrlRTCM::Is1027DataValid(const unsigned char* data, unsigned int length) const {
  return HasBits(data, length, 258);
}

// Message 1033 holds five 8-bit counters, each followed by that many bytes
// (antenna descriptor, antenna serial, receiver type, firmware, receiver
// serial). Each counter is read only once the frame is known to hold it.
bool Em_TrsMtPrlRTCM::Is1033DataValid(const unsigned char* data, unsigned int length) const {
  if (!Present(data, length)) return false;
  // Bit of each counter relative to 8 x (bytes of the strings before it).
  static const unsigned kCounterBits[5] = {48, 64, 72, 80, 88};
  std::uint64_t strings = 0;
  for (unsigned counter_bit : kCounterBits) {
    const std::uint64_t pos = counter_bit + 8 * strings;
    if (!Rtcm::FitsInFrame(length, pos + 8)) return false;
    strings += Rtcm::ReadUnsigned(data, pos, 8);
  }
  return Rtcm::FitsInFrame(length, 96 + 8 * strings);
}

bool Em_TrsMtPrlRTCM::Decode_type1012(const unsigned char*, unsigned int) { return true; }

bool Em_TrsMtPrlRTCM::Decode_type1019(const unsigned char*, unsigned int) { return true; }

bool Em_TrsMtPrlRTCM::Decode_type1025(const unsigned char* data, unsigned int length) {
  return Is1025DataValid(data, length);
}

bool Em_TrsMtPrlRTCM::Decode_type1026(const unsigned char* data, unsigned int length) {
  return Is1026DataValid(data, length);
}

bool Em_TrsMtPrlRTCM::Decode_type1033(const unsigned char* data, unsigned int length) {
  return Present(data, length);
}

}  // namespace KsParse
}  // namespace Kestrel
