// RTCM 3 decoder throughput: message 1004 frames decoded per second, and the
// whole intake path (CRC check, classification, 1004 decoding) over the real
// capture testglo.rtcm3 when it is present.
#include <benchmark/benchmark.h>

#include <ksparse/rtcm.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/captures.h"

#include "rtcm/bit_field.h"
#include "rtcm/crc24q.h"
#include "tools/sim/rtcm_sim.h"

namespace {

using namespace Kestrel::KsParse;

// A minute of 12-satellite epochs whose ranges drift, so that phases and
// lock times change from frame to frame as on a live stream.
std::vector<Sim::Frame> SimulatedEpochs() {
  std::vector<Sim::Frame> frames;
  for (unsigned epoch = 0; epoch < 60; ++epoch) {
    std::vector<Sim::Rtcm1004Satellite> sats;
    for (unsigned prn = 1; prn <= 12; ++prn) {
      const double range = 2.0e7 + 1.0e5 * prn + 700.0 * epoch;
      sats.push_back(Sim::Rtcm1004Observation(prn, range, range + 2.5, 0.01 * epoch, 0.02 * epoch,
                                              40.0 + prn * 0.5, 35.0));
    }
    Sim::Rtcm1004Header header;
    header.tow_ms = 345600000u + 1000u * epoch;
    frames.push_back(Sim::Rtcm1004(header, sats));
  }
  return frames;
}

void BM_Decode1004(benchmark::State& state) {
  const std::vector<Sim::Frame> frames = SimulatedEpochs();
  std::vector<em_obsd_t> records(64);
  obs_t list{0, 64, records.data()};
  Em_TrsMtPrlRTCM rtcm(list);
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const Sim::Frame& f : frames) {
      rtcm.Decode_type1004(f.data(), static_cast<unsigned>(f.size()));
      bytes += f.size();
    }
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * frames.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_Decode1004);

// One pass over a byte stream as a board's differential stream handles it:
// find each frame, check its CRC, classify it and decode 1004. Returns the
// number of 1004 frames decoded.
__attribute__((noinline)) unsigned ScanCapture(Em_TrsMtPrlRTCM& rtcm, std::vector<unsigned char>& stream) {
  unsigned char* data = stream.data();
  const std::size_t size = stream.size();
  unsigned decoded = 0;
  for (std::size_t i = 0; i + 6 <= size;) {
    const unsigned length = (data[i + 1] & 0x03u) << 8 | data[i + 2];
    if (data[i] != 0xD3 || i + length + 6 > size) {
      ++i;
      continue;
    }
    unsigned char* frame = data + i;
    const std::uint32_t crc = static_cast<std::uint32_t>(Rtcm::ReadUnsigned(frame, 8 * (length + 3), 24));
    if (!Rtcm::CheckCrc24q(frame, static_cast<int>(length + 3), crc)) {
      ++i;
      continue;
    }
    i += length + 6;
    const unsigned number = length >= 2 ? static_cast<unsigned>(Rtcm::ReadUnsigned(frame, 24, 12)) : 0;
    if (rtcm.Prc_Prtcl_ID(number, frame, length + 6) && number == 1004) {
      rtcm.Decode_type1004(frame, length + 6);
      ++decoded;
    }
  }
  return decoded;
}

std::vector<unsigned char> ReadCapture() {
  const std::string path = BenchFeed::CaptureFile("testglo.rtcm3");
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The classifier writes one trace line per frame to standard output; it goes
// to /dev/null while measuring (still paid for) so that it does not mix with
// the benchmark's report.
class StdoutToNull {
 public:
  StdoutToNull() : saved_(dup(1)) {
    std::fflush(stdout);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      close(null);
    }
  }
  ~StdoutToNull() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, 1);
      close(saved_);
    }
  }

 private:
  int saved_;
};

void BM_CaptureIntake(benchmark::State& state, std::vector<unsigned char> stream) {
  std::vector<em_obsd_t> records(64);
  obs_t list{0, 64, records.data()};
  Em_TrsMtPrlRTCM rtcm(list);
  unsigned frames = 0;
  {
    StdoutToNull quiet;
    for (auto _ : state) frames += ScanCapture(rtcm, stream);
  }
  state.SetItemsProcessed(frames);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

// Registered only when the capture is present beside the project.
const bool kCaptureRegistered = [] {
  std::vector<unsigned char> stream = ReadCapture();
  if (stream.empty()) return false;
  benchmark::RegisterBenchmark("BM_CaptureIntake/testglo.rtcm3", BM_CaptureIntake, std::move(stream));
  return true;
}();

}  // namespace
