// Fuzz target for the Hemisphere adapters: arbitrary frames into the
// ProcessFrame of both generations, and arbitrary bytes through the standard
// engine of Em_Gnss(1, 4).
//
// The input's first byte chooses the run. Bit 0: the rest is either raw
// bytes, or a list of "$BIN" messages that get a correct checksum so that
// the message decoders behind the frame check run (each entry: block ID
// u16, announced data length u16, then the data, as many bytes as announced
// and present; the announced length is written into the header as given,
// so it may lie). Bit 1: the frames go to both adapters one by one, or as
// one stream through RcvData and ParseData. Bits 2-7: the block size of the
// stream (0: one byte at a time, else 37 times the value).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "boards/adapter_factory.h"
#include "boards/hemisphere/hemisphere_decoder.h"
#include "fuzz/fuzz_support.h"

using namespace Kestrel::KsParse;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> BuildMessages(const std::uint8_t* data, std::size_t size) {
  std::vector<Bytes> messages;
  std::size_t at = 0;
  while (at + 4 <= size) {
    const unsigned announced = data[at + 2] | (data[at + 3] << 8);
    const std::size_t n = std::min<std::size_t>(announced, size - at - 4);
    Bytes m = {'$', 'B', 'I', 'N', data[at], data[at + 1], data[at + 2], data[at + 3]};
    at += 4;
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += data[at + i];
    m.insert(m.end(), data + at, data + at + n);
    at += n;
    m.push_back(static_cast<std::uint8_t>(sum));
    m.push_back(static_cast<std::uint8_t>(sum >> 8));
    m.push_back('\r');
    m.push_back('\n');
    messages.push_back(m);
  }
  return messages;
}

void ThroughAdapters(const std::vector<Bytes>& frames) {
  std::unique_ptr<BoardAdapter> first(CreateHemisphereAdapter());
  std::unique_ptr<BoardAdapter> second(CreateHemisphere2Adapter());
  if (first == nullptr || second == nullptr) std::abort();
  // As the engines set them up.
  first->decoder->gps_sat_hold = 1;
  BoardDecoder& d2 = *second->decoder;
  d2.sentence_hold = d2.gps_sat_hold = d2.glo_sat_hold = d2.bds_sat_hold = d2.parse_nmea = 1;
  const auto& channels = static_cast<const Hemisphere1Decoder&>(*first->decoder).channels;
  for (const Bytes& f : frames) {
    Fuzz::FeedAdapter(*first, {f});
    Fuzz::FeedAdapter(*second, {f});
    if (channels.count > Hemisphere1Decoder::kChannelCount) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const Fuzz::Frames frames = Fuzz::FramesOf((mode & 1) != 0, data + 1, size - 1, BuildMessages);
  if ((mode & 2) != 0) {
    Fuzz::FeedStream(GNSS_MNFCTR_OEM_BOARD, OEM_HEMISPHERE, frames, Fuzz::BlockSize(mode >> 2, 37));
  } else {
    ThroughAdapters(frames);
  }
  return 0;
}
