// The pieces shared by the benchmarks that push a receiver's byte stream
// through Em_Gnss: the stream built from frames, clean and with garbage
// between them; the stream handed over in serial-sized blocks; and the
// benchmark loop with its counters. Brings in alloc_counter.h, so include it
// in exactly one source file of a program.
#pragma once

#include <benchmark/benchmark.h>

#include <ksparse/em_gnss.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bench/alloc_counter.h"

namespace BenchFeed {

using Kestrel::KsParse::Em_Gnss;
using Bytes = std::vector<unsigned char>;

// A serial read; the receive buffer compacts only above 18480 of its 20480
// bytes, so blocks stay well below 2000 bytes.
constexpr std::size_t kBlock = 1024;

// The frames back to back, and the same with random bytes worth about 10%
// of each frame in front of it; no garbage byte is one of `starts`, the
// bytes that may begin a frame of the board.
struct Streams {
  Bytes clean, with_garbage;
  std::size_t frames = 0;

  Streams(const std::vector<Bytes>& in, const std::string& starts, unsigned seed) : frames(in.size()) {
    std::mt19937 random(seed);
    for (const Bytes& frame : in) {
      clean.insert(clean.end(), frame.begin(), frame.end());
      for (std::size_t n = (frame.size() + random() % 9) / 9; n > 0; --n) {
        char b;
        do b = static_cast<char>(random()); while (starts.find(b) != std::string::npos);
        with_garbage.push_back(static_cast<unsigned char>(b));
      }
      with_garbage.insert(with_garbage.end(), frame.begin(), frame.end());
    }
  }
};

inline unsigned long g_messages = 0;
inline void CountMessage(Kestrel::KsParse::Msg_Type, unsigned int, const void*) { ++g_messages; }

// Hands the stream over in blocks, each followed by `parse_calls` ParseData
// calls, as an application whose reader and working thread alternate (a
// rejected frame ends a ParseData call, so boards that reject frames want a
// second call).
__attribute__((noinline)) inline void FeedStream(Em_Gnss& gnss, const Bytes& stream, int parse_calls) {
  unsigned char* data = const_cast<unsigned char*>(stream.data());
  for (std::size_t pos = 0; pos < stream.size(); pos += kBlock) {
    const std::size_t n = stream.size() - pos < kBlock ? stream.size() - pos : kBlock;
    gnss.RcvData(data + pos, static_cast<unsigned>(n));
    for (int i = 0; i < parse_calls; ++i) gnss.ParseData();
  }
}

// The benchmark loop over `stream`, which holds `frames` frames (0: no
// allocation counter). Counters: bytes_per_iteration,
// messages_per_iteration and `allocs_counter`, the heap allocations per
// frame.
inline void Run(benchmark::State& state, Em_Gnss& gnss, const Bytes& stream, std::size_t frames,
                const char* allocs_counter, int parse_calls) {
  const Kestrel::KsParse::_CALLBACKS_RECEIVER callbacks = {&CountMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, nullptr);
  g_messages = 0;
  unsigned long allocations = 0;
  for (auto _ : state) {
    const unsigned long before = BenchAlloc::Count();
    FeedStream(gnss, stream, parse_calls);
    allocations += BenchAlloc::Count() - before;
  }
  const double iterations = static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
  state.counters["bytes_per_iteration"] = static_cast<double>(stream.size());
  state.counters["messages_per_iteration"] = static_cast<double>(g_messages) / iterations;
  if (frames != 0) state.counters[allocs_counter] = static_cast<double>(allocations) / (iterations * frames);
}

}  // namespace BenchFeed
