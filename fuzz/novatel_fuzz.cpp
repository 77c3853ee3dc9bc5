// Fuzz target for the adapters of boards that speak NovAtel's binary format:
// arbitrary frames into the NovAtel and software-receiver adapters'
// ProcessFrame, and through the standard engine of Em_Gnss(1, 2).
//
// The input's first byte chooses the run. Bit 0: the rest is either raw
// bytes, or a list of logs given a valid CRC-32 (see novatel_logs.h). Bit 1:
// the frames go to an adapter one by one, or as one stream through RcvData
// and ParseData. For the stream, bits 2-7 are the block size (0: one byte at
// a time, else 37 times the value). For an adapter, bit 2 chooses the
// software receiver, whose decoder also takes the rest as a solution
// notification.
#include <ksparse/em_gnss.h>

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

namespace {

void ThroughAdapter(const Fuzz::Frames& frames, bool software_receiver, const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<BoardAdapter> adapter(software_receiver ? CreateSoftReceiverAdapter() : CreateNovAtelAdapter(0));
  if (adapter == nullptr) std::abort();
  BoardDecoder& d = *adapter->decoder;
  d.gps_sat_hold = d.glo_sat_hold = d.bds_sat_hold = 1;
  Fuzz::FeedAdapter(*adapter, frames);
  if (!software_receiver) return;
  SoftReceiverDecoder& soft = static_cast<SoftReceiverDecoder&>(d);
  if (soft.channel_count > SoftReceiverDecoder::kChannels) std::abort();
  std::vector<unsigned char> notification(SoftRcv::kSolutionOffset + sizeof(SoftRcv::SolverSolution));
  std::copy(data, data + std::min(size, notification.size()), notification.begin());
  soft.OnSolution(notification.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const Fuzz::Frames frames = Fuzz::FramesOf((mode & 1) != 0, data + 1, size - 1, Fuzz::BuildNovAtelLogs);
  if ((mode & 2) != 0) {
    Fuzz::FeedStream(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL, frames, Fuzz::BlockSize(mode >> 2, 37));
  } else {
    ThroughAdapter(frames, (mode & 4) != 0, data + 1, size - 1);
  }
  return 0;
}
