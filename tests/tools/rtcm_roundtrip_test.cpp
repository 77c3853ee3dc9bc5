// The rtcm subcommand's pieces on simulated correction streams: every frame
// found whatever the pieces and the noise, bad frames counted, and the
// records carrying what was encoded.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_test_support.h"
#include "tools/rtcm_frame_finder.h"
#include "tools/json_writer.h"
#include "tools/rtcm_record.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Frames = std::vector<std::vector<std::uint8_t>>;
using Sim::Frame;

Frames FindAll(const std::vector<std::uint8_t>& bytes, std::size_t piece, Tool::RtcmFrameFinder& finder) {
  Frames found;
  const unsigned char* frame = nullptr;
  std::size_t length = 0;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    finder.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    while (finder.Next(&frame, &length)) found.emplace_back(frame, frame + length);
  }
  finder.Finish();
  while (finder.Next(&frame, &length)) found.emplace_back(frame, frame + length);
  return found;
}

TEST(RtcmFrameFinder, FalsePreambleDoesNotHideTheNextFrame) {
  // A preamble whose length runs past the end of the input, then a real
  // frame inside that length: at the end the candidate is given up one byte
  // at a time and the real frame still found.
  Sim::Rtcm1004Header header;
  const Frame real = Sim::Rtcm1004(header, {Sim::Rtcm1004Observation(5, 2.1e7, 2.1e7 + 3, 1.5, 2.5, 45, 40)});
  std::vector<std::uint8_t> bytes = {0xD3, 0x03, 0xFF, 0x11};
  bytes.insert(bytes.end(), real.begin(), real.end());
  Tool::RtcmFrameFinder finder;
  EXPECT_EQ(FindAll(bytes, bytes.size(), finder), Frames{real});
  EXPECT_EQ(finder.BadCrc(), 0u);
  EXPECT_EQ(finder.SkippedBytes(), 4u);
}

// CRC-valid frames with a two-byte message: number 100 (unassigned) is
// refused and counted as bad, 1005 is taken; a run of false preambles
// (D3 03 FF reads as message 3376) before them hides neither.
TEST(RtcmFrameFinder, UnassignedMessageNumbersAreRefused) {
  const std::vector<std::uint8_t> unassigned = {0xD3, 0x00, 0x02, 0x06, 0x40, 0xF8, 0x43, 0x2F};
  const std::vector<std::uint8_t> assigned = {0xD3, 0x00, 0x02, 0x3E, 0xD0, 0xA4, 0xE0, 0x00};
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 400; ++i) bytes.insert(bytes.end(), {0xD3, 0x03, 0xFF});
  bytes.insert(bytes.end(), unassigned.begin(), unassigned.end());
  bytes.insert(bytes.end(), assigned.begin(), assigned.end());
  for (std::size_t piece : {std::size_t{7}, bytes.size()}) {
    Tool::RtcmFrameFinder finder;
    EXPECT_EQ(FindAll(bytes, piece, finder), Frames{assigned});
    // Of the 1216 bytes, the 63 false preambles with 1029 bytes behind them
    // are whole candidates and count as bad, and so does the unassigned
    // frame; the other preambles are given up at the end uncounted.
    EXPECT_EQ(finder.BadCrc(), 64u);
    EXPECT_EQ(finder.SkippedBytes(), 1200u + unassigned.size());
  }
}

using D = std::vector<double>;

// The numbers under `keys` in the record's JSON (the first of each).
D Numbers(const Tool::Value& record, const std::vector<std::string>& keys) {
  const std::string json = Tool::ToJson(record);
  D values;
  for (const std::string& key : keys) values.push_back(Testing::NumberAfter(json, key));
  return values;
}

