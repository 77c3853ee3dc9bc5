// Throughput of the standard-receiver engine through Em_Gnss: bytes per
// second through RcvData + ParseData for a clean NMEA stream (the shared
// logs when present, else a simulated one), the same stream with 10% garbage
// bytes between the sentences, and pure random bytes; and the heap
// allocations per parsed sentence, which must be 0 once the receiver exists.
//
// Instructions per input byte: run one benchmark under
//   valgrind --tool=callgrind ./standard_engine_bench --benchmark_filter=NmeaClean
// and divide the inclusive cost of BenchFeed::FeedStream by iterations times
// the bytes per iteration (both reported by the benchmark).
#include <random>
#include <string>
#include <vector>

#include "bench/captures.h"
#include "bench/stream_feed.h"
#include "tests/support/nmea_wire.h"
#include "tools/sim/stream_composer.h"

namespace {

using namespace Kestrel::KsParse;
using BenchFeed::Bytes;

// The sentences of the shared logs, each with its CR LF; a simulated
// quarter of an hour when the logs are absent.
std::vector<Bytes> Sentences() {
  std::vector<Bytes> all;
  const std::string dir = BenchFeed::CaptureFile("");
  for (const auto& log : dir.empty() ? decltype(Testing::NmeaCaptures(dir))() : Testing::NmeaCaptures(dir)) {
    for (const std::string& s : log.second) {
      const std::string line = s + "\r\n";
      all.emplace_back(line.begin(), line.end());
    }
  }
  if (all.empty()) {
    Sim::StreamOptions options;
    options.seconds = 900;
    all = Sim::ComposeStream(Sim::Family::kNmea, options).frames;
  }
  return all;
}

// Garbage bytes other than '$' start no sentence. The pure garbage stream
// is as long as the clean one.
const BenchFeed::Streams& TheStreams() {
  static const BenchFeed::Streams streams(Sentences(), "$", 5);
  return streams;
}

const Bytes& PureGarbage() {
  static const Bytes garbage = [] {
    std::mt19937 random(5);
    Bytes bytes(TheStreams().clean.size());
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
  }();
  return garbage;
}

void Run(benchmark::State& state, const Bytes& stream, std::size_t sentences,
         MAINBD_OEM_TYPE board = OEM_NMEA_SECOND) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, board);
  gnss.Set_GNSS_ParseNmea(true);
  BenchFeed::Run(state, gnss, stream, sentences, "allocs_per_sentence", 1);
}

void BM_NmeaClean(benchmark::State& state) {
  Run(state, TheStreams().clean, TheStreams().frames);
}
void BM_NmeaWithGarbage(benchmark::State& state) {
  Run(state, TheStreams().with_garbage, TheStreams().frames);
}
// Argument: the board, whose frame kinds decide which bytes may start a frame
// (the NMEA-only board's '$' only, the NovAtel board's four start bytes).
void BM_Garbage(benchmark::State& state) {
  Run(state, PureGarbage(), 0, static_cast<MAINBD_OEM_TYPE>(state.range(0)));
}

// Simulated NovAtel logs, each behind a false log header that claims 2000
// body bytes and fails its CRC: the worst case of one-byte rejection, where
// every false start waits for its claimed bytes and is then refused. A
// rejection ends a ParseData call, so each block gets enough calls for its
// false starts; messages_per_iteration shows every log is still decoded.
void BM_NovAtelFalseHeaders(benchmark::State& state) {
  static const Bytes stream = [] {
    Sim::StreamOptions options;
    options.seconds = 60;
    Bytes out;
    for (const Bytes& frame : Sim::ComposeStream(Sim::Family::kNovAtel, options).frames) {
      const unsigned char header[28] = {0xAA, 0x44, 0x12, 0x1C, 0x2A, 0x00, 0x00, 0x00, 0xD0, 0x07};
      out.insert(out.end(), header, header + sizeof header);
      out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
  }();
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  BenchFeed::Run(state, gnss, stream, 0, "", 32);
}

BENCHMARK(BM_NmeaClean);
BENCHMARK(BM_NovAtelFalseHeaders);
BENCHMARK(BM_NmeaWithGarbage);
BENCHMARK(BM_Garbage)->Arg(OEM_NMEA_SECOND)->Arg(OEM_NOVATEL);

}  // namespace
