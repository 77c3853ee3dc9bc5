// The rtcm subcommand's pieces on simulated correction streams: every frame
// found whatever the pieces and the noise, bad frames counted, and the
// records carrying what was encoded.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_test_support.h"
#include "tools/rtcm_frame_finder.h"
#include "tools/rtcm_record.h"
#include "tools/sim/rtcm_sim.h"
#include "tools/sim/stream_composer.h"

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

TEST(RtcmFrameFinder, FindsEveryFrameInNoiseWhateverThePieces) {
  Sim::StreamOptions options;
  options.seconds = 25;
  options.noise = 0.9;
  options.seed = 3;
  const Sim::SimStream stream = Sim::ComposeStream(Sim::Family::kRtcm, options);
  ASSERT_GT(stream.bad_frames, 3u);
  std::size_t frame_bytes = 0;
  for (const auto& f : stream.frames) frame_bytes += f.size();
  for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{700}, stream.bytes.size()}) {
    Tool::RtcmFrameFinder finder;
    EXPECT_EQ(FindAll(stream.bytes, piece, finder), stream.frames) << "piece " << piece;
    EXPECT_EQ(finder.BadCrc(), stream.bad_frames);
    EXPECT_EQ(finder.SkippedBytes(), stream.bytes.size() - frame_bytes);
  }
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

TEST(RtcmRecorder, ObservationRecordsFollowTheSatelliteBlocks) {
  // PRN 0 and 35 are skipped by the decoder without using a record; 40 is
  // SBAS 120.
  Sim::Rtcm1004Header header;
  header.tow_ms = 123456789;
  const Frame frame = Sim::Rtcm1004(header, {Sim::Rtcm1004Observation(0, 2.0e7, 2.0e7, 0, 0, 40, 40),
                                             Sim::Rtcm1004Observation(3, 2.2e7, 2.2e7 + 2.5, 1, 2, 45, 39),
                                             Sim::Rtcm1004Observation(35, 2.0e7, 2.0e7, 0, 0, 40, 40),
                                             Sim::Rtcm1004Observation(40, 3.8e7, 3.8e7 + 1, 1, 2, 41, 0)});
  Tool::RtcmRecorder recorder;
  const Tool::Value record = recorder.Record(frame.data(), frame.size());
  EXPECT_EQ(record.Find("msg")->AsUint(), 1004u);
  EXPECT_EQ(record.Find("len")->AsUint(), frame.size());
  EXPECT_TRUE(record.Find("accepted")->AsBool());
  EXPECT_EQ(record.Find("tow_ms")->AsUint(), 123456789u);
  const std::vector<Tool::Value>& obs = record.Find("obs")->Items();
  ASSERT_EQ(obs.size(), 2u);
  EXPECT_EQ(obs[0].Find("prn")->AsUint(), 3u);
  EXPECT_NEAR(obs[0].Find("p")->Items()[0].AsDouble(), 2.2e7, 0.02);
  EXPECT_NEAR(obs[0].Find("p")->Items()[1].AsDouble(), 2.2e7 + 2.5, 0.03);
  EXPECT_EQ(obs[1].Find("prn")->AsUint(), 120u);
  EXPECT_NEAR(obs[1].Find("p")->Items()[0].AsDouble(), 3.8e7, 0.02);
}

TEST(RtcmRecorder, TransformationMessagesCarryTheirKeys) {
  Sim::RtcmHelmertFields helmert;
  helmert.source_name = "A";
  helmert.target_name = "B";
  helmert.system_id = 9;
  helmert.computation = 1;
  helmert.height = 2;
  helmert.utilized = 33;
  helmert.dx = 1500;
  helmert.xp = 4000000000;
  Tool::RtcmRecorder recorder;
  const Frame f1021 = Sim::Rtcm1021(helmert);
  const Tool::Value r1021 = recorder.Record(f1021.data(), f1021.size());
  EXPECT_EQ(r1021.Find("system_id")->AsInt(), 9);
  EXPECT_EQ(r1021.Find("computation")->AsInt(), 1);
  EXPECT_EQ(r1021.Find("height_ind")->AsInt(), 2);
  EXPECT_EQ(r1021.Find("utilized")->AsUint(), 33u);
  EXPECT_DOUBLE_EQ(r1021.Find("trans")->Find("dx")->AsDouble(), 1.5);
  EXPECT_EQ(r1021.Find("trans")->Members().size(), 18u);

  const Frame f1022 = Sim::Rtcm1022(helmert);
  const Tool::Value r1022 = recorder.Record(f1022.data(), f1022.size());
  EXPECT_EQ(r1022.Find("system_id"), nullptr);
  EXPECT_DOUBLE_EQ(r1022.Find("trans")->Find("xp")->AsDouble(), 4000000.0);

  Sim::RtcmGridFields grid;
  grid.mjd = 60000;
  const Frame f1024 = Sim::Rtcm1024(grid);
  const Tool::Value r1024 = recorder.Record(f1024.data(), f1024.size());
  EXPECT_EQ(r1024.Find("grid")->Find("points")->Items().size(), 16u);
  EXPECT_DOUBLE_EQ(r1024.Find("grid")->Find("mjd")->AsDouble(), 60000.0);

  Sim::Rtcm1027Fields oblique;
  oblique.projection_type = 5;
  oblique.rectified = 1;
  const Frame f1027 = Sim::Rtcm1027(oblique);
  const Tool::Value r1027 = recorder.Record(f1027.data(), f1027.size());
  EXPECT_EQ(r1027.Find("proj")->Find("type")->AsInt(), 5);
  EXPECT_EQ(r1027.Find("proj")->Find("rectified")->AsUint(), 1u);
  EXPECT_DOUBLE_EQ(r1027.Find("proj")->Find("scale_ppm")->AsDouble(), 993000.0);

  // A valid frame too short for its message: classified, nothing decoded.
  const Frame short1027 = Sim::RtcmFrame([] {
    Sim::BitWriter w;
    w.Put(1027, 12);
    return w;
  }());
  const Tool::Value r_short = recorder.Record(short1027.data(), short1027.size());
  EXPECT_FALSE(r_short.Find("accepted")->AsBool());
  EXPECT_EQ(r_short.Find("proj"), nullptr);
}

TEST(RtcmCommand, SimulatedStreamThroughTheSubcommand) {
  Sim::StreamOptions options;
  options.seconds = 12;
  options.noise = 0.5;
  const Sim::SimStream stream = Sim::ComposeStream(Sim::Family::kRtcm, options);
  const std::string path = Testing::WriteTemp("rtcm_stream.rtcm3", stream.bytes);
  const Testing::CliResult result = Testing::RunCli({"rtcm", path});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = Testing::Lines(result.out);
  ASSERT_EQ(lines.size(), stream.frames.size());
  for (const std::string& line : lines) EXPECT_TRUE(Testing::HasKey(line, "accepted")) << line;
  EXPECT_NE(result.err.find(std::to_string(stream.bad_frames) + " bad CRC"), std::string::npos) << result.err;
  // Standard input gives the same, and --quiet only the summary.
  const std::string bytes(stream.bytes.begin(), stream.bytes.end());
  EXPECT_EQ(Testing::RunCli({"rtcm", "-"}, bytes).out, result.out);
  const Testing::CliResult quiet = Testing::RunCli({"rtcm", "--quiet"}, bytes);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, result.err);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
