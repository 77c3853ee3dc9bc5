// Fuzz target for the new-protocol engine: bytes through RcvData and
// ParseData of an Em_Gnss(2, 8).
//
// The first input byte chooses the run. Bit 0 clear: the rest is the
// receiver's raw stream. Bit 0 set: the rest is read as packets of items
// (message code, then items of id, one length byte and that many value
// bytes, a zero id ending a packet) which are wrapped into valid packets and
// transport frames, so that the item decoders see every kind of value. Bits
// 1-3 choose the frame chunk size, bits 4-7 the block size handed to
// RcvData (0: one byte at a time, else 37 times the value).
#include <ksparse/em_gnss.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engines/newproto_engine.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/test_adapter.h"
#include "tools/sim/newproto_sim.h"

using namespace Kestrel::KsParse;

namespace {

// Items and packets read from the input, framed as a receiver sends them.
Sim::Bytes Structured(const std::uint8_t* data, std::size_t size, std::size_t chunk) {
  Sim::NewProtoLink link;
  Sim::Bytes stream;
  std::size_t pos = 0;
  while (pos + 2 <= size) {
    const std::uint16_t code = static_cast<std::uint16_t>(data[pos] << 8 | data[pos + 1]);
    pos += 2;
    std::vector<Sim::NewProtoItem> items;
    while (pos + 3 <= size) {
      const std::uint16_t id = static_cast<std::uint16_t>(data[pos] << 8 | data[pos + 1]);
      std::size_t n = data[pos + 2];
      pos += 3;
      if (id == 0) break;
      if (n > size - pos) n = size - pos;
      items.push_back({id, Sim::Bytes(data + pos, data + pos + n)});
      pos += n;
    }
    const Sim::Bytes frames = link.Frames(Sim::NewProtoPacket(code, items, code), chunk);
    stream.insert(stream.end(), frames.begin(), frames.end());
  }
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t choice = data[0];
  const std::size_t chunk = 1 + 35u * ((choice >> 1) & 7);
  const std::size_t block = Fuzz::BlockSize(choice >> 4, 37);
  const Sim::Bytes stream = (choice & 1) != 0 ? Structured(data + 1, size - 1, chunk)
                                              : Sim::Bytes(data + 1, data + size);

  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  Fuzz::QueryOnEveryMessage(gnss);
  auto* engine = static_cast<NewProtoEngine*>(EmGnssTestAccess::Engine(gnss));
  for (std::size_t pos = 0; pos < stream.size(); pos += block) {
    // An exactly sized copy, so that a read past the block is caught.
    const std::size_t n = pos + block < stream.size() ? block : stream.size() - pos;
    std::vector<unsigned char> bytes(stream.begin() + pos, stream.begin() + pos + n);
    gnss.RcvData(bytes.data(), static_cast<unsigned>(n));
    gnss.ParseData();
    Fuzz::CheckRecvBuffer(*engine->rx);
    Fuzz::CheckRecvBuffer(*engine->reassembly);
    if (engine->adapter->decoder->text_reply_length > BoardDecoder::kTextReplySize) std::abort();
  }
  return 0;
}
