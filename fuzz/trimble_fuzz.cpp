// Fuzz target for the Trimble adapter: arbitrary frames into its
// ProcessFrame, directly and through the standard engine of Em_Gnss(1, 1).
//
// The input's first byte chooses the run. Bit 0: the rest is either raw
// bytes, or a list of data-collector packets that get a valid checksum so
// that the decoders behind the check run (each entry: type, data length,
// then as many data bytes as announced and present; GSOF pages, replies and
// records may lie about every length inside them). Bit 1: the frames go to
// the adapter one by one, or as one stream through RcvData and ParseData.
// Bits 2-7: for the adapter, bit 2 turns NMEA parsing on, bit 3 the
// satellite details off and bit 4 makes the board first-generation; for the
// stream, the block size (0: one byte at a time, else 37 times the value).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "boards/adapter_factory.h"
#include "boards/trimble/trimble_decoder.h"
#include "boards/trimble/trimble_wire.h"
#include "fuzz/fuzz_support.h"

using namespace Kestrel::KsParse;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> BuildPackets(const std::uint8_t* data, std::size_t size) {
  std::vector<Bytes> packets;
  std::size_t at = 0;
  while (at + 2 <= size) {
    const unsigned n = static_cast<unsigned>(std::min<std::size_t>(data[at + 1], size - at - 2));
    Bytes packet(n + Trimble::kOverhead);
    Trimble::BuildPacket(packet.data(), data[at], data + at + 2, n);
    packets.push_back(packet);
    at += 2 + n;
  }
  return packets;
}

void ThroughAdapter(const std::vector<Bytes>& frames, std::uint8_t options) {
  std::unique_ptr<BoardAdapter> adapter(CreateTrimbleAdapter((options & 4) != 0 ? 1 : 0));
  if (adapter == nullptr) std::abort();
  TrimbleDecoder& d = *static_cast<TrimbleDecoder*>(adapter->decoder);
  d.parse_nmea = (options & 1) != 0;
  d.sat_detail = (options & 2) == 0;
  for (const Bytes& f : frames) {
    Fuzz::FeedAdapter(*adapter, {f});
    if (d.gsof.used > TrimbleDecoder::kGsofCapacity) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const Fuzz::Frames frames = Fuzz::FramesOf((mode & 1) != 0, data + 1, size - 1, BuildPackets);
  if ((mode & 2) != 0) {
    Fuzz::FeedStream(GNSS_MNFCTR_OEM_BOARD, OEM_TRIMBLE, frames, Fuzz::BlockSize(mode >> 2, 37));
  } else {
    ThroughAdapter(frames, static_cast<std::uint8_t>(mode >> 2));
  }
  return 0;
}
