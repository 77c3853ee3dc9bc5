// The real NovAtel OEMV recording: every BESTPOS decoded to the log's own
// fields through the adapter, and the whole recording end to end through
// Em_Gnss(1, 2) in any block size. Skipped when the capture is absent.
#include <gtest/gtest.h>

#include <ksparse/em_gnss.h>

#include <cstring>
#include <string>
#include <vector>

#include "novatel_test_support.h"
#include "support/test_paths.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr double kDeg = 0.017453292519943295;
const char kCapture[] = "oemv_200911218.gps";

template <typename T>
T At(const std::string& log, std::size_t offset) {
  T v;
  std::memcpy(&v, log.data() + offset, sizeof v);
  return v;
}

TEST(NovAtelCapture, EveryBestPosMatchesItsFields) {
  const std::string capture = Testing::CapturePath(kCapture);
  if (capture.empty()) GTEST_SKIP() << kCapture << " not present";
  Testing::NovAtelBoard b;
  const NovAtelDecoder& d = b.decoder();
  int positions = 0;
  for (const std::string& log : Testing::SplitNovAtelLogs(Testing::ReadFile(capture))) {
    // The only log above the frame buffer's 2048 bytes is one nobody decodes.
    if (log.size() > FrameBuffer::kCapacity) continue;
    ASSERT_TRUE(b.Feed(log)) << Testing::LogId(log);
    if (Testing::LogId(log) != 42) continue;
    ++positions;
    EXPECT_EQ(d.latitude, At<double>(log, 28 + 8) * kDeg);
    EXPECT_EQ(d.longitude, At<double>(log, 28 + 16) * kDeg);
    EXPECT_EQ(d.height, At<double>(log, 28 + 24) + At<float>(log, 28 + 32));
    EXPECT_EQ(d.sats_tracked, static_cast<unsigned char>(log[28 + 64]));
    EXPECT_EQ(d.week, At<std::uint16_t>(log, 14));
  }
  EXPECT_EQ(positions, 49);
}

struct Callbacks {
  std::vector<std::pair<int, unsigned>> messages;
  static void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
    static_cast<Callbacks*>(const_cast<void*>(context))->messages.emplace_back(kind, value);
  }
};

// Feeds the recording in blocks of `block` bytes and parses after each. A
// rejected frame (the recording's oversized logs) ends a ParseData call, so
// the application calls it again: a few calls per block drain every block.
// Blocks stay at 2000 bytes or less: the receive buffer compacts only above
// 18480 bytes held, so a larger block may find it too full and empty it.
Callbacks Decode(const std::string& bytes, std::size_t block, POS_INFO* last_pos = nullptr,
                 em_obs_t* last_obs = nullptr) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  Callbacks seen;
  const _CALLBACKS_RECEIVER callbacks = {&Callbacks::OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &seen);
  std::string copy = bytes;
  for (std::size_t at = 0; at < copy.size(); at += block) {
    gnss.RcvData(reinterpret_cast<unsigned char*>(&copy[at]),
                 static_cast<unsigned>(std::min(block, copy.size() - at)));
    for (int i = 0; i < 4; ++i) gnss.ParseData();
  }
  if (last_pos != nullptr) gnss.Get_Gnss_Pos(last_pos);
  if (last_obs != nullptr) gnss.Get_Gnss_Obs_t(last_obs);
  return seen;
}

TEST(NovAtelCapture, EndToEndThroughEmGnss) {
  const std::string capture = Testing::CapturePath(kCapture);
  if (capture.empty()) GTEST_SKIP() << kCapture << " not present";
  const std::string bytes = Testing::ReadFile(capture);
  POS_INFO pos{};
  static em_obs_t obs;
  const Callbacks whole = Decode(bytes, 2000, &pos, &obs);

  // Positions, observations and new ephemerides are reported; logs that
  // change nothing raise no callback.
  const std::vector<std::string> logs = Testing::SplitNovAtelLogs(bytes);
  int positions = 0, epochs = 0, ephemerides = 0;
  for (const auto& m : whole.messages) {
    EXPECT_EQ(m.first, MSG_GNSS);
    positions += (m.second & MsgBit::kPosition) != 0;
    epochs += (m.second & MsgBit::kObservations) != 0;
    ephemerides += (m.second & MsgBit::kEphemeris) != 0;
  }
  EXPECT_EQ(whole.messages.size(), 49u + 46 + 9);
  EXPECT_EQ(positions, 49);
  EXPECT_EQ(epochs, 46);
  EXPECT_EQ(ephemerides, 9);

  // The queries answer with the last position and the last epoch.
  Testing::NovAtelBoard b;
  for (const std::string& log : logs)
    if (log.size() <= FrameBuffer::kCapacity) b.Feed(log);
  EXPECT_EQ(pos.latitude, b.decoder().latitude);
  EXPECT_EQ(pos.height, b.decoder().height);
  EXPECT_EQ(pos.solution, b.decoder().solution_code);
  EXPECT_EQ(pos.year, 2009);
  ASSERT_EQ(obs.n, b.decoder().obs_count);
  EXPECT_EQ(std::memcmp(obs.data, b.decoder().obs, obs.n * sizeof(em_obsd_t)), 0);

  // The same messages whatever the block size.
  EXPECT_EQ(Decode(bytes, 1).messages, whole.messages);
  EXPECT_EQ(Decode(bytes, 1000).messages, whole.messages);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
