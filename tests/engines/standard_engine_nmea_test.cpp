// Real NMEA logs through Em_Gnss with the NMEA-only boards: every message
// is checked against the sentence fields, decoded here independently, and
// the messages must not depend on how the bytes are cut into blocks.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/nmea_wire.h"
#include "support/test_adapter.h"
#include "support/test_paths.h"

namespace Kestrel {
namespace KsParse {
namespace {

const char* const kLogs[] = {"skytraq-dgps.nmea", "telit-he910.nmea", "ublox-zed-f9p-nmea.nmea"};
constexpr double kDegree = 3.14159265358979323846 / 180.0;

// The change bit that tells which sentence a message came from.
constexpr std::uint32_t kGga = 0x1000;
constexpr std::uint32_t kRmc = 0x2000;
constexpr std::uint32_t kDop = 0x80000000u;
constexpr std::uint32_t kGpsSats = 0x8000000;
constexpr std::uint32_t kGloSats = 0x100000;
constexpr std::uint32_t kBdsSats = 0x200000;
constexpr std::uint32_t kSentenceBits = kGga | kRmc | kDop | kGpsSats | kGloSats | kBdsSats;
// Bits a GGA raises when NMEA positions are switched on.
constexpr std::uint32_t kGgaPosition = kGga | 0x20000 | 0x20000000;

// Blank lines after the log, so that its last sentences are examined too.
const std::string kTail(306, '\n');

// Everything the queries answer after one message.
struct Snapshot {
  Msg_Type kind;
  unsigned flags;
  POS_INFO pos;
  Time_Str time;
  Dops dops;
  Precisions precision;
  double speed;
  double course;
  unsigned counts[5];
  SATLLITE_STR sats[5][32];
  unsigned char gga[2048];
  unsigned gga_length;
  SAT_USE use;
  int systems;
  unsigned long solutions;
  BASEINFO base;
  unsigned elev_mask;

  // Zeroed whole, padding included, so that two snapshots compare as bytes.
  Snapshot() { std::memset(static_cast<void*>(this), 0, sizeof *this); }
  std::string Bytes() const { return std::string(reinterpret_cast<const char*>(this), sizeof *this); }
};

struct Receiver {
  explicit Receiver(MAINBD_OEM_TYPE board) : gnss(GNSS_MNFCTR_OEM_BOARD, board) {
    const _CALLBACKS_RECEIVER callbacks = {&Receiver::OnMessage, nullptr};
    gnss.Reg_Callbacks(&callbacks, this);
    gnss.Set_TimeZone(0);
    gnss.Set_GNSS_ParseNmea(true);
  }

  static void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
    Receiver& r = *static_cast<Receiver*>(const_cast<void*>(context));
    r.messages.emplace_back();
    Snapshot& s = r.messages.back();
    Em_Gnss& g = r.gnss;
    s.kind = kind;
    s.flags = value;
    g.Get_Gnss_Pos(&s.pos);
    g.Get_Gnss_Time(&s.time);
    g.Get_Gnss_Dops(&s.dops);
    g.Get_Gnss_Precision(&s.precision);
    g.Get_Gnss_Gprmc(s.speed, s.course);
    for (int system = 1; system <= 5; ++system)
      g.Get_Gnss_SatInfo(system, &s.counts[system - 1], s.sats[system - 1]);
    g.Get_Gnss_Gpgga(s.gga, &s.gga_length);
    g.Get_Gnss_SatUse(0, &s.use);
    g.Get_Gnss_SatTypeNum(s.systems);
    s.solutions = g.GetInfo_Gnss_Solutions();
    g.Get_Gnss_Baseinfo(s.base);
    s.elev_mask = g.Get_Gnss_ElevMask();
  }

