// A legacy-protocol Em_Gnss fed with frames of the legacy frame encoder, and
// the (kind, flags) reports its callback receives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engines/legacy_engine.h"
#include "legacy/legacy_frame.h"
#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {

using Reports = std::vector<std::pair<int, unsigned>>;

inline std::string Le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

inline std::string Frame(const char* id, const std::string& payload) {
  unsigned char out[300];
  unsigned length = 0;
  Legacy::BuildByteFrame(id, reinterpret_cast<const unsigned char*>(payload.data()),
                         static_cast<unsigned>(payload.size()), out, &length, 1);
  return std::string(reinterpret_cast<const char*>(out), length);
}

// A modem or radio reply as VI frames carry it: 0x40, sub-code, complement,
// 32-bit length, data, XOR check, CR LF.
inline std::string Reply(unsigned char code, const std::string& data) {
  std::string p = "\x40" + std::string{static_cast<char>(code), static_cast<char>(~code)} +
                  Le32(static_cast<std::uint32_t>(data.size())) + data;
  char check = 0;
  for (char c : p) check ^= c;
  return p + check + "\r\n";
}

class LegacyReceiver : public testing::Test {
 protected:
  explicit LegacyReceiver(MAINBD_OEM_TYPE board = OEM_NOVATEL) : gnss(GNSS_MNFCTR_NORVIK, board) {
    const _CALLBACKS_RECEIVER callbacks = {[](Msg_Type kind, unsigned value, const void* self) {
      static_cast<LegacyReceiver*>(const_cast<void*>(self))->reports.emplace_back(kind, value);
    }, nullptr};
    gnss.Reg_Callbacks(&callbacks, this);
  }
  LegacyEngine& engine() { return *static_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss)); }
  BoardDecoder& decoder() { return *engine().adapter->decoder; }

  // The reports of one RcvData + ParseData over `bytes`.
  Reports Feed(const std::string& bytes) {
    reports.clear();
    std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    gnss.RcvData(copy.data(), static_cast<unsigned>(copy.size()));
    gnss.ParseData();
    return reports;
  }
  Reports Feed(const char* id, const std::string& payload) { return Feed(Frame(id, payload)); }

  Em_Gnss gnss;
  Reports reports;
};

}  // namespace KsParse
}  // namespace Kestrel
