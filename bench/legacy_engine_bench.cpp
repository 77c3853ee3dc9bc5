// Throughput of the legacy engine through Em_Gnss: bytes per second through
// RcvData + ParseData for a clean legacy stream (RG frames carrying NovAtel
// BESTPOS and PSRDOP logs, combined RH satellite tables in 55-byte pieces,
// SD status frames, and a device record in SI frames every minute) and the
// same stream with about 10% garbage bytes between the frames; and the heap
// allocations per frame, which must be 0 once the receiver exists (the
// device records name the board the receiver starts with, so no board
// switch happens).
#include <string>
#include <vector>

#include "bench/stream_feed.h"
#include "legacy/legacy_frame.h"
#include "tools/sim/novatel_sim.h"

namespace {

using namespace Kestrel::KsParse;
using BenchFeed::Bytes;

Bytes LegacyFrame(const char* id, const Bytes& payload) {
  unsigned char out[255 + Legacy::kFrameOverhead];
  unsigned length = 0;
  Legacy::BuildByteFrame(id, payload.data(), static_cast<unsigned>(payload.size()), out, &length, 1);
  return Bytes(out, out + length);
}

// `data` in frames of 55 bytes and a shorter last one.
void AddPieces(std::vector<Bytes>& frames, const char* id, const Bytes& data) {
  std::size_t at = 0;
  for (; data.size() - at >= 55; at += 55) frames.push_back(LegacyFrame(id, Bytes(data.begin() + at, data.begin() + at + 55)));
  frames.push_back(LegacyFrame(id, Bytes(data.begin() + at, data.end())));
}

// The device record of a receiver with a NovAtel board.
Bytes DeviceRecord() {
  Bytes device(128, 0);
  const std::string model = "KN4A";
  std::copy(model.begin(), model.end(), device.begin());
  return device;
}

// A quarter of an hour at 1 Hz.
std::vector<Bytes> Frames() {
  std::vector<Bytes> frames;
  const Bytes device = DeviceRecord();
  for (unsigned second = 0; second < 900; ++second) {
    Sim::NovAtelHeader header;
    header.week = 2300;
    header.milliseconds = 345600000u + 1000u * second;
    Sim::BestPosFields pos;
    pos.latitude = 31.2 + second * 1e-7;
    pos.longitude = 121.4;
    pos.height = 12.5;
    pos.position_type = 50;
    frames.push_back(LegacyFrame("RG", Sim::BestPos(header, pos)));
    Sim::PsrDopFields dop;
    dop.pdop = 1.6f;
    dop.hdop = 0.9f;
    dop.prns = {1, 3, 7, 11, 17, 22, 28};
    frames.push_back(LegacyFrame("RG", Sim::PsrDop(header, dop)));
    // Combined table: 24 satellites of four systems.
    Bytes table = {24, 3};
    table.resize(12, 0);
    for (unsigned i = 0; i < 24; ++i) {
      const unsigned sat = i < 10 ? i + 1 : i < 16 ? i + 30 : i < 22 ? i + 150 : i + 100;
      const unsigned azimuth = (second + 15 * i) % 360 | (i % 3 == 0 ? 0x8000 : 0);
      const unsigned char entry[] = {static_cast<unsigned char>(sat), static_cast<unsigned char>(10 + i),
                                     static_cast<unsigned char>(azimuth), static_cast<unsigned char>(azimuth >> 8),
                                     static_cast<unsigned char>(35 + i % 10), 30, 0};
      table.insert(table.end(), entry, entry + sizeof entry);
    }
    AddPieces(frames, "RH", table);
    frames.push_back(LegacyFrame("SD", {1, static_cast<unsigned char>('A' + second % 20), 0, 0, 215}));
    if (second % 60 == 0) AddPieces(frames, "SI", device);
  }
  return frames;
}

const BenchFeed::Streams& TheStreams() {
  static const BenchFeed::Streams streams(Frames(), "$", 7);
  return streams;
}

void Run(benchmark::State& state, const Bytes& stream) {
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  // The first device record names the board and so re-creates it once;
  // that happens before the allocations are counted.
  std::vector<Bytes> first;
  AddPieces(first, "SI", DeviceRecord());
  for (Bytes& frame : first) {
    gnss.RcvData(frame.data(), static_cast<unsigned>(frame.size()));
    gnss.ParseData();
  }
  BenchFeed::Run(state, gnss, stream, TheStreams().frames, "allocs_per_frame", 1);
}

void BM_LegacyClean(benchmark::State& state) { Run(state, TheStreams().clean); }
void BM_LegacyWithGarbage(benchmark::State& state) { Run(state, TheStreams().with_garbage); }

BENCHMARK(BM_LegacyClean);
BENCHMARK(BM_LegacyWithGarbage);

}  // namespace
