// Real NMEA logs through Em_Gnss with the NMEA-only boards: every message
// is checked against the sentence fields, decoded here independently, and
// the messages must not depend on how the bytes are cut into blocks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/nmea_wire.h"
#include "support/values.h"
#include "tests/engines/nmea_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::D;

const auto kLogs = Testing::NmeaCaptures(KSPARSE_SOURCE_DIR "/../shared/captures/");

// Change bits that tell which sentence a message came from.
constexpr std::uint32_t kGga = 0x1000, kRmc = 0x2000, kDop = 0x80000000u;
constexpr std::uint32_t kSats[3] = {0x8000000, 0x100000, 0x200000};  // GPS, GLONASS, BeiDou
constexpr std::uint32_t kSentenceBits = kGga | kRmc | kDop | kSats[0] | kSats[1] | kSats[2];

// Positions, DOP and satellite tables decoded from the sentence fields.
struct Expected {
  double lat = 0, lon = 0, height = 0, pdop = 0, hdop = 0, vdop = 0;
  SATLLITE_STR sats[3][32] = {};
  unsigned counts[3] = {};
  std::string gga;

  // Applies one sentence; returns the bit of the message it raises, or 0.
  std::uint32_t Apply(const std::string& sentence) {
    std::istringstream fields(sentence.substr(0, sentence.find('*')));
    f.clear();
    for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
    const std::string id = f[0].substr(1);
    if (id == "GPGGA" || id == "GNGGA") {
      if (F(2).size() >= 2) lat = Angle(F(2), 2) * (F(3) == "S" ? -1 : 1);
      if (F(4).size() >= 3) lon = Angle(F(4), 3) * (F(5) == "W" ? -1 : 1);
      if (!F(9).empty()) height = Num(9) + Num(11);  // altitude + geoid separation
      gga = sentence + "\r\n";
      return kGga;
    }
    if (id == "GPRMC" || id == "GNRMC") return kRmc;
    if (id == "GPGSA" || id == "GNGSA") {
      if (!F(15).empty()) pdop = Num(15);
      if (!F(16).empty()) hdop = Num(16);
      if (!F(17).empty()) vdop = Num(17);
      return kDop;
    }
    const int system = id == "GPGSV" ? 0 : id == "GLGSV" ? 1 : id == "BDGSV" ? 2 : -1;
    if (system < 0 || f.size() < 7) return 0;
    // Four satellites per sentence; the first of a group clears the table,
    // the last raises the message. GLONASS numbers 65-96 become 38-69.
    const int total = Int(1), message = Int(2), in_view = std::max(0, std::min(32, Int(3)));
    if (message == 1) std::memset(static_cast<void*>(sats[system]), 0, sizeof sats[system]);
    counts[system] = static_cast<unsigned>(in_view);
    if (system == 1 && (Int(4) < 65 || Int(4) > 96)) return 0;
    const int end = std::min(32, message == total ? in_view : message * 4);
    for (int r = (message - 1) * 4, k = 4; message <= total && r < end; ++r, k += 4) {
      sats[system][r].prn = Int(k) - (system == 1 ? 27 : 0);
      sats[system][r].elevation = Int(k + 1);
      sats[system][r].azimuth = static_cast<std::uint16_t>(Int(k + 2));
      sats[system][r].snr = static_cast<float>(Num(k + 3));
    }
    return message >= total ? kSats[system] : 0;
  }

 private:
  const std::string& F(std::size_t k) const {
    static const std::string none;
    return k < f.size() ? f[k] : none;
  }
  double Num(std::size_t k) const { return std::atof(F(k).c_str()); }
  int Int(std::size_t k) const { return std::atoi(F(k).c_str()); }
  static double Angle(const std::string& text, std::size_t degree_digits) {
    const double degrees = std::atoi(text.substr(0, degree_digits).c_str()) +
                           std::atof(text.substr(degree_digits).c_str()) / 60.0;
    return degrees * 3.14159265358979323846 / 180.0;
  }
  std::vector<std::string> f;
};

