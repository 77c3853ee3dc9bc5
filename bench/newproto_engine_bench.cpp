// Throughput of the new-protocol engine through Em_Gnss: bytes per second
// through RcvData + ParseData for a clean stream of packets cut into
// transport frames (position and time, DOP, satellites, as a receiver sends
// them every epoch), and the same stream with about 10% garbage bytes
// between the packets' frames; and the heap allocations per packet, which
// must be 0 once the receiver exists.
#include <vector>

#include "bench/stream_feed.h"
#include "tools/sim/newproto_sim.h"

namespace {

using namespace Kestrel::KsParse;
using BenchFeed::Bytes;

constexpr int kEpochs = 300;
constexpr int kSatellites = 24;

// The frames of each packet, one entry per packet.
std::vector<Bytes> Packets() {
  Sim::NewProtoLink link;
  std::vector<Bytes> packets;
  for (int epoch = 0; epoch < kEpochs; ++epoch) {
    Sim::ItemValue pvt;
    pvt.F64(0.5 + epoch * 1e-9).F64(2.1).F64(40.0).U32(4).U32(2200).U32(3600 + epoch);
    pvt.F64(0.01).F64(0.02).F64(0.015).U32(1);
    Sim::ItemValue dop;
    dop.F32(1.6f).F32(0.9f).F32(1.3f).F32(0.8f);
    Sim::ItemValue sats;
    sats.U8(10).U8(6).U8(8).U8(0).U8(0).U8(0).U8(0).U8(0);
    for (int i = 0; i < kSatellites; ++i) sats.U8(i + 1).U8(i < 10 ? 0 : i < 16 ? 1 : 2).U8(30).U16(120).U8(45).U8(40).U8(0).U8(1);
    packets.push_back(link.Frames(Sim::NewProtoPacket(14, {{0x0410, pvt.bytes()}})));
    packets.push_back(link.Frames(Sim::NewProtoPacket(14, {{0x040C, dop.bytes()}})));
    packets.push_back(link.Frames(Sim::NewProtoPacket(14, {{0x040D, sats.bytes()}}), 100));
  }
  return packets;
}

const BenchFeed::Streams& TheStreams() {
  static const BenchFeed::Streams streams(Packets(), "$", 8);
  return streams;
}

void Run(benchmark::State& state, const Bytes& stream) {
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  BenchFeed::Run(state, gnss, stream, TheStreams().frames, "allocs_per_packet", 1);
}

void BM_NewProtoClean(benchmark::State& state) { Run(state, TheStreams().clean); }
void BM_NewProtoWithGarbage(benchmark::State& state) { Run(state, TheStreams().with_garbage); }

BENCHMARK(BM_NewProtoClean);
BENCHMARK(BM_NewProtoWithGarbage);

}  // namespace
