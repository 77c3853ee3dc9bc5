// Shared NMEA decoding: the frame step, field splitting, each handler's
// values and the change bits of an epoch; the NMEA-only adapters (kinds 5
// and 6) that use it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board_test_support.h"
#include "boards/nmea/nmea_frame.h"
#include "boards/nmea/nmea_sentence.h"
#include "tools/sim/nmea_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;
constexpr double kArcMin = 0.0002908882086657216;
constexpr std::uint32_t kFullEpoch = 0x1000 | 0x20000 | 0x800000 | 0x1000000 | 0x20000000 | 0x10000000;

class NmeaDecoderTest : public ::testing::Test {
 protected:
  bool Feed(const std::string& text) { return b.Feed(text); }
  // Complete sentences, one frame each; the flags of the last.
  std::uint32_t FeedAll(const std::string& text) {
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      EXPECT_TRUE(Feed(text.substr(start, end - start + 1)));
    }
    return d.msg_flags;
  }
  U Time() const { return {d.year, d.month, d.day, d.hour, d.minute}; }

  Board b{CreateNmeaOnlyAdapter(6)};
  BoardDecoder& d = b.decoder();
};

// Positions, hemispheres, heights, empty coordinates and the raw text are
// compared with the real logs; here the age (empty: -1), the solution code
// and lower-case hemisphere letters.
TEST_F(NmeaDecoderTest, GgaAgeSolutionCodeAndLowerCaseHemispheres) {
  Feed("$GPGGA,123519.25,3110.4906,N,12118.8685,E,4,12,0.9,545.4,M,46.9,M,1.5,0000*48\r\n");
  const double lat = 31 * kDeg + 10.4906 * kArcMin, lon = 121 * kDeg + 18.8685 * kArcMin;
  EXPECT_EQ((D{d.latitude, d.longitude, d.diff_age, 1.0 * d.solution_code, 1.0 * d.sats_used}),
            (D{lat, lon, 1.5, 11, 12}));
  Feed("$GPGGA,123519.25,3110.4906,s,12118.8685,w,0,12,0.9,545.4,M,,M,,*7C\r\n");
  EXPECT_EQ((D{d.latitude, d.longitude, d.diff_age, 1.0 * d.solution_code}), (D{-lat, -lon, -1.0, 3}));
  Feed("$GPGGA,123519.25,3110.4906,n,12118.8685,e,1,12,0.9,545.4,M,,M,,*72\r\n");
  EXPECT_EQ((D{d.latitude, d.longitude}), (D{lat, lon}));
  // Empty coordinates and altitude keep the last ones instead of zeroing
  // them: a receiver that drops a fix for one epoch loses no position.
  Feed("$GPGGA,123520.00,,N,,E,1,12,0.9,,M,,M,,*61\r\n");
  EXPECT_EQ((D{d.latitude, d.longitude, d.height}), (D{lat, lon, 545.4}));
}

TEST_F(NmeaDecoderTest, TimeZoneShiftsTheHourWithoutWrapAndRmcGivesTheDate) {
  d.time_zone = 8;
  EXPECT_EQ(FeedAll("$GPRMC,081836.75,A,3751.65,S,14507.36,E,12.5,90.0,040326,,,A*48\r\n"), 0x2000u);
  EXPECT_EQ(Time(), (U{2026, 3, 4, 16, 18}));
  EXPECT_EQ((D{d.second, d.speed_knots, d.course}), (D{36.75, 12.5, 90 * kDeg}));
  Feed("$GPGGA,230000.00,3110.4906,N,12118.8685,E,1,08,1.0,10.0,M,0.0,M,,*65\r\n");
  EXPECT_EQ(Time(), (U{2026, 3, 4, 31, 0}));
  // An RMC time of six characters or less and a date under three are ignored.
  Feed("$GPRMC,101010,V,,,,,,,12,,,N*51\r\n");
  EXPECT_EQ(Time(), (U{2026, 3, 4, 31, 0}));
  d.time_zone = 2;
  Feed("$GPZDA,213121.000,07,04,2016,00,00*52\r\n");
  EXPECT_EQ(Time(), (U{2016, 4, 7, 23, 31}));
}

