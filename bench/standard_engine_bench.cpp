// Throughput of the standard-receiver engine through Em_Gnss: bytes per
// second through RcvData + ParseData for a clean NMEA stream (the shared
// logs when present, else a simulated one), the same stream with 10% garbage
// bytes between the sentences, and pure random bytes; and the heap
// allocations per parsed sentence, which must be 0 once the receiver exists.
//
// Instructions per input byte: run one benchmark under
//   valgrind --tool=callgrind ./standard_engine_bench --benchmark_filter=NmeaClean
// and divide the inclusive cost of FeedStream by iterations times the bytes
// per iteration (both reported by the benchmark).
#include <benchmark/benchmark.h>

#include <ksparse/em_gnss.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/alloc_counter.h"
#include "tests/support/nmea_wire.h"

namespace {

using namespace Kestrel::KsParse;

constexpr std::size_t kBlock = 1024;  // a typical serial read

std::vector<std::string> Sentences() {
  std::vector<std::string> all;
  for (const auto& log : Testing::NmeaCaptures(KSPARSE_SOURCE_DIR "/../shared/captures/"))
    all.insert(all.end(), log.second.begin(), log.second.end());
  if (all.empty()) {
    char text[128];
    for (int i = 0; i < 2000; ++i) {
      std::snprintf(text, sizeof text,
                    "$GPGGA,%02d%02d%02d.00,4807.%03d,N,01131.000,E,1,08,0.9,%d.4,M,46.9,M,,*00",
                    i / 3600 % 24, i / 60 % 60, i % 60, i % 1000, i);
      all.push_back(text);
      all.push_back("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39");
      all.push_back("$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75");
      all.push_back("$GPGSV,2,2,08,15,40,083,46,17,17,308,41,22,07,344,39,24,22,228,45*75");
      all.push_back("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A");
    }
  }
  return all;
}

// Random bytes other than '$', so that they start no sentence.
std::string Garbage(std::mt19937& random, std::size_t n) {
  std::string bytes(n, '\0');
  for (char& c : bytes) {
    do c = static_cast<char>(random()); while (c == '$');
  }
  return bytes;
}

struct Streams {
  std::vector<unsigned char> clean;
  std::vector<unsigned char> with_garbage;
  std::vector<unsigned char> garbage;
  std::size_t sentences = 0;

  Streams() {
    const std::vector<std::string> sentences_in = Sentences();
    sentences = sentences_in.size();
    const std::string wire = Testing::NmeaWire(sentences_in);
    clean.assign(wire.begin(), wire.end());
    std::mt19937 random(5);
    std::string mixed;
    for (const std::string& s : sentences_in) {
      // One garbage byte per nine sentence bytes: 10% of the stream.
      mixed += Garbage(random, (s.size() + 2 + random() % 9) / 9) + s + "\r\n";
    }
    with_garbage.assign(mixed.begin(), mixed.end());
    garbage.resize(clean.size());
    for (unsigned char& b : garbage) b = static_cast<unsigned char>(random());
  }
};

const Streams& TheStreams() {
  static const Streams streams;
  return streams;
}

unsigned long g_messages = 0;
void CountMessage(Msg_Type, unsigned int, const void*) { ++g_messages; }

// Hands the stream over in blocks, parsing after each, as an application
// whose reader and working thread alternate.
__attribute__((noinline)) void FeedStream(Em_Gnss& gnss, const std::vector<unsigned char>& stream) {
  unsigned char* data = const_cast<unsigned char*>(stream.data());
  for (std::size_t pos = 0; pos < stream.size(); pos += kBlock) {
    const std::size_t n = stream.size() - pos < kBlock ? stream.size() - pos : kBlock;
    gnss.RcvData(data + pos, static_cast<unsigned>(n));
    gnss.ParseData();
  }
}

void Run(benchmark::State& state, const std::vector<unsigned char>& stream, std::size_t sentences,
         MAINBD_OEM_TYPE board = OEM_NMEA_SECOND) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, board);
  const _CALLBACKS_RECEIVER callbacks = {&CountMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, nullptr);
  gnss.Set_GNSS_ParseNmea(true);
  g_messages = 0;
  unsigned long allocations = 0;
  for (auto _ : state) {
    const unsigned long before = BenchAlloc::Count();
    FeedStream(gnss, stream);
    allocations += BenchAlloc::Count() - before;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
  state.counters["bytes_per_iteration"] = static_cast<double>(stream.size());
  if (sentences != 0) {
    state.counters["allocs_per_sentence"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations() * sentences);
  }
  state.counters["messages_per_iteration"] =
      static_cast<double>(g_messages) / static_cast<double>(state.iterations());
}

void BM_NmeaClean(benchmark::State& state) {
  Run(state, TheStreams().clean, TheStreams().sentences);
}
void BM_NmeaWithGarbage(benchmark::State& state) {
  Run(state, TheStreams().with_garbage, TheStreams().sentences);
}
// Argument: the board, whose frame kinds decide which bytes may start a frame
// (the NMEA-only board's '$' only, the NovAtel board's four start bytes).
void BM_Garbage(benchmark::State& state) {
  Run(state, TheStreams().garbage, 0, static_cast<MAINBD_OEM_TYPE>(state.range(0)));
}

BENCHMARK(BM_NmeaClean);
BENCHMARK(BM_NmeaWithGarbage);
BENCHMARK(BM_Garbage)->Arg(OEM_NMEA_SECOND)->Arg(OEM_NOVATEL);

}  // namespace
