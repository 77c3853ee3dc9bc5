// Fuzz target for the RTCM 3 decoder: the input is one frame of arbitrary
// bytes and length, handed to the classifier under every handled message
// number and to every decoder, at its full length and cut short.
#include <ksparse/rtcm.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "rtcm/bit_field.h"
#include "rtcm/crc24q.h"

using namespace Kestrel::KsParse;

namespace {

const unsigned kHandled[] = {1004, 1012, 1019, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1033, 1000, 1069};

void DecodeAll(Em_TrsMtPrlRTCM& rtcm, unsigned char* frame, unsigned length) {
  if (length >= 5) rtcm.Prc_Prtcl_ID(static_cast<unsigned>(Rtcm::ReadUnsigned(frame, 24, 12)), frame, length);
  for (unsigned number : kHandled) rtcm.Prc_Prtcl_ID(number, frame, length);
  int a = 0, b = 0, c = 0;
  unsigned u = 0;
  trancood_t t;
  geoid_mdel_para g;
  projection_param p;
  rtcm.Decode_type1004(frame, length);
  rtcm.Decode_type1012(frame, length);
  rtcm.Decode_type1019(frame, length);
  rtcm.Decode_type1021(frame, length, a, b, c, u, t);
  rtcm.Decode_type1022(frame, length, t);
  rtcm.Decode_type1023(frame, length, g);
  rtcm.Decode_type1024(frame, length, g);
  rtcm.Decode_type1025(frame, length);
  rtcm.Decode_type1026(frame, length);
  rtcm.Decode_type1027(frame, length, a, p);
  rtcm.Decode_type1033(frame, length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The classifier's trace lines would swamp the fuzzer's own output.
#if defined(_WIN32)
  // NUL is a character device, which the runtime would leave unbuffered:
  // one system call per trace line.
  static const bool quiet = std::freopen("NUL", "w", stdout) != nullptr &&
                            std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16) == 0;
#else
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
#endif
  (void)quiet;
  // Exactly sized copies, so that any read or write past them is caught.
  std::vector<unsigned char> frame(data, data + size);
  const unsigned length = static_cast<unsigned>(size);
  const std::uint32_t crc = size >= 3 ? Rtcm::Crc24q(frame.data(), length - 3) : 0;
  Rtcm::CheckCrc24q(frame.data(), static_cast<int>(length) - 3, crc);

  // Observation array of 0 to 7 records taken from the first byte.
  std::vector<em_obsd_t> records(size > 0 ? data[0] % 8 : 0);
  obs_t list{0, static_cast<std::uint32_t>(records.size()), records.empty() ? nullptr : records.data()};
  Em_TrsMtPrlRTCM rtcm(list);
  DecodeAll(rtcm, frame.empty() ? nullptr : frame.data(), length);
  // The same bytes cut at every length a short frame could have, through the
  // same decoder so that its 1004 phase and lock state evolves.
  for (unsigned cut = 0; cut < length && cut < 96; ++cut) {
    std::vector<unsigned char> shorter(frame.begin(), frame.begin() + cut);
    DecodeAll(rtcm, cut == 0 ? frame.data() : shorter.data(), cut);
  }
  return 0;
}
