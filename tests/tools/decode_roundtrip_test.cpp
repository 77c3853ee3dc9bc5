// Simulated streams decoded by the tool's decode path: the same records
// whatever the block sizes, the same records with garbage between the
// frames, one record for every frame sent, and the values that were sent.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "tests/tools/tool_test_support.h"
#include "tools/decode_record.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::DecodeInBlocks;
using Testing::Lines;
using Testing::NumberAfter;
using Tool::DecodeSettings;
using Bytes = std::vector<std::uint8_t>;

// Two epochs a second of trajectory 7.
Sim::SimStream Stream(Sim::Family family, double seconds, double noise) {
  return Testing::Simulate(family, seconds, noise, 7, 2.0);
}

DecodeSettings Board(int board) {
  DecodeSettings settings;
  settings.board = board;
  settings.parse_nmea = true;
  return settings;
}

std::string Decode(const Bytes& bytes, const DecodeSettings& settings, Tool::DecodeStats* stats = nullptr) {
  return DecodeInBlocks(bytes, settings, [] { return std::size_t{4096}; }, stats);
}

std::size_t CountFrames(const Sim::SimStream& stream, const std::string& prefix) {
  std::size_t n = 0;
  for (const auto& frame : stream.frames)
    if (std::string(frame.begin(), frame.end()).compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

bool Has(const std::string& line, std::uint32_t flag) {
  return (static_cast<std::uint32_t>(NumberAfter(line, "flags")) & flag) != 0;
}

std::size_t CountFlag(const std::vector<std::string>& lines, std::uint32_t flag) {
  std::size_t n = 0;
  for (const std::string& line : lines) n += Has(line, flag) ? 1 : 0;
  return n;
}

// Block sizes: one byte, random up to 5000, and everything at once (which
// the session slices itself) must all give the reference records.
void ExpectBlockSizeInvariant(const Bytes& bytes, const DecodeSettings& settings, const std::string& reference) {
  EXPECT_EQ(DecodeInBlocks(bytes, settings, [] { return std::size_t{1}; }), reference);
  std::mt19937 random(99);
  std::uniform_int_distribution<std::size_t> size(1, 5000);
  EXPECT_EQ(DecodeInBlocks(bytes, settings, [&] { return size(random); }), reference);
  EXPECT_EQ(DecodeInBlocks(bytes, settings, [&] { return bytes.size(); }), reference);
}

// The family's stream decoded clean and with garbage bursts (bad frames
// among them) before the frames, each whatever the blocks: the same
// records; returns them.
std::vector<std::string> RoundTrip(Sim::Family family, int board, double seconds) {
  const Sim::SimStream clean = Stream(family, seconds, 0.0), noisy = Stream(family, seconds, 0.6);
  EXPECT_GT(noisy.bad_frames, 3u);
  EXPECT_EQ(noisy.frames, clean.frames);
  const std::string reference = Decode(clean.bytes, Board(board));
  ExpectBlockSizeInvariant(clean.bytes, Board(board), reference);
  ExpectBlockSizeInvariant(noisy.bytes, Board(board), reference);
  return Lines(reference);
}

TEST(DecodeRoundTrip, NmeaEverySentenceWithTheValuesSentWhateverTheBlocksAndNoise) {
  const std::vector<std::string> lines = RoundTrip(Sim::Family::kNmea, 6, 20);
  const Sim::SimStream stream = Stream(Sim::Family::kNmea, 20, 0.0);
  // Handed over at once, it would overflow the 20480-byte receive buffer
  // had the session not sliced it.
  ASSERT_GT(stream.bytes.size(), 20480u);
  // Every GGA, RMC and GSV group, the last epoch's included (they wait for
  // look-ahead until the end-of-input padding).
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kGga), CountFrames(stream, "$GPGGA"));
  EXPECT_EQ(CountFlag(lines, 0x2000), CountFrames(stream, "$GPRMC"));
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kSatsSystem3), CountFrames(stream, "$GPGGA"));
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kDop), CountFrames(stream, "$GPGSA"));

  const Sim::Trajectory trajectory(7);
  std::size_t epoch = 0;
  for (const std::string& line : lines) {
    if (!Has(line, Tool::Flag::kGga)) continue;
    const Sim::TrajectoryEpoch e = trajectory.At(epoch++ / 2.0);
    EXPECT_NEAR(NumberAfter(line, "lat"), e.latitude_deg, 1e-8) << line;
    EXPECT_NEAR(NumberAfter(line, "lon"), e.longitude_deg, 1e-8) << line;
    EXPECT_NEAR(NumberAfter(line, "height"), e.height_m, 1.1e-3) << line;
  }
  // --quiet prints nothing but counts the records that JSON prints.
  DecodeSettings quiet = Board(6);
  quiet.mode = Tool::OutputMode::kQuiet;
  Tool::DecodeStats stats;
  EXPECT_EQ(Decode(stream.bytes, quiet, &stats), "");
  EXPECT_EQ(stats.callbacks, lines.size());
}

TEST(DecodeRoundTrip, NovAtelEveryLogWhateverTheBlocksAndNoise) {
  const std::vector<std::string> lines = RoundTrip(Sim::Family::kNovAtel, 2, 10);
  const std::size_t epochs = 20;
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kObservations), epochs);  // RANGECMP
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kDop), 2 * epochs);       // PSRDOP and GPGSA
  EXPECT_EQ(CountFlag(lines, Tool::Flag::kGga), epochs);           // GPGGA
  // One RAWEPHEM per GPS satellite at the start, each for its own PRN.
  std::vector<int> ephemeris_sats;
  for (const std::string& line : lines)
    if (Has(line, Tool::Flag::kEphemeris)) ephemeris_sats.push_back(static_cast<int>(NumberAfter(line, "sat")));
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
    SCOPED_TRACE(capture.name);
    const std::string text = Testing::ReadFile(path);
    const Bytes bytes(text.begin(), text.end());
    const std::string reference = Decode(bytes, Board(capture.board));
    EXPECT_FALSE(reference.empty());
    ExpectBlockSizeInvariant(bytes, Board(capture.board), reference);
  }
  if (found == 0) GTEST_SKIP() << "no shared captures";
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
