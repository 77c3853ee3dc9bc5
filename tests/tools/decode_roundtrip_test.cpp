// Simulated streams decoded by the tool's decode path: the same records
// whatever the block sizes, the same records with garbage between the
// frames, one record for every frame sent, and the values that were sent.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "tests/tools/tool_test_support.h"
#include "tools/decode_record.h"
#include "tools/sim/stream_composer.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::DecodeInBlocks;
using Testing::Lines;
using Testing::NumberAfter;
using Tool::DecodeSettings;

Sim::SimStream Stream(Sim::Family family, double seconds, double noise, std::uint32_t seed = 7) {
  Sim::StreamOptions options;
  options.seconds = seconds;
  options.rate_hz = 2.0;
  options.seed = seed;
  options.noise = noise;
  return Sim::ComposeStream(family, options);
}

DecodeSettings Board(int board) {
  DecodeSettings settings;
  settings.board = board;
  settings.parse_nmea = true;
  return settings;
}

std::size_t CountFrames(const Sim::SimStream& stream, const std::string& prefix) {
  std::size_t n = 0;
  for (const auto& frame : stream.frames)
    if (std::string(frame.begin(), frame.end()).compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

std::size_t CountFlag(const std::vector<std::string>& lines, std::uint32_t flag) {
  std::size_t n = 0;
  for (const std::string& line : lines)
    if (static_cast<std::uint32_t>(NumberAfter(line, "flags")) & flag) ++n;
  return n;
}

// Block sizes: one byte, random up to 5000, the default, and everything at
// once (which the session slices itself) must all give the same records.
void ExpectBlockSizeInvariant(const Sim::SimStream& stream, const DecodeSettings& settings,
                              const std::string& reference) {
  EXPECT_EQ(DecodeInBlocks(stream.bytes, settings, [] { return std::size_t{1}; }), reference);
  std::mt19937 random(99);
  std::uniform_int_distribution<std::size_t> size(1, 5000);
  EXPECT_EQ(DecodeInBlocks(stream.bytes, settings, [&] { return size(random); }), reference);
  EXPECT_EQ(DecodeInBlocks(stream.bytes, settings, [&] { return stream.bytes.size(); }), reference);
}

TEST(DecodeRoundTrip, NmeaEveryBlockSizeAndNoiseGiveTheSameRecords) {
  const Sim::SimStream clean = Stream(Sim::Family::kNmea, 20, 0.0);
  const std::string reference = DecodeInBlocks(clean.bytes, Board(6), [] { return std::size_t{4096}; });
  ASSERT_FALSE(reference.empty());
  ExpectBlockSizeInvariant(clean, Board(6), reference);

  const Sim::SimStream noisy = Stream(Sim::Family::kNmea, 20, 0.6);
  ASSERT_GT(noisy.bad_frames, 10u);
  EXPECT_EQ(noisy.frames, clean.frames);
  ExpectBlockSizeInvariant(noisy, Board(6), reference);
}

TEST(DecodeRoundTrip, NmeaEverySentenceIsDecodedWithTheValuesSent) {
  const Sim::SimStream stream = Stream(Sim::Family::kNmea, 15, 0.3);
  const std::vector<std::string> lines =
      Lines(DecodeInBlocks(stream.bytes, Board(6), [] { return std::size_t{4096}; }));
  // Every GGA, RMC and GSV group, the last epoch's included (they wait for
  // look-ahead until the end-of-input padding).
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kGga), CountFrames(stream, "$GPGGA"));
  EXPECT_EQ(CountFlag(lines, 0x2000), CountFrames(stream, "$GPRMC"));
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kSatsSystem3), CountFrames(stream, "$GPGGA"));
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kDop), CountFrames(stream, "$GPGSA"));

  const Sim::Trajectory trajectory(7);
  std::size_t epoch = 0;
  for (const std::string& line : lines) {
    if (!(static_cast<std::uint32_t>(NumberAfter(line, "flags")) & Tool::Flag::kGga)) continue;
    const Sim::TrajectoryEpoch e = trajectory.At(epoch++ / 2.0);
    EXPECT_NEAR(NumberAfter(line, "lat"), e.latitude_deg, 1e-8) << line;
    EXPECT_NEAR(NumberAfter(line, "lon"), e.longitude_deg, 1e-8) << line;
    EXPECT_NEAR(NumberAfter(line, "height"), e.height_m, 1.1e-3) << line;
  }
}

