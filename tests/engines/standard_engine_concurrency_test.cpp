// The threading contract of the standard-receiver engine: a reader thread
// hands blocks to RcvData while the working thread runs ParseData. Every
// sentence must be decoded exactly once and in order, as in a run on one
// thread. Built into the ThreadSanitizer program.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engines/protocol_engine.h"
#include "support/nmea_wire.h"
#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Message = std::pair<unsigned, std::string>;  // flags, GGA text

// The shared NMEA logs, or simulated GGA sentences when they are absent.
std::string Stream() {
  std::string stream;
  for (const auto& log : Testing::NmeaCaptures(KSPARSE_SOURCE_DIR "/../shared/captures/"))
    stream += Testing::NmeaWire(log.second);
  if (stream.empty()) {
    char text[128];
    for (int i = 0; i < 6000; ++i) {
      std::snprintf(text, sizeof text, "$GPGGA,%06d.00,4807.%03d,N,01131.000,E,1,08,0.9,%d.4,M,46.9,M,,*00\r\n",
                    i, i % 1000, i);
      stream += text;
    }
  }
  return stream + std::string(306, '\n');  // lets the last sentences be examined
}

struct Receiver {
  Receiver() : gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND) {
    const _CALLBACKS_RECEIVER callbacks = {&Receiver::OnMessage, nullptr};
    gnss.Reg_Callbacks(&callbacks, this);
    gnss.Set_GNSS_ParseNmea(true);
  }
  static void OnMessage(Msg_Type, unsigned int value, const void* context) {
    Receiver& r = *static_cast<Receiver*>(const_cast<void*>(context));
    unsigned char gga[2048];
    unsigned int length = 0;
    r.gnss.Get_Gnss_Gpgga(gga, &length);
    r.messages.emplace_back(value, std::string(reinterpret_cast<char*>(gga), length));
  }
  RecvBuffer& Buffer() { return *EmGnssTestAccess::Engine(gnss)->rx; }
  // ParseData until a call consumes nothing.
  void Drain() {
    for (int mark = -1; mark != Buffer().Mark();) {
      mark = Buffer().Mark();
      gnss.ParseData();
    }
  }

  Em_Gnss gnss;
  std::vector<Message> messages;
};

TEST(StandardEngineThreads, ReaderAndParserShareTheBuffer) {
  const std::string stream = Stream();
  Receiver reference;
  for (std::size_t pos = 0; pos < stream.size(); pos += 1000) {
    std::string block = stream.substr(pos, 1000);
    reference.gnss.RcvData(reinterpret_cast<unsigned char*>(&block[0]),
                           static_cast<unsigned>(block.size()));
    reference.Drain();
  }
  ASSERT_GT(reference.messages.size(), 100u);

  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    Receiver receiver;
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
        receiver.gnss.RcvData(reinterpret_cast<unsigned char*>(&block[0]),
                              static_cast<unsigned>(n));
        pos += n;
      }
      done = true;
    });
    while (!done) receiver.gnss.ParseData();
    reader.join();
    receiver.Drain();
    EXPECT_EQ(receiver.messages.size(), reference.messages.size());
    EXPECT_TRUE(receiver.messages == reference.messages);
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