void ExpectAnswers(const Snapshot& s, const Expected& e) {
  Testing::ExpectNear(D{s.pos.latitude, s.pos.longitude, s.dops.pdop, s.dops.hdop, s.dops.vdop},
                      D{e.lat, e.lon, e.pdop, e.hdop, e.vdop}, 1e-12);
  EXPECT_NEAR(+s.pos.height, e.height, 1e-9);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.gga), s.gga_length), e.gga);
  for (int system = 0; system < 3; ++system) {
    ASSERT_EQ(s.counts[system], e.counts[system]) << "system " << system + 1;
    for (unsigned r = 0; r < e.counts[system]; ++r) {
      const SATLLITE_STR &got = s.sats[system][r], &want = e.sats[system][r];
      EXPECT_EQ((D{1.0 * got.prn, 1.0 * got.elevation, 1.0 * got.azimuth, got.snr}),
                (D{1.0 * want.prn, 1.0 * want.elevation, 1.0 * want.azimuth, want.snr}));
    }
  }
}

class RealLogs : public ::testing::TestWithParam<MAINBD_OEM_TYPE> {};

// Sentence by sentence in blocks of 1460 bytes, then the same messages byte
// by byte, in random blocks, and (as much of the log as the receive buffer
// takes) in one block.
TEST_P(RealLogs, EveryMessageMatchesItsSentenceWhateverTheBlocks) {
  const MAINBD_OEM_TYPE board = GetParam();
  const char* talkers = board == OEM_NMEA_FIRST ? "GPGL" : "GPGLGNBD";
  if (kLogs.empty()) GTEST_SKIP() << "no NMEA captures in ../shared/captures";
  auto run = [board](const std::string& stream, const std::vector<std::size_t>& sizes) {
    NmeaReceiver receiver(board);
    receiver.Feed(stream, sizes);
    return receiver.Seen();
  };
  for (const auto& [name, sentences] : kLogs) {
    SCOPED_TRACE(name);
    const std::string wire = Testing::NmeaWire(sentences) + kNmeaTail;
    NmeaReceiver receiver(board);
    receiver.Feed(wire, {1460});
    Expected expected;
    std::size_t next = 0;
    for (const std::string& sentence : sentences) {
      if (!IsNmeaStart(reinterpret_cast<const unsigned char*>(sentence.c_str()), talkers)) continue;
      const std::uint32_t bit = expected.Apply(sentence);
      if (bit == 0) continue;
      SCOPED_TRACE(sentence);
      ASSERT_LT(next, receiver.messages.size());
      const Snapshot& got = receiver.messages[next++];
      EXPECT_EQ(got.flags & kSentenceBits, bit);
      // With NMEA positions on, a GGA also reports a position and a solution.
      if (bit == kGga) {
        EXPECT_EQ(got.flags & 0x20020000u, 0x20020000u) << std::hex << got.flags;
      }
      ExpectAnswers(got, expected);
      if (HasFailure()) return;
    }
    EXPECT_EQ(next, receiver.messages.size());

    EXPECT_TRUE(run(wire, {1}) == receiver.Seen());
    std::mt19937 random(11);
    std::vector<std::size_t> sizes;
    for (std::size_t total = 0; total < wire.size(); total += sizes.back()) sizes.push_back(1 + random() % 700);
    EXPECT_TRUE(run(wire, sizes) == receiver.Seen());
    const std::size_t cut = wire.rfind("\r\n", RecvBuffer::kCapacity - kNmeaTail.size() - 2) + 2;
    const std::string head = wire.substr(0, cut) + kNmeaTail;
    EXPECT_TRUE(run(head, {head.size()}) == run(head, {1}));
  }
}

INSTANTIATE_TEST_SUITE_P(NmeaBoards, RealLogs, ::testing::Values(OEM_NMEA_FIRST, OEM_NMEA_SECOND));

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