TEST_F(NmeaDecoderTest, GstPrecisionAndGsaDop) {
  d.parse_nmea = 1;
  EXPECT_EQ(FeedAll("$GPGST,213121.000,16.1,22.2,10.2,2.0,3.0,4.0,1.4*52\r\n"), 0u);
  EXPECT_EQ((D{d.rms, d.sigma_lat, d.sigma_lon, d.sigma_vertical, d.sigma_horizontal}),
            (D{16.1, 3.0, 4.0, 1.4, 5.0}));
  d.tdop = d.gdop = 9;
  EXPECT_EQ(FeedAll("$GNGSA,A,3,13,16,,15,,,,,,,,32,1.05,0.64,0.83,1*0C\r\n"), 0x80000000u);
  EXPECT_EQ((U{d.fix_mode, d.fix_type}), (U{'A', 3}));
  EXPECT_EQ(U(d.used_prn, d.used_prn + 12), (U{13, 16, 0, 15, 0, 0, 0, 0, 0, 0, 0, 32}));
  EXPECT_EQ((D{d.pdop, d.hdop, d.vdop, d.tdop, d.gdop}), (D{1.05, 0.64, 0.83, 0, 0}));
  // NMEA positions off: no DOP bit. (The DOP values and empty fields keeping
  // them are compared with the real logs.)
  d.parse_nmea = 0;
  EXPECT_EQ(FeedAll("$GPGSA,A,1,,,,,,,,,,,,,,,*1E\r\n"), 0u);
}

TEST_F(NmeaDecoderTest, EpochFlagsFollowParseNmeaAndSentenceOrder) {
  Sim::NmeaFix fix;
  fix.latitude_deg = 45.5;
  const std::string gga = Sim::NmeaGga(fix), rmc = Sim::NmeaRmc(fix), gst = Sim::NmeaGst(fix);
  EXPECT_EQ(FeedAll(gst + rmc + gga), 0x1000u);  // parse_nmea clear: only the GGA text bit
  d.parse_nmea = 1;
  EXPECT_EQ(FeedAll(gst + rmc + gga), kFullEpoch);
  EXPECT_EQ(FeedAll(gga), 0x20021000u);  // the pair was completed: nothing seen since
  EXPECT_EQ(FeedAll(gst + gga), 0x20821000u);
  EXPECT_EQ(FeedAll(rmc + gga), kFullEpoch);  // GST was kept from before
}

TEST_F(NmeaDecoderTest, FrameStepWaitsForTheEndAndDropsOverlongFrames) {
  const std::string body = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
  EXPECT_FALSE(Feed(body));  // neither '*' nor CR LF yet: kept
  EXPECT_EQ((U{b.frame().length, d.gga_length}), (U{static_cast<std::int64_t>(body.size()), 0}));
  EXPECT_TRUE(Feed("*47\r\n"));
  EXPECT_EQ((U{b.frame().length, d.msg_flags}), (U{0, 0x1000}));

  EXPECT_TRUE(Feed("$GPZDA,000000,01,02,2030\r\n") && d.year == 2030u);  // a CR ends it without '*'
  EXPECT_TRUE(!Feed("$GPG") && b.frame().length == 4u);                  // four bytes: kept
  b.frame().Clear();

  std::string longest = "$GPGGA," + std::string(292, 'A') + "*";
  EXPECT_TRUE(Feed(longest));  // 300 bytes: still a sentence
  EXPECT_TRUE(!Feed(longest + "\r") && b.frame().length == 0u);  // 301 bytes: dropped

  d.msg_flags = 77;
  // Unknown identifier: consumed, nothing raised.
  EXPECT_TRUE(Feed("$GPXYZ,1,2,3*50\r\n") && d.msg_flags == 0 && b.frame().length == 0);
}

TEST_F(NmeaDecoderTest, SentenceCodesAndDispatchResults) {
  // Every identifier of the table.
  const std::pair<const char*, int> kCodes[] = {{"GPGGA", 25}, {"GPGSA", 29}, {"GPGST", 30}, {"GPGSV", 31},
                                                {"GPRMC", 33}, {"GPZDA", 35}, {"GLGSV", 44}, {"GNGGA", 51},
                                                {"GNGLL", 52}, {"GNGSA", 55}, {"GNRMC", 59}, {"BDGSV", 128}};
  const auto code = [](const char* id, unsigned n) {
    return NmeaSentenceCode(reinterpret_cast<const unsigned char*>(id), n);
  };
  for (const auto& c : kCodes) {
    EXPECT_EQ(code(c.first, 5), c.second);
    EXPECT_TRUE(d.DecodeSentence(c.second, (std::string("$") + c.first + ",*00").c_str(), 10)) << c.first;
  }
  // Known types with another talker, and the reverse.
  EXPECT_EQ((U{code("GPGGA", 4), code("GNGSV", 5), code("GLGGA", 5), code("BDRMC", 5), code("GPGLL", 5),
               code("GNZDA", 5), code("GNGST", 5), code("GPGGB", 5)}),
            (U{-1, -1, -1, -1, -1, -1, -1, -1}));
  EXPECT_FALSE(d.DecodeSentence(-1, "$GPVTG,*7E", 10) || d.DecodeSentence(27, "$GPGGA,*7A", 10) ||
               d.DecodeSentence(25, nullptr, 10) || d.DecodeSentence(25, "$GPGGA", 0));
}

