// The real NovAtel OEMV recording: every BESTPOS decoded to the log's own
// fields through the adapter, and the whole recording end to end through
// Em_Gnss(1, 2). Skipped when the capture is absent.
#include <gtest/gtest.h>

#include <ksparse/em_gnss.h>

#include <cstring>
#include <string>
#include <vector>

#include "board_test_support.h"
#include "support/test_paths.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;

void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
  static_cast<std::vector<std::pair<int, unsigned>>*>(const_cast<void*>(context))->emplace_back(kind, value);
}

TEST(NovAtelCapture, EveryBestPosMatchesItsFieldsAndEmGnssAgrees) {
  const std::string capture = CapturePath("oemv_200911218.gps");
  if (capture.empty()) GTEST_SKIP() << "oemv_200911218.gps not present";
  const std::string bytes = ReadFile(capture);
  NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  int positions = 0;
  for (const std::string& log : SplitNovAtelLogs(bytes)) {
    // The only log above the frame buffer's 2048 bytes is one nobody decodes.
    if (log.size() > FrameBuffer::kCapacity) continue;
    ASSERT_TRUE(b.Feed(log)) << LogId(log);
    if (LogId(log) != 42) continue;
    ++positions;
    EXPECT_EQ(d.latitude, At<double>(log, 28 + 8) * kDeg);
    EXPECT_EQ(d.longitude, At<double>(log, 28 + 16) * kDeg);
    EXPECT_EQ(d.height, At<double>(log, 28 + 24) + At<float>(log, 28 + 32));
    EXPECT_EQ(d.sats_tracked, static_cast<unsigned char>(log[28 + 64]));
    EXPECT_EQ(d.week, At<std::uint16_t>(log, 14));
  }
  EXPECT_EQ(positions, 49);

  // The same bytes through Em_Gnss(1, 2) in blocks of 2000 (the receive
  // buffer compacts only above 18480 bytes held, so larger blocks may find
  // it full). A rejected frame (the oversized logs) ends a ParseData call,
  // so a few calls per block drain every block.
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  std::vector<std::pair<int, unsigned>> messages;
  const _CALLBACKS_RECEIVER callbacks = {&OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &messages);
  std::string copy = bytes;
  for (std::size_t at = 0; at < copy.size(); at += 2000) {
    const unsigned n = static_cast<unsigned>(std::min<std::size_t>(2000, copy.size() - at));
    gnss.RcvData(reinterpret_cast<unsigned char*>(&copy[at]), n);
    for (int i = 0; i < 4; ++i) gnss.ParseData();
  }
  // Positions, observations and new ephemerides are reported; logs that
  // change nothing raise no callback.
  int epochs = 0, ephemerides = 0;
  positions = 0;
  for (const auto& m : messages) {
    EXPECT_EQ(m.first, MSG_GNSS);
    positions += (m.second & MsgBit::kPosition) != 0;
    epochs += (m.second & MsgBit::kObservations) != 0;
    ephemerides += (m.second & MsgBit::kEphemeris) != 0;
  }
  EXPECT_EQ((std::vector<int>{static_cast<int>(messages.size()), positions, epochs, ephemerides}),
            (std::vector<int>{49 + 46 + 9, 49, 46, 9}));
  // The queries answer with the last position and the last epoch.
  POS_INFO pos{};
  static em_obs_t obs;
  gnss.Get_Gnss_Pos(&pos);
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_TRUE(pos.latitude == d.latitude && pos.height == d.height && pos.solution == d.solution_code);
  EXPECT_EQ(pos.year, 2009);
  ASSERT_EQ(obs.n, d.obs_count);
  EXPECT_EQ(std::memcmp(obs.data, d.obs, obs.n * sizeof(em_obsd_t)), 0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
