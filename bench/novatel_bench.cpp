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
#include <cstdio>
#include <vector>

#include "bench/captures.h"
#include "bench/stream_feed.h"
#include "tools/sim/novatel_sim.h"

namespace {

using namespace Kestrel::KsParse;
using BenchFeed::Bytes;

std::vector<Bytes> RecordingLogs() {
  std::vector<Bytes> logs;
  std::FILE* f = std::fopen(BenchFeed::CaptureFile("oemv_200911218.gps").c_str(), "rb");
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

// The recording (or the simulated logs); garbage bytes start no frame of
// the NovAtel board.
const BenchFeed::Streams& TheStreams() {
  static const BenchFeed::Streams streams = [] {
    std::vector<Bytes> logs = RecordingLogs();
    return BenchFeed::Streams(logs.empty() ? SimulatedLogs() : logs, "\xAA$\xD3\x02", 7);
  }();
  return streams;
}

// Two ParseData calls per block: the recording holds logs too long for the
// frame buffer, and each rejected frame ends a call.
void Run(benchmark::State& state, const Bytes& stream) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  BenchFeed::Run(state, gnss, stream, TheStreams().frames, "allocs_per_log", 2);
}

void BM_NovAtelClean(benchmark::State& state) { Run(state, TheStreams().clean); }
void BM_NovAtelWithGarbage(benchmark::State& state) { Run(state, TheStreams().with_garbage); }

BENCHMARK(BM_NovAtelClean);
BENCHMARK(BM_NovAtelWithGarbage);

}  // namespace