// ---------------------------------------------------------------- GSV

// One GSV sentence with `sats` satellites numbered from `first_prn`.
std::string Gsv(const std::string& talker, int total, int number, int in_view, int first_prn, int sats) {
  std::string body = talker + "GSV," + std::to_string(total) + "," + std::to_string(number) + "," +
                     std::to_string(in_view);
  for (int i = 0; i < sats; ++i) body += "," + std::to_string(first_prn + i) + ",45,1" + std::to_string(i) + "0,40";
  return Sim::NmeaWrap(body);
}

// The tables' values across a group's messages are compared with the real
// logs; here the usable mark (elevation above 13, SNR above 30, an azimuth),
// an untracked satellite and a held group.
TEST_F(NmeaDecoderTest, GsvUsableMarkingAndHeldGroups) {
  std::vector<Sim::NmeaSatellite> sats;
  for (int i = 0; i < 10; ++i) sats.push_back({i + 1, 10 + 2 * i, i == 9 ? 0 : 100 + i, 25 + 2 * i});
  sats[3].snr = -1;  // not tracked: empty field
  EXPECT_EQ(FeedAll(Sim::NmeaGsv("GP", sats)), 0x8000000u);
  const SatTable& t = d.tables[kTableGps];
  U status;
  for (const SATLLITE_STR& g : t.sats) status.push_back(g.status);
  EXPECT_EQ(U(status.begin(), status.begin() + 11), (U{0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0}));
  EXPECT_EQ((D{1.0 * t.count, t.sats[3].snr}), (D{10, 0.0}));
  // A new group starts from a cleared table; held, it is only noted.
  d.gps_sat_hold = 1;
  EXPECT_EQ(FeedAll(Gsv("GP", 1, 1, 2, 20, 2)), 0u);
  EXPECT_EQ((U{t.count, t.sats[2].prn, t.sats[0].status, d.gps_sat_bits}), (U{2, 0, 0, 0x8}));
}

TEST_F(NmeaDecoderTest, GsvCountsAndNumbersStayInsideTheTable) {
  const SatTable& t = d.tables[kTableGps];
  for (int m = 1; m <= 10; ++m) FeedAll(Gsv("GP", 10, m, 40, 4 * m - 3, 4));  // 40 in view
  EXPECT_EQ((U{t.count, t.sats[31].prn, d.msg_flags}), (U{32, 32, 0x8000000}));
  FeedAll(Gsv("GP", 1, 1, 32, 1, 4));  // claims 32, holds 4: the rest read as empty
  EXPECT_EQ((U{t.count, t.sats[3].prn, t.sats[31].prn}), (U{32, 4, 0}));
  // A number above the total fills nothing but ends the group.
  EXPECT_EQ(FeedAll(Gsv("GP", 3, 9, 12, 77, 4)), 0x8000000u);
  EXPECT_EQ((U{t.count, t.sats[0].prn}), (U{12, 1}));
  FeedAll(Sim::NmeaWrap("GPGSV,99999999999,99999999999,99999999999,1,2,3,4"));
  EXPECT_EQ(t.count, 32u);
  FeedAll(Sim::NmeaWrap("GPGSV,-2,-1,-7,1,2,3,4"));
  EXPECT_EQ(t.count, 0u);
  FeedAll(Sim::NmeaWrap("GPGSV,2,0,5,77,2,3,4"));  // message 0 fills nothing
  EXPECT_EQ((U{t.count, t.sats[0].prn}), (U{5, 1}));
  FeedAll(Sim::NmeaWrap("GPGSV,1,1,03,1,2"));  // fewer than seven fields: ignored
  EXPECT_EQ(t.count, 5u);
}

// GLONASS numbering and the BeiDou table are compared with the real logs;
// here the hold flags.
TEST_F(NmeaDecoderTest, GlonassGsvHeldAndBeidouAlwaysReports) {
  const SatTable& t = d.tables[kTableGlonass];
  d.glo_sat_hold = d.bds_sat_hold = 1;
  EXPECT_EQ(FeedAll(Gsv("GL", 1, 1, 1, 70, 1)), 0u);
  EXPECT_EQ((U{d.glo_sat_bits, t.sats[0].prn}), (U{0x10, 43}));
  // The BeiDou hold flag belongs to board decoders that replace this handler.
  EXPECT_EQ(FeedAll(Gsv("BD", 1, 1, 2, 201, 2)), 0x200000u);
  EXPECT_EQ((U{d.tables[kTableBeidou].count, d.bds_sat_bits}), (U{2, 0}));
}

