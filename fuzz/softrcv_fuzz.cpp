// Fuzz target for the software-receiver adapter: arbitrary frames into its
// ProcessFrame, and the same bytes as a solution notification.
//
// The input's first byte chooses the run. Bit 0: the rest is either raw
// bytes, or a list of NovAtel logs given a valid CRC-32 (see novatel_logs.h).
// Bit 1: the rest also goes to the decoder as a solution notification.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "boards/adapter_factory.h"
#include "boards/softrcv/softrcv_decoder.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/novatel_logs.h"

using namespace Kestrel::KsParse;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  std::unique_ptr<BoardAdapter> adapter(CreateSoftReceiverAdapter());
  if (adapter == nullptr) std::abort();
  SoftReceiverDecoder& d = *static_cast<SoftReceiverDecoder*>(adapter->decoder);
  for (const auto& f : Fuzz::FramesOf((mode & 1) != 0, data + 1, size - 1, Fuzz::BuildNovAtelLogs)) {
    Fuzz::FeedAdapter(*adapter, {f});
    if (d.channel_count > SoftReceiverDecoder::kChannels) std::abort();
  }
  if ((mode & 2) != 0) {
    std::vector<unsigned char> notification(SoftRcv::kSolutionOffset + sizeof(SoftRcv::SolverSolution));
    std::copy(data + 1, data + std::min(size, notification.size() + 1), notification.begin());
    d.OnSolution(notification.data());
  }
  return 0;
}