  // Feeds blocks of the given sizes (the last one repeated), with one
  // ParseData call after each, and more calls while they consume bytes.
  void Feed(const std::string& stream, const std::vector<std::size_t>& sizes) {
    std::size_t pos = 0;
    for (std::size_t i = 0; pos < stream.size(); ++i) {
      const std::size_t n = std::min(sizes[std::min(i, sizes.size() - 1)], stream.size() - pos);
      std::vector<unsigned char> block(stream.begin() + pos, stream.begin() + pos + n);
      gnss.RcvData(block.data(), static_cast<unsigned>(n));
      pos += n;
      for (int mark = -1; mark != Mark();) {
        mark = Mark();
        gnss.ParseData();
      }
    }
  }
  int Mark() { return EmGnssTestAccess::Engine(gnss)->rx->Mark(); }

  Em_Gnss gnss;
  std::vector<Snapshot> messages;
};

// ------------------------------------------------------------------------
// The sentence fields decoded here, independently of the library.

std::vector<std::string> Fields(const std::string& sentence) {
  std::vector<std::string> fields(1);
  for (char c : sentence.substr(0, sentence.find('*'))) {
    if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

struct Sat {
  int prn = 0;
  int elevation = 0;
  int azimuth = 0;
  double snr = 0;
};

// What the queries must answer after the sentences applied so far.
struct Expected {
  double lat = 0, lon = 0, height = 0, diff_age = -1;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  double pdop = 0, hdop = 0, vdop = 0;
  double rms = 0, sigma_lat = 0, sigma_lon = 0, sigma_alt = 0;
  double speed = 0, course = 0;
  Sat sats[3][32];
  unsigned counts[3] = {};
  std::string gga;

  // Applies one sentence; the bit of the message it raises, or 0.
  std::uint32_t Apply(const std::string& sentence) {
    f = Fields(sentence);
    const std::string id = f[0].substr(1);
    if (id == "GPGGA" || id == "GNGGA") {
      if (F(1).size() >= 2) Time(F(1));
      if (F(2).size() >= 2) lat = Angle(F(2), 2) * (F(3).empty() || F(3) == "N" ? 1 : -1);
      if (F(4).size() >= 3) lon = Angle(F(4), 3) * (F(5).empty() || F(5) == "E" ? 1 : -1);
      if (!F(9).empty()) height = Num(9) + Num(11);
      diff_age = F(13).empty() ? -1.0 : Num(13);
      gga = sentence + "\r\n";
      return kGga;
    }
    if (id == "GPRMC" || id == "GNRMC") {
      if (F(1).size() > 6) Time(F(1));
      if (!F(7).empty()) speed = Num(7);
      if (!F(8).empty()) course = Num(8) * kDegree;
      if (F(9).size() >= 3) {
        const int date = std::atoi(F(9).c_str());
        day = date / 10000;
        month = date / 100 % 100;
        year = 2000 + date % 100;
      }
      return kRmc;
    }
    if (id == "GPGSA" || id == "GNGSA") {
      if (!F(15).empty()) pdop = Num(15);
      if (!F(16).empty()) hdop = Num(16);
      if (!F(17).empty()) vdop = Num(17);
      return kDop;
    }
    if (id == "GPGST") {
      if (!F(2).empty()) rms = Num(2);
      if (!F(6).empty()) sigma_lat = Num(6);
      if (!F(7).empty()) sigma_lon = Num(7);
      if (!F(8).empty()) sigma_alt = Num(8);
      return 0;
    }
    if (id == "GPZDA") {
      if (F(1).size() >= 2) Time(F(1));
      if (!F(2).empty()) day = std::atoi(F(2).c_str());
      if (!F(3).empty()) month = std::atoi(F(3).c_str());
      if (!F(4).empty()) year = std::atoi(F(4).c_str());
      return 0;
    }
    if (id == "GPGSV") return Gsv(0, kGpsSats);
    if (id == "GLGSV") return Gsv(1, kGloSats);
    if (id == "BDGSV") return Gsv(2, kBdsSats);
    return 0;
  }

 private:
  const std::string& F(std::size_t k) const {
    static const std::string none;
    return k < f.size() ? f[k] : none;
  }
  double Num(std::size_t k) const { return std::atof(F(k).c_str()); }
  static double Angle(const std::string& text, std::size_t degree_digits) {
    return (std::atoi(text.substr(0, degree_digits).c_str()) +
            std::atof(text.substr(degree_digits).c_str()) / 60.0) * kDegree;
  }
  void Time(const std::string& t) {
    hour = std::atoi(t.substr(0, 2).c_str());
    minute = t.size() > 2 ? std::atoi(t.substr(2, 2).c_str()) : 0;
    second = t.size() > 4 ? std::atof(t.substr(4, 5).c_str()) : 0.0;
  }
  // Four satellites per sentence; the first of a group clears the table,
  // the last raises the message. GLONASS numbers 65-96 become 38-69.
  std::uint32_t Gsv(int system, std::uint32_t bit) {
    if (f.size() < 7) return 0;
    const int total = std::atoi(F(1).c_str());
    const int message = std::atoi(F(2).c_str());
    const int in_view = std::max(0, std::min(32, std::atoi(F(3).c_str())));
    if (message == 1) {
      for (Sat& s : sats[system]) s = Sat();
    }
    counts[system] = static_cast<unsigned>(in_view);
    const int first = std::atoi(F(4).c_str());
    if (system == 1 && (first < 65 || first > 96)) return 0;
    if (message >= 1 && message <= total) {
      const int end = std::min(32, message == total ? in_view : message * 4);
      for (int r = (message - 1) * 4, k = 4; r < end; ++r, k += 4)
        sats[system][r] = {std::atoi(F(k).c_str()), std::atoi(F(k + 1).c_str()),
                           std::atoi(F(k + 2).c_str()), Num(k + 3)};
    }
    if (message < total) return 0;
    if (system == 1) {
      for (unsigned r = 0; r < counts[1]; ++r) sats[1][r].prn -= 27;
    }
    return bit;
  }

  std::vector<std::string> f;
};

void ExpectAnswers(const Snapshot& s, const Expected& e) {
  EXPECT_EQ(s.kind, MSG_GNSS);
  EXPECT_NEAR(s.pos.latitude, e.lat, 1e-12);
  EXPECT_NEAR(s.pos.longitude, e.lon, 1e-12);
  EXPECT_NEAR(s.pos.height, e.height, 1e-9);
  EXPECT_EQ(s.pos.diff_age, e.diff_age);
  EXPECT_EQ(s.pos.year, e.year);
  EXPECT_EQ(s.pos.month, e.month);
  EXPECT_EQ(s.pos.day, e.day);
  EXPECT_EQ(s.pos.hour, e.hour);
  EXPECT_EQ(s.pos.minute, e.minute);
  EXPECT_NEAR(s.pos.second, e.second, 1e-9);
  EXPECT_EQ(s.time.hour, e.hour);
  EXPECT_NEAR(s.precision.hprec, std::hypot(e.sigma_lat, e.sigma_lon), 1e-9);
  EXPECT_NEAR(s.precision.vprec, e.sigma_alt, 1e-9);
  EXPECT_NEAR(s.precision.rms, e.rms, 1e-9);
  EXPECT_EQ(s.pos.hprec, s.precision.hprec);
  EXPECT_NEAR(s.dops.pdop, e.pdop, 1e-9);
  EXPECT_NEAR(s.dops.hdop, e.hdop, 1e-9);
  EXPECT_NEAR(s.dops.vdop, e.vdop, 1e-9);
  EXPECT_EQ(s.dops.tdop, 0.0);
  EXPECT_EQ(s.dops.gdop, 0.0);
  EXPECT_NEAR(s.speed, e.speed, 1e-9);
  EXPECT_NEAR(s.course, e.course, 1e-12);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.gga), s.gga_length), e.gga);
  for (int system = 0; system < 3; ++system) {
    ASSERT_EQ(s.counts[system], e.counts[system]) << "system " << system + 1;
    for (unsigned r = 0; r < e.counts[system]; ++r) {
      const SATLLITE_STR& got = s.sats[system][r];
      const Sat& want = e.sats[system][r];
      EXPECT_EQ(got.prn, want.prn);
      EXPECT_EQ(got.elevation, want.elevation);
      EXPECT_EQ(got.azimuth, want.azimuth);
      EXPECT_EQ(got.snr, static_cast<float>(want.snr));
    }
  }
  // Nothing else of the board is known.
  EXPECT_EQ(s.counts[3] + s.counts[4], 0u);
  EXPECT_EQ(s.base.x + s.base.y + s.base.z, 0.0);
  EXPECT_EQ(s.elev_mask, 0u);
}

bool TakenBy(MAINBD_OEM_TYPE board, const std::string& sentence) {
  const std::string talker = sentence.substr(1, 2);
  if (sentence[0] != '$') return false;
  if (talker == "GP" || talker == "GL") return true;
  return board == OEM_NMEA_SECOND && (talker == "GN" || talker == "BD");
}

class RealLogs : public ::testing::TestWithParam<MAINBD_OEM_TYPE> {};

TEST_P(RealLogs, EveryMessageMatchesItsSentence) {
  const MAINBD_OEM_TYPE board = GetParam();
  int logs = 0;
  for (const char* name : kLogs) {
    const std::string path = Testing::CapturePath(name);
    if (path.empty()) continue;
    ++logs;
    SCOPED_TRACE(name);
    const std::vector<std::string> sentences = Testing::NmeaLogSentences(Testing::ReadFile(path));
    Receiver receiver(board);
    receiver.Feed(Testing::NmeaWire(sentences) + kTail, {1460});

    Expected expected;
    std::size_t next = 0;
    for (const std::string& sentence : sentences) {
      if (!TakenBy(board, sentence)) continue;
      const std::uint32_t bit = expected.Apply(sentence);
      if (bit == 0) continue;
      SCOPED_TRACE(sentence);
      ASSERT_LT(next, receiver.messages.size());
      const Snapshot& got = receiver.messages[next++];
      EXPECT_EQ(got.flags & kSentenceBits, bit);
      if (bit == kGga) {
        EXPECT_EQ(got.flags & kGgaPosition, kGgaPosition);
      }
      ExpectAnswers(got, expected);
      if (HasFatalFailure() || HasFailure()) return;
    }
    EXPECT_EQ(next, receiver.messages.size());
  }
  if (logs == 0) GTEST_SKIP() << "no NMEA captures in ../shared/captures";
}

INSTANTIATE_TEST_SUITE_P(NmeaBoards, RealLogs, ::testing::Values(OEM_NMEA_FIRST, OEM_NMEA_SECOND));

TEST(RealLogsChunking, MessagesDoNotDependOnBlockSizes) {
  int logs = 0;
  for (const char* name : kLogs) {
    const std::string path = Testing::CapturePath(name);
    if (path.empty()) continue;
    ++logs;
    SCOPED_TRACE(name);
    // As much of the log as the receive buffer takes in one block.
    std::string stream;
    for (const std::string& s : Testing::NmeaLogSentences(Testing::ReadFile(path))) {
      if (stream.size() + s.size() + 2 + kTail.size() > 20480) break;
      stream += s + "\r\n";
    }
    stream += kTail;

    auto run = [&](const std::vector<std::size_t>& sizes) {
      Receiver receiver(OEM_NMEA_SECOND);
      receiver.Feed(stream, sizes);
      std::vector<std::string> seen;
      for (const Snapshot& s : receiver.messages) seen.push_back(s.Bytes());
      return seen;
    };
    const std::vector<std::string> whole = run({stream.size()});
    EXPECT_GT(whole.size(), 20u);
    EXPECT_TRUE(run({1}) == whole);
    std::mt19937 random(11);
    std::vector<std::size_t> sizes;
    for (std::size_t total = 0; total < stream.size(); total += sizes.back())
      sizes.push_back(1 + random() % 700);
    EXPECT_TRUE(run(sizes) == whole);
  }
  if (logs == 0) GTEST_SKIP() << "no NMEA captures in ../shared/captures";
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
