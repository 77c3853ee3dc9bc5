// Fuzz target for the NovAtel adapter: arbitrary frames into its
// ProcessFrame, directly and through the standard engine of Em_Gnss(1, 2).
//
// The input's first byte chooses the run. Bit 0: the rest is either raw
// bytes, or a list of logs given a valid CRC-32 (see novatel_logs.h). Bit 1: the frames go to the adapter one by one, or as one stream
// through RcvData and ParseData. Bits 2-7: the block size of the stream
// (0: one byte at a time, else 37 times the value).
#include <ksparse/em_gnss.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "boards/adapter_factory.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/novatel_logs.h"

using namespace Kestrel::KsParse;

namespace {

using Bytes = std::vector<std::uint8_t>;

void ThroughAdapter(const std::vector<Bytes>& frames) {
  std::unique_ptr<BoardAdapter> adapter(CreateNovAtelAdapter(0));
  if (adapter == nullptr) std::abort();
  BoardDecoder& d = *adapter->decoder;
  d.gps_sat_hold = d.glo_sat_hold = d.bds_sat_hold = 1;
  for (const Bytes& f : frames) {
    // Bytes of an incomplete frame stay and the next frame is appended to
    // them, as under an engine that hands frames on in pieces.
    adapter->frame->Append(f.data(), static_cast<std::uint32_t>(f.size()));
    adapter->ProcessFrame();
    if (adapter->frame->length > FrameBuffer::kCapacity || d.obs_count > BoardDecoder::kObsCapacity) std::abort();
    for (const SatTable& t : d.tables)
      if (t.count > SatTable::kCapacity) std::abort();
  }
}

void ThroughEngine(const std::vector<Bytes>& frames, std::size_t block) {
  Bytes stream;
  for (const Bytes& f : frames) stream.insert(stream.end(), f.begin(), f.end());
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  Fuzz::QueryOnEveryMessage(gnss);
  for (std::size_t at = 0; at < stream.size(); at += block) {
    gnss.RcvData(stream.data() + at, static_cast<unsigned>(std::min(block, stream.size() - at)));
    for (int i = 0; i < 3; ++i) gnss.ParseData();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const std::vector<Bytes> frames = (mode & 1) != 0 ? Fuzz::BuildNovAtelLogs(data + 1, size - 1)
                                                   : std::vector<Bytes>{Bytes(data + 1, data + size)};
  if ((mode & 2) != 0) {
    ThroughEngine(frames, (mode >> 2) == 0 ? 1 : 37u * (mode >> 2));
  } else {
    ThroughAdapter(frames);
  }
  return 0;
}
