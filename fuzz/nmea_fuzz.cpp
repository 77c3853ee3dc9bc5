// Arbitrary bytes as NMEA sentences: through the frame step of a kind-6
// NMEA-only adapter (piece by piece, so that GSV groups and epochs build up
// across sentences) and straight into DecodeSentence under every sentence
// code, whatever the length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "boards/adapter_factory.h"
#include "boards/board_adapter.h"

using namespace Kestrel::KsParse;

namespace {

const int kCodes[] = {NmeaCode::kGpGga, NmeaCode::kGpGsa, NmeaCode::kGpGst, NmeaCode::kGpGsv,
                      NmeaCode::kGpRmc, NmeaCode::kGpZda, NmeaCode::kGlGsv, NmeaCode::kGnGga,
                      NmeaCode::kGnGll, NmeaCode::kGnGsa, NmeaCode::kGnRmc, NmeaCode::kBdGsv,
                      NmeaCode::kUnknown, 0, 1000};

void FeedFrame(BoardAdapter& a, const std::uint8_t* data, std::size_t size) {
  a.frame->Append(data, static_cast<std::uint32_t>(size));
  a.ProcessFrame();
  ProcessNmeaFrame(a);  // also on whatever the adapter kept
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<BoardAdapter> adapter(CreateNmeaOnlyAdapter(6));
  if (adapter == nullptr) return 0;
  BoardDecoder& d = *adapter->decoder;
  // The first byte chooses the decoder's switches.
  if (size > 0) {
    d.parse_nmea = data[0] & 1;
    d.gps_sat_hold = (data[0] >> 1) & 1;
    d.glo_sat_hold = (data[0] >> 2) & 1;
    d.time_zone = (data[0] >> 3) - 8;
  }

  // Pieces up to each LF, each one frame, with a talker forced in front of
  // every other piece so that the NMEA path is reached often.
  std::size_t start = 0;
  int piece = 0;
  while (start < size) {
    const void* lf = std::memchr(data + start, '\n', size - start);
    const std::size_t end = lf ? static_cast<const std::uint8_t*>(lf) - data + 1 : size;
    if ((piece++ & 1) != 0) {
      static const std::uint8_t kTalkers[4][3] = {{'$', 'G', 'P'}, {'$', 'G', 'L'}, {'$', 'G', 'N'}, {'$', 'B', 'D'}};
      adapter->frame->Clear();
      adapter->frame->Append(kTalkers[piece & 3], 3);
    }
    FeedFrame(*adapter, data + start, end - start);
    adapter->frame->Clear();
    start = end;
  }

  // The whole input under every code, beyond the 300-byte limit too.
  const char* text = reinterpret_cast<const char*>(data);
  for (int code : kCodes) d.DecodeSentence(code, text, static_cast<unsigned int>(size));
  for (const SatTable& t : d.tables)
    if (t.count > SatTable::kCapacity) __builtin_trap();
  return 0;
}