// ---------------------------------------------------------------- adapters

TEST(NmeaOnlyAdapterTest, FactoryKindsAndSilentCommands) {
  for (std::uint32_t kind : {0u, 4u, 7u, 0xFFFFFFFFu}) EXPECT_EQ(CreateNmeaOnlyAdapter(kind), nullptr);
  // A board the library only listens to is sent no commands.
  Board b(CreateNmeaOnlyAdapter(5));
  CommandList cmds(1);  // one record of the caller's that must stay alone
  b.adapter->commands->Init(cmds);
  b.adapter->StartBase(cmds);
  b.adapter->SetNmeaList(cmds, {{0x1, GNSS_FRQ_1HZ}});
  b.adapter->PassCom(cmds, 2);
  EXPECT_EQ(cmds.size(), 1u);
}

TEST(NmeaOnlyAdapterTest, TalkerSetsAndTheDecodeMessageShortCutOfKindFive) {
  const std::string gn = "$GNGGA,003956.00,4552.65403,S,17030.00668,E,1,12,0.64,14.2,M,1.8,M,,*56\r\n";
  const std::string bd = "$BDGSV,1,1,01,201,45,100,40*6E\r\n";
  // Kind 5 discards GN and BD sentences, reported as handled; bytes that
  // start no sentence are discarded, two bytes are too short to classify.
  Board first(CreateNmeaOnlyAdapter(5)), second(CreateNmeaOnlyAdapter(6));
  for (Board* b : {&first, &second}) {
    const std::int64_t six = b == &second;
    const BoardDecoder& d = b->decoder();
    EXPECT_TRUE(b->Feed(gn) && b->Feed(bd) && b->Feed("$GLGSV,1,1,01,65,53,144,40*54\r\n") &&
                b->Feed(std::string("\xD3\x00\x13garbage", 10)));
    EXPECT_EQ((U{b->frame().length, d.gga_length, d.tables[kTableBeidou].count, d.tables[kTableGlonass].sats[0].prn}),
              (U{0, six * static_cast<std::int64_t>(gn.size()), six, 38}));
    EXPECT_TRUE(!b->Feed("$G") && b->frame().length == 2u);
  }
  const unsigned char byte = 1;
  first.decoder().msg_flags = second.decoder().msg_flags = 5;
  EXPECT_TRUE(first.adapter->DecodeMessage(nullptr, 0, 0));  // never reaches the decoder
  EXPECT_FALSE(second.adapter->DecodeMessage(nullptr, 0, 1));
  EXPECT_FALSE(second.adapter->DecodeMessage(&byte, 0, 0));
  EXPECT_EQ(first.decoder().msg_flags + second.decoder().msg_flags, 10u);
  EXPECT_TRUE(second.adapter->DecodeMessage(&byte, 9, 1));
  EXPECT_EQ(second.decoder().msg_flags, 0u);
}

// ---------------------------------------------------------------- splitter

TEST(NmeaSentenceTest, FieldsEndAtSeparatorsChecksumAndLineEndAndStayBounded) {
  const std::string text = "$GPGSV,1,,3*7B,9\r\nrest";
  NmeaSentence s(text.data(), static_cast<unsigned>(text.size()));
  EXPECT_EQ((std::vector<std::string>{s.Field(0), s.Field(1), s.Field(2), s.Field(3), s.Field(4), s.Field(5)}),
            (std::vector<std::string>{"$GPGSV", "1", "", "3", "9", ""}));
  EXPECT_EQ((U{s.CommaCount(), s.FieldLength(3), s.Int(99)}), (U{4, 1, 0}));
  EXPECT_EQ(s.Text(), text.data());
  const std::string commas(400, ',');
  s.Assign(commas.data(), static_cast<unsigned>(commas.size()));
  EXPECT_EQ((U{s.Length(), s.CommaCount(), s.FieldCount()}), (U{300, 300, NmeaSentence::kMaxFields}));
  s.Assign(nullptr, 5);
  EXPECT_EQ((U{s.Length(), s.FieldCount()}), (U{0, 1}));
}