TEST(DecodeRoundTrip, NovAtelEveryBlockSizeAndNoiseGiveTheSameRecords) {
  const Sim::SimStream clean = Stream(Sim::Family::kNovAtel, 10, 0.0);
  const std::string reference = DecodeInBlocks(clean.bytes, Board(2), [] { return std::size_t{4096}; });
  ASSERT_FALSE(reference.empty());
  ExpectBlockSizeInvariant(clean, Board(2), reference);
  const Sim::SimStream noisy = Stream(Sim::Family::kNovAtel, 10, 0.6);
  ASSERT_GT(noisy.bad_frames, 5u);
  ExpectBlockSizeInvariant(noisy, Board(2), reference);
}

TEST(DecodeRoundTrip, NovAtelEveryLogIsDecoded) {
  const Sim::SimStream stream = Stream(Sim::Family::kNovAtel, 10, 0.4);
  const std::vector<std::string> lines =
      Lines(DecodeInBlocks(stream.bytes, Board(2), [] { return std::size_t{1000}; }));
  const std::size_t epochs = 20;
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kObservations), epochs);  // RANGECMP
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kDop), 2 * epochs);       // PSRDOP and GPGSA
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kGga), epochs);           // GPGGA
  // One RAWEPHEM per GPS satellite at the start, each for its own PRN.
  std::vector<int> ephemeris_sats;
  for (const std::string& line : lines)
    if (static_cast<std::uint32_t>(NumberAfter(line, "flags")) & Tool::Flag::kEphemeris)
      ephemeris_sats.push_back(static_cast<int>(NumberAfter(line, "sat")));
  EXPECT_EQ(ephemeris_sats, (std::vector<int>{2, 5, 7, 13, 15, 18, 20, 24, 29, 30}));
}

TEST(DecodeRoundTrip, RealRecordingsGiveTheSameRecordsWhateverTheBlocks) {
  const struct {
    const char* name;
    int board;
  } kCaptures[] = {{"skytraq-dgps.nmea", 6}, {"telit-he910.nmea", 6}, {"ublox-zed-f9p-nmea.nmea", 6},
                   {"oemv_200911218.gps", 2}};
  int found = 0;
  for (const auto& capture : kCaptures) {
    const std::string path = Testing::CapturePath(capture.name);
    if (path.empty()) continue;
    ++found;
    const std::string text = Testing::ReadFile(path);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const std::string reference = DecodeInBlocks(bytes, Board(capture.board), [] { return std::size_t{4096}; });
    EXPECT_FALSE(reference.empty()) << capture.name;
    EXPECT_EQ(DecodeInBlocks(bytes, Board(capture.board), [] { return std::size_t{1}; }), reference) << capture.name;
    std::mt19937 random(1);
    std::uniform_int_distribution<std::size_t> size(1, 3000);
    EXPECT_EQ(DecodeInBlocks(bytes, Board(capture.board), [&] { return size(random); }), reference) << capture.name;
  }
  if (found == 0) GTEST_SKIP() << "no shared captures";
}

TEST(DecodeRoundTrip, OneHugeBlockDoesNotOverflowTheReceiveBuffer) {
  // 200 kB handed over at once: the session slices it, so nothing is lost
  // to the receive buffer's all-or-nothing overflow rule.
  const Sim::SimStream stream = Stream(Sim::Family::kNmea, 120, 0.0);
  ASSERT_GT(stream.bytes.size(), 150000u);
  Tool::DecodeStats stats;
  const std::vector<std::string> lines = Lines(DecodeInBlocks(
      stream.bytes, Board(6), [&] { return stream.bytes.size(); }, &stats));
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kGga), CountFrames(stream, "$GPGGA"));
  EXPECT_EQ(stats.bytes, stream.bytes.size());
  EXPECT_EQ(stats.callbacks, lines.size());
  EXPECT_EQ(stats.by_kind.at(1), lines.size());
}

TEST(DecodeRoundTrip, QuietCountsWhatJsonPrints) {
  const Sim::SimStream stream = Stream(Sim::Family::kNmea, 5, 0.2);
  DecodeSettings quiet = Board(6);
  quiet.mode = Tool::OutputMode::kQuiet;
  Tool::DecodeStats stats;
  EXPECT_EQ(DecodeInBlocks(stream.bytes, quiet, [] { return std::size_t{512}; }, &stats), "");
  EXPECT_EQ(stats.callbacks, Lines(DecodeInBlocks(stream.bytes, Board(6), [] { return std::size_t{512}; })).size());
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
