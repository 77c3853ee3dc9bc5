// A new-protocol receiver for tests: an Em_Gnss(2, 8) whose message
// callbacks are recorded, fed with simulated receiver output.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "engines/newproto_engine.h"
#include "newproto/newproto_board_data.h"
#include "support/test_adapter.h"
#include "support/values.h"
#include "tools/sim/newproto_sim.h"

namespace Kestrel {
namespace KsParse {
namespace Testing {

using Sim::Bytes;
using Sim::ItemValue;
using Sim::NewProtoItem;

struct Message {
  Msg_Type kind;
  unsigned value;
  bool operator==(const Message& o) const { return kind == o.kind && value == o.value; }
};

inline void PrintTo(const Message& m, std::ostream* os) { *os << "{" << m.kind << ", 0x" << std::hex << m.value << "}"; }

class NewProtoReceiver {
 public:
  NewProtoReceiver() : gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO) {
    const _CALLBACKS_RECEIVER callbacks = {&Record, nullptr};
    gnss.Reg_Callbacks(&callbacks, this);
  }

  // Hands the bytes over in blocks of `block` bytes (0: all at once), with
  // a ParseData after each block.
  void Feed(const Bytes& bytes, std::size_t block = 0) {
    if (block == 0) block = bytes.size() > 0 ? bytes.size() : 1;
    for (std::size_t pos = 0; pos < bytes.size(); pos += block) {
      Bytes part(bytes.begin() + pos, bytes.begin() + std::min(bytes.size(), pos + block));
      gnss.RcvData(part.data(), static_cast<unsigned>(part.size()));
      gnss.ParseData();
    }
  }
  // One packet of `items` with message `code`, in frames of the link.
  void FeedPacket(std::uint16_t code, const std::vector<NewProtoItem>& items, std::uint32_t tag = 0) {
    Feed(link.Frames(Sim::NewProtoPacket(code, items, tag)));
  }

  NewProtoEngine& Engine() { return *static_cast<NewProtoEngine*>(EmGnssTestAccess::Engine(gnss)); }
  NewProtoBoardData& Store() { return *static_cast<NewProtoBoardData*>(Engine().adapter->decoder); }

  Em_Gnss gnss;
  Sim::NewProtoLink link;
  std::vector<Message> got;

 private:
  static void Record(Msg_Type kind, unsigned value, const void* self) {
    static_cast<NewProtoReceiver*>(const_cast<void*>(self))->got.push_back({kind, value});
  }
};

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