// Satellite numbering and values are the decoder's, tested with it.
TEST(RtcmRecorder, ObservationRecordsFollowTheSatelliteBlocks) {
  // PRN 0 and 35 are skipped by the decoder without using a record; 40 is
  // SBAS 120.
  Sim::Rtcm1004Header header;
  header.tow_ms = 123456789;
  const Frame frame = Sim::Rtcm1004(header, {Sim::Rtcm1004Observation(0, 2.0e7, 2.0e7, 0, 0, 40, 40),
                                             Sim::Rtcm1004Observation(3, 2.2e7, 2.2e7 + 2.5, 1, 2, 45, 39),
                                             Sim::Rtcm1004Observation(35, 2.0e7, 2.0e7, 0, 0, 40, 40),
                                             Sim::Rtcm1004Observation(40, 3.8e7, 3.8e7 + 1, 1, 2, 41, 0)});
  const Tool::Value record = Tool::RtcmRecorder().Record(frame.data(), frame.size());
  EXPECT_TRUE(record.Find("accepted")->AsBool());
  EXPECT_EQ(Numbers(record, {"msg", "len", "tow_ms"}), (D{1004, 1.0 * frame.size(), 123456789}));
  const std::vector<Tool::Value>& obs = record.Find("obs")->Items();
  ASSERT_EQ(obs.size(), 2u);
  EXPECT_EQ((D{1.0 * obs[0].Find("prn")->AsUint(), 1.0 * obs[1].Find("prn")->AsUint()}), (D{3, 120}));
  EXPECT_NEAR(obs[0].Find("p")->Items()[1].AsDouble(), 2.2e7 + 2.5, 0.03);
}

TEST(RtcmRecorder, TransformationMessagesCarryTheirKeys) {
  Sim::RtcmHelmertFields helmert;
  helmert.source_name = "A", helmert.target_name = "B", helmert.system_id = 9, helmert.computation = 1;
  helmert.height = 2, helmert.utilized = 33, helmert.dx = 1500, helmert.xp = 4000000000;
  Tool::RtcmRecorder recorder;
  auto record = [&recorder](const Frame& f) { return recorder.Record(f.data(), f.size()); };
  EXPECT_EQ(Numbers(record(Sim::Rtcm1021(helmert)), {"system_id", "computation", "height_ind", "utilized", "dx"}),
            (D{9, 1, 2, 33, 1.5}));
  const Tool::Value r1022 = record(Sim::Rtcm1022(helmert));
  EXPECT_EQ(r1022.Find("system_id"), nullptr);
  EXPECT_EQ(r1022.Find("trans")->Find("xp")->AsDouble(), 4000000.0);

  EXPECT_EQ(record(Sim::Rtcm1024(Sim::RtcmGridFields{})).Find("grid")->Find("points")->Items().size(), 16u);
  EXPECT_EQ(Numbers(record(Sim::Rtcm1027(Sim::Rtcm1027Fields{})), {"scale_ppm"}), D{993000});

  // A valid frame too short for its message: classified, nothing decoded.
  Sim::BitWriter number_only;
  number_only.Put(1027, 12);
  const Tool::Value r_short = record(Sim::RtcmFrame(number_only));
  EXPECT_FALSE(r_short.Find("accepted")->AsBool());
  EXPECT_EQ(r_short.Find("proj"), nullptr);
}

// A noisy stream: every frame found whatever the pieces, the garbage and
// bad frames counted; the subcommand prints one record per frame, and with
// --quiet only the same summary.
TEST(RtcmCommand, NoisyStreamEveryFrameFoundWhateverThePieces) {
  const Sim::SimStream stream = Testing::Simulate(Sim::Family::kRtcm, 25, 0.9, 3);
  ASSERT_GT(stream.bad_frames, 3u);
  std::size_t frame_bytes = 0;
  for (const auto& f : stream.frames) frame_bytes += f.size();
  for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{700}, stream.bytes.size()}) {
    Tool::RtcmFrameFinder finder;
    EXPECT_EQ(FindAll(stream.bytes, piece, finder), stream.frames) << "piece " << piece;
    EXPECT_EQ(finder.BadCrc(), stream.bad_frames);
    EXPECT_EQ(finder.SkippedBytes(), stream.bytes.size() - frame_bytes);
  }

  const Testing::CliResult result = Testing::RunCli({"rtcm", Testing::WriteTemp("rtcm_stream.rtcm3", stream.bytes)});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = Testing::Lines(result.out);
  ASSERT_EQ(lines.size(), stream.frames.size());
  for (const std::string& line : lines) EXPECT_NE(line.find("\"accepted\":"), std::string::npos) << line;
  EXPECT_NE(result.err.find(std::to_string(stream.bad_frames) + " bad CRC"), std::string::npos) << result.err;
  const std::string bytes(stream.bytes.begin(), stream.bytes.end());
  const Testing::CliResult quiet = Testing::RunCli({"rtcm", "--quiet"}, bytes);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, result.err);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
