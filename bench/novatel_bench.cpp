// Throughput of NovAtel logs through Em_Gnss(1, 2): bytes per second through
// RcvData + ParseData for the real OEMV recording repeated (a simulated
// stream of BESTPOS, PSRDOP, RANGECMP and RAWEPHEM when the recording is
// absent), clean and with 10% garbage bytes between the logs; and the heap
// allocations per log, which must be 0 once the receiver exists.
//
// Instructions per input byte, the library's share only: run
//   valgrind --tool=callgrind --toggle-collect='Kestrel::KsParse::Em_Gnss::*'
//       ./novatel_bench --benchmark_filter=NovAtelClean
// and divide the total cost by iterations times bytes_per_iteration.
#include <benchmark/benchmark.h>

#include <ksparse/em_gnss.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bench/alloc_counter.h"
#include "tools/sim/novatel_sim.h"

namespace {

using namespace Kestrel::KsParse;
using Bytes = std::vector<unsigned char>;

// A serial read; the receive buffer compacts only above 18480 of its 20480
// bytes, so blocks stay well below 2000 bytes.
constexpr std::size_t kBlock = 1024;

std::vector<Bytes> RecordingLogs() {
  std::vector<Bytes> logs;
  std::FILE* f = std::fopen(KSPARSE_SOURCE_DIR "/../shared/captures/oemv_200911218.gps", "rb");
  if (f == nullptr) return logs;
  Bytes all;
  unsigned char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) all.insert(all.end(), chunk, chunk + n);
  std::fclose(f);
  for (std::size_t i = 0; i + 28 <= all.size();) {
    if (all[i] != 0xAA || all[i + 1] != 0x44 || all[i + 2] != 0x12) {
      ++i;
      continue;
    }
    const std::size_t total = 28 + (all[i + 8] | (all[i + 9] << 8)) + 4;
    if (i + total > all.size()) break;
    logs.emplace_back(all.begin() + i, all.begin() + i + total);
    i += total;
  }
  return logs;
}

// One minute of a receiver tracking 12 GPS satellites on two frequencies.
std::vector<Bytes> SimulatedLogs() {
  std::vector<Bytes> logs;
  for (unsigned s = 0; s < 60; ++s) {
    Sim::NovAtelHeader h;
    h.week = 1562;
    h.milliseconds = 515220000 + 1000 * s;
    Sim::BestPosFields pos;
    pos.latitude = 31.0 + s * 1e-6;
    pos.longitude = 121.0;
    pos.tracked = pos.in_solution = 12;
    logs.push_back(Sim::BestPos(h, pos));
    Sim::PsrDopFields dop;
    dop.pdop = 1.8f;
    dop.hdop = 1.0f;
    logs.push_back(Sim::PsrDop(h, dop));
    std::vector<Sim::RangeCmpRecord> records;
    for (unsigned prn = 1; prn <= 12; ++prn) {
      const double range = 2.0e7 + 1.0e5 * prn + 300.0 * s;
      for (unsigned signal : {0u, 9u})
        records.push_back(Sim::RangeCmpObservation(prn, 0, signal, range, 300.0, 45, 100.0 + s));
    }
    logs.push_back(Sim::RangeCmp(h, records));
    if (s % 30 == 0) {
      Sim::GpsEphemerisFields eph;
      eph.week = 1562;
      eph.tow = h.milliseconds / 1000.0;
      eph.toe = eph.toc = 518400;
      eph.iode = s;
      for (unsigned prn = 1; prn <= 12; ++prn) logs.push_back(Sim::RawEphem(h, prn, eph));
    }
  }
  return logs;
}

struct Streams {
  Bytes clean, with_garbage;
  std::size_t logs = 0;

  Streams() {
    std::vector<Bytes> in = RecordingLogs();
    if (in.empty()) in = SimulatedLogs();
    logs = in.size();
    std::mt19937 random(7);
    for (const Bytes& log : in) {
      clean.insert(clean.end(), log.begin(), log.end());
      // Garbage bytes (none that starts a frame) worth 10% of the log.
      for (std::size_t n = (log.size() + random() % 10) / 9; n > 0; --n) {
        unsigned char b;
        do b = static_cast<unsigned char>(random()); while (b == 0xAA || b == '$' || b == 0xD3 || b == 0x02);
        with_garbage.push_back(b);
      }
      with_garbage.insert(with_garbage.end(), log.begin(), log.end());
    }
  }
};

const Streams& TheStreams() {
  static const Streams streams;
  return streams;
}

unsigned long g_messages = 0;
void CountMessage(Msg_Type, unsigned int, const void*) { ++g_messages; }

// Hands the stream over in blocks, parsing after each. A rejected frame (the
// recording holds logs too long for the frame buffer) ends a ParseData call,
// so the working thread calls it again.
__attribute__((noinline)) void FeedStream(Em_Gnss& gnss, const Bytes& stream) {
  unsigned char* data = const_cast<unsigned char*>(stream.data());
  for (std::size_t pos = 0; pos < stream.size(); pos += kBlock) {
    const std::size_t n = stream.size() - pos < kBlock ? stream.size() - pos : kBlock;
    gnss.RcvData(data + pos, static_cast<unsigned>(n));
    gnss.ParseData();
    gnss.ParseData();
  }
}

void Run(benchmark::State& state, const Bytes& stream) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  const _CALLBACKS_RECEIVER callbacks = {&CountMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, nullptr);
  g_messages = 0;
  unsigned long allocations = 0;
  for (auto _ : state) {
    const unsigned long before = BenchAlloc::Count();
    FeedStream(gnss, stream);
    allocations += BenchAlloc::Count() - before;
  }
  const double iterations = static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
  state.counters["bytes_per_iteration"] = static_cast<double>(stream.size());
  state.counters["allocs_per_log"] = allocations / (iterations * TheStreams().logs);
  state.counters["messages_per_iteration"] = g_messages / iterations;
}

void BM_NovAtelClean(benchmark::State& state) { Run(state, TheStreams().clean); }
void BM_NovAtelWithGarbage(benchmark::State& state) { Run(state, TheStreams().with_garbage); }

BENCHMARK(BM_NovAtelClean);
BENCHMARK(BM_NovAtelWithGarbage);

}  // namespace
