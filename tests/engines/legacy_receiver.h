// A legacy-protocol Em_Gnss fed with frames of the legacy frame encoder, and
// the (kind, flags) reports its callback receives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engines/legacy_engine.h"
#include "support/legacy_wire.h"
#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {

using Reports = std::vector<std::pair<int, unsigned>>;

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