// Random texts of the bytes that matter to the splitter, against the rule
// written out: fields between commas, each value ending at its first '*',
// CR, LF or NUL.
TEST(NmeaSentenceTest, SplitsAnyTextByTheRule) {
  std::mt19937 rng(5);
  const std::string kBytes("$,,,,**\r\n\0GP1.- ", 17);
  for (int round = 0; round < 4000; ++round) {
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = kBytes[rng() % kBytes.size()];
    const NmeaSentence s(text.data(), static_cast<unsigned>(text.size()));
    std::vector<std::string> want(1);
    for (char c : text) {
      if (c == ',') {
        want.emplace_back();
      } else {
        want.back() += c;
      }
    }
    ASSERT_EQ(s.CommaCount(), want.size() - 1) << text;
    for (unsigned k = 0; k < want.size() && k < NmeaSentence::kMaxFields; ++k) {
      const std::string value = want[k].substr(0, want[k].find_first_of(std::string("*\r\n\0", 4)));
      ASSERT_EQ(std::string(s.Field(k)), value) << text << " field " << k;
      ASSERT_EQ(s.FieldLength(k), value.size()) << text << " field " << k;
    }
  }
}

TEST(NmeaSentenceTest, NumbersFollowAtoiAndAtof) {
  EXPECT_EQ((std::vector<int>{NmeaAtoi("12abc"), NmeaAtoi(" \t-7"), NmeaAtoi("+"), NmeaAtoi("99999999999"),
                              NmeaAtoi("-99999999999"), NmeaAtoiN("23595", 2), NmeaAtoiN("2", 3)}),
            (std::vector<int>{12, -7, 0, 2147483647, -2147483647 - 1, 23, 2}));
  EXPECT_EQ(NmeaAtofN("59.123", 5), 59.12);
  for (const char* t : {"", "-", ".", "-.", "1.", "-0", "1e3", " 2.5", "0x10", "inf", "1.5x",
                        "12345678901234567890.5", "0.000000000000000123"}) {
    // atof is strtod(t, nullptr); the latter is the C99 parser on every
    // runtime (Windows' own atof reads neither hexadecimal nor "inf").
    const double want = std::strtod(t, nullptr), got = NmeaAtof(t);
    if (std::strpbrk(t, "0123456789") == nullptr && want == 0) {
      EXPECT_EQ(got, 0.0) << '"' << t << '"';  // no number; MinGW's strtod says -0 for "-."
      continue;
    }
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << '"' << t << '"';
  }
  // The fast path must round exactly like strtod for every plain decimal.
  std::mt19937_64 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const int digits = 1 + static_cast<int>(rng() % 15);
    std::string t = (rng() & 1) ? "-" : "";
    for (int k = 0; k < digits; ++k) t += static_cast<char>('0' + rng() % 10);
    t.insert(t.size() - rng() % (digits + 1), ".");
    ASSERT_EQ(NmeaAtof(t.c_str()), std::strtod(t.c_str(), nullptr)) << t;
  }
}

// Fields are read in place, with their own fast paths: short digit runs,
// digits around a point, and every other text through the general rules.
TEST(NmeaSentenceTest, FieldNumbersMatchStrtodAndStrtol) {
  std::mt19937_64 rng(3);
  const char* const kOdd[] = {"-", ".", "-.", "+5", "-0", "1e3", " 7", "12abc", "0x1A", "99999999999",
                              "-99999999999", "1234567890", "4404.1292190", "00000000000000001.5"};
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> fields;
    std::string text = "$GPXXX";
    for (int k = 0; k < 8; ++k) {
      std::string f = (rng() % 4 == 0) ? "-" : "";
      const int digits = 1 + static_cast<int>(rng() % 18);
      for (int d = 0; d < digits; ++d) f += static_cast<char>('0' + rng() % 10);
      if (rng() % 2) f.insert(f.size() - rng() % (digits + 1), ".");
      if (rng() % 8 == 0) f = kOdd[rng() % (sizeof kOdd / sizeof kOdd[0])];
      fields.push_back(f);
      text += "," + f;
    }
    text += "*00\r\n";
    const NmeaSentence s(text.data(), static_cast<unsigned>(text.size()));
    for (unsigned k = 0; k < fields.size(); ++k) {
      const char* f = fields[k].c_str();
      const double want = std::strpbrk(f, "0123456789") == nullptr ? 0.0 : std::strtod(f, nullptr);
      const double got = s.Double(k + 1);
      ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << f;
      const long long whole = std::strtoll(f, nullptr, 10);
      ASSERT_EQ(s.Int(k + 1), whole > INT_MAX ? INT_MAX : whole < INT_MIN ? INT_MIN : whole) << f;
    }
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
