// The threading contract: one reader thread in RcvData, one working thread in
// ParseData. Run under ThreadSanitizer in CI.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {
namespace {

struct Tally {
  std::uint64_t count = 0;
  std::uint64_t sum = 0;
};

void Count(Msg_Type, unsigned int value, const void* context) {
  Tally* tally = static_cast<Tally*>(const_cast<void*>(context));
  ++tally->count;
  tally->sum += value;
}

TEST(EmGnssThreads, EveryByteAppendedUnderCapacityIsParsedOnce) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetEngine(gnss, new ByteEngine());
  RecvBuffer& rx = *EmGnssTestAccess::Engine(gnss)->rx;
  Tally tally;
  _CALLBACKS_RECEIVER callbacks = {Count, nullptr};
  gnss.Reg_Callbacks(&callbacks, &tally);

  constexpr std::uint64_t kTotal = 400000;
  std::atomic<bool> done{false};
  std::uint64_t expected_sum = 0;
  std::thread reader([&] {
    std::mt19937 rng(7);
    std::vector<unsigned char> block;
    std::uint64_t sent = 0;
    while (sent < kTotal) {
      const unsigned n = static_cast<unsigned>(std::min<std::uint64_t>(1 + rng() % 700, kTotal - sent));
      block.resize(n);
      for (auto& b : block) {
        b = static_cast<unsigned char>(1 + rng() % 255);  // never 0: every byte is a message
        expected_sum += b;
      }
      // Pace the writer: a block that would overflow the buffer waits until
      // the parser has compacted it.
      while (rx.Fill() + static_cast<int>(n) > RecvBuffer::kCapacity) std::this_thread::yield();
      gnss.RcvData(block.data(), n);
      sent += n;
    }
    done = true;
  });
  while (!done || tally.count < kTotal) {
    gnss.ParseData();
    if (tally.count >= kTotal) break;
  }
  reader.join();
  gnss.ParseData();
  EXPECT_EQ(tally.count, kTotal);
  EXPECT_EQ(tally.sum, expected_sum);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
