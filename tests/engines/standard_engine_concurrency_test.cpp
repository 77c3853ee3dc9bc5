// The threading contract of the standard-receiver engine: a reader thread
// hands blocks to RcvData while the working thread runs ParseData. Every
// sentence must be decoded exactly once and in order, as in a run on one
// thread. Built into the ThreadSanitizer program.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>

#include "support/nmea_wire.h"
#include "tests/engines/nmea_receiver.h"
#include "tools/sim/stream_composer.h"

namespace Kestrel {
namespace KsParse {
namespace {

// The shared NMEA logs, or a simulated stream when they are absent.
std::string Stream() {
  std::string stream;
  for (const auto& log : Testing::NmeaCaptures(KSPARSE_SOURCE_DIR "/../shared/captures/"))
    stream += Testing::NmeaWire(log.second);
  if (stream.empty()) {
    Sim::StreamOptions options;
    options.seconds = 300;
    const Sim::SimStream sim = Sim::ComposeStream(Sim::Family::kNmea, options);
    stream.assign(sim.bytes.begin(), sim.bytes.end());
  }
  return stream + kNmeaTail;
}

TEST(StandardEngineThreads, ReaderAndParserShareTheBuffer) {
  const std::string stream = Stream();
  NmeaReceiver reference(OEM_NMEA_SECOND);
  reference.Feed(stream, {1000});
  ASSERT_GT(reference.messages.size(), 100u);

  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    NmeaReceiver receiver(OEM_NMEA_SECOND);
    RecvBuffer& buffer = receiver.Buffer();
    std::atomic<bool> done(false);
    std::thread reader([&] {
      std::mt19937 random(seed);
      std::size_t pos = 0;
      while (pos < stream.size()) {
        const std::size_t n = std::min<std::size_t>(1 + random() % 1500, stream.size() - pos);
        // The reader paces itself: a block is handed over only when it
        // fits, which it will once the parser has compacted the buffer.
        while (buffer.Fill() + static_cast<int>(n) > RecvBuffer::kCapacity) std::this_thread::yield();
        std::string block = stream.substr(pos, n);
        receiver.gnss.RcvData(reinterpret_cast<unsigned char*>(&block[0]), static_cast<unsigned>(n));
        pos += n;
      }
      done = true;
    });
    while (!done) receiver.gnss.ParseData();
    reader.join();
    receiver.Drain();
    EXPECT_EQ(receiver.messages.size(), reference.messages.size());
    EXPECT_TRUE(receiver.Seen() == reference.Seen());
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
