#include "engines/standard_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_adapter.h"
#include "tools/sim/nmea_sim.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Frames = std::vector<std::string>;

// "$<body>*hh\r\n", the body padded with commas to `length` bytes.
std::string Sentence(std::string body, std::size_t length = 0) {
  body.resize(std::max(body.size(), length > 6 ? length - 6 : 0), ',');
  return Sim::NmeaWrap(body);
}

std::string X(std::size_t n) { return std::string(n, 'x'); }  // starts no frame

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string NovAtelLog(unsigned header, unsigned body, char fill = 'n') {
  std::string log = std::string("\xAA\x44\x12", 3) + static_cast<char>(header) + "abcd" + Le16(body);
  return log + std::string(header > 10 ? header - 10 : 0, 'h') + std::string(body, fill) + "CRC!";
}

std::string Rtcm(unsigned payload_bytes) {
  Sim::BitWriter message;
  message.Put(1005, 12);
  message.PutBytes(std::string(payload_bytes, '\0').data(), payload_bytes);
  const Sim::Frame frame = Sim::RtcmFrame(message);
  return std::string(frame.begin(), frame.end());
}

std::string Trimble(unsigned char type, const std::string& data, char etx = 3, int sum_error = 0) {
  std::string f = std::string("\x02\x00", 2) + static_cast<char>(type) + static_cast<char>(data.size()) + data;
  unsigned sum = 0;
  for (std::size_t i = 1; i < f.size(); ++i) sum += static_cast<unsigned char>(f[i]);
  return f + static_cast<char>(sum + sum_error) + etx;
}

std::string HemisphereBin(const std::string& data) {
  unsigned sum = 0;
  for (char c : data) sum += static_cast<unsigned char>(c);
  return "$BIN" + Le16(1) + Le16(static_cast<unsigned>(data.size())) + data + Le16(sum & 0xFFFF) + "\r\n";
}

// ParseData of the engine: steps until one returns 0.
void ParseData(StandardEngine& engine) {
  while (engine.ParseNext() != 0) {
  }
}

RecordingAdapter* Install(StandardEngine& engine, std::uint32_t board) {
  delete engine.adapter;
  auto* adapter = new RecordingAdapter(board);
  engine.adapter = adapter;
  return adapter;
}

void Feed(StandardEngine& engine, const std::string& bytes) {
  engine.rx->Append(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned>(bytes.size()));
}

// One ParseData call over `input`: the frames handed to the adapter and
// where the consumed bytes end (-1: not checked). A candidate that fails
// its check costs its first byte only and ends the call (a deliberate
// receive-side choice: consuming what it claimed would hide the frames
// behind a false start); a frame that passes its own check but that the
// board refuses is consumed whole.
struct Case {
  const char* what;
  MAINBD_OEM_TYPE board;
  std::string input;
  Frames frames;
  int mark;
  bool refuse = false;
};

TEST(StandardEngine, Readers) {
  const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", 80);
  const std::string rmc = Sentence("GNRMC,003956.00,A,4552.65403,S,17030.00668,E,0.025,,120419,,,A");
  const std::string late_gga = Sentence("GPGGA,", 103);  // its "*" is byte 98
  // Leaves line ends in the scratch frame just past a GGA's window.
  const std::string lead = rmc + X(100 - rmc.size()) + "\r\r\r\r\n\n\n\n" + X(198);
  const std::string log = NovAtelLog(28, 10), stale = NovAtelLog(28, 60, 'q');
  const std::string rtcm = Rtcm(20), rtcm_long = Rtcm(300);
  std::string rtcm_bad = Rtcm(30);
  rtcm_bad.back() ^= 1;
  const std::string trimble = Trimble(0x40, "gsof", 0x55), cmr = Trimble(0x93, "cmr");
  const std::string bin = HemisphereBin("positions"), bin_max = HemisphereBin(std::string(2036, 'd'));
  std::string bin_void = HemisphereBin("ab");
  for (char c : HemisphereBin("ab")) bin_void[8] ^= c;  // all bytes fold to 0
  const std::string reply = "$>JSHOW,MASK,10\r\n";
  const std::string late_end = "$>J" + X(96) + "\r\n" + X(9);  // CR LF at bytes 99-100
  const std::string last_end = "$>J" + X(95) + "\r\n" + X(10);  // CR LF at bytes 98-99
  const std::string gp = Sentence("GPGGA,1"), gl = Sentence("GLGGA,1"), gn = Sentence("GNGGA,1"),
                    bd = Sentence("BDGGA,1"), talkers = gp + gl + gn + bd + Sentence("GAGGA,1") + X(100);

  const Case cases[] = {
      {"GGA needs 100 bytes", OEM_NMEA_FIRST, gga + X(19), {}, 0},
      {"GGA with 100 bytes", OEM_NMEA_FIRST, gga + X(20), {gga}, 98},
      {"others need 306 bytes", OEM_NMEA_SECOND, rmc + X(305 - rmc.size()), {}, 0},
      {"others with 306 bytes", OEM_NMEA_SECOND, rmc + X(306 - rmc.size()), {rmc}, 304},
      {"end found from CR LF", OEM_NMEA_SECOND, "$GPGSV,1,1,00\r\n" + X(300), {"$GPGSV,1,1,00\r\n"}, 313},
      {"GGA end at the window's edge", OEM_NMEA_SECOND, late_gga.substr(0, 100), {}, 0},
      {"GGA end read past the window", OEM_NMEA_SECOND, late_gga, {late_gga}, 103},
      {"sentence over 300 bytes", OEM_NMEA_SECOND, "$GPRMC," + X(400) + "*00\r\n", {}, 1},
      {"GGA ends in its window only", OEM_NMEA_SECOND, lead + Sentence("GPGGA,", 150) + X(100), {rmc},
       static_cast<int>(lead.size()) + 1},
      {"NovAtel log", OEM_NOVATEL, log, {log}, static_cast<int>(log.size())},
      {"NovAtel log incomplete", OEM_NOVATEL, log.substr(0, log.size() - 1), {}, 0},
      {"NovAtel header over 28 bytes", OEM_NOVATEL, stale + NovAtelLog(40, 8),
       {stale, NovAtelLog(40, 8).substr(0, 40) + std::string(12, '\0')}, 92 + 50},
      {"NovAtel 28 + M + 4 over 2048", OEM_NOVATEL, NovAtelLog(28, 2017).substr(0, 28), {}, 1},
      {"NovAtel H + M + 4 over 2048", OEM_NOVATEL, NovAtelLog(255, 1790).substr(0, 28), {}, 1},
      {"NovAtel log of 2048 bytes", OEM_NOVATEL, NovAtelLog(28, 2016), {NovAtelLog(28, 2016)}, 2048},
      {"NovAtel sync elsewhere", OEM_NMEA_SECOND, log, {}, static_cast<int>(log.size()) - 2},
      {"RTCM 3, wrong CRC ends the call", OEM_NOVATEL, rtcm + rtcm_bad + rtcm, {rtcm},
       static_cast<int>(rtcm.size()) + 1},
      {"RTCM 3 the board refuses", OEM_NOVATEL, rtcm + rtcm, {rtcm}, static_cast<int>(rtcm.size()), true},
      {"RTCM 3 of 256 bytes or more", OEM_NOVATEL, rtcm_long, {rtcm_long}, static_cast<int>(rtcm_long.size())},
      {"RTCM 3 incomplete", OEM_NOVATEL, rtcm_long.substr(0, rtcm_long.size() - 1), {}, 0},
      {"the Trimble set wants 0xD3 0x00", OEM_TRIMBLE, rtcm_long, {}, -1},
      {"RTCM 3 reserved bits set", OEM_NOVATEL, "\xD3\x04" + X(10), {}, 10},
      {"Trimble frame, any last byte", OEM_TRIMBLE, trimble, {trimble}, static_cast<int>(trimble.size())},
      {"Trimble frame incomplete", OEM_TRIMBLE, trimble.substr(0, trimble.size() - 1), {}, 0},
      {"Trimble checksum wrong", OEM_TRIMBLE, Trimble(0x40, "abc", 3, 1) + trimble, {}, 1},
      {"NovAtel set: CMR types only", OEM_NOVATEL, Trimble(0x40, "") + cmr, {cmr}, 6 + 9},
      {"Hemisphere binary", OEM_HEMISPHERE, bin, {bin}, static_cast<int>(bin.size())},
      {"Hemisphere binary of 2048 bytes", OEM_HEMISPHERE, bin_max, {bin_max}, 2048},
      {"Hemisphere binary incomplete", OEM_HEMISPHERE, bin.substr(0, bin.size() - 1), {}, 0},
      {"Hemisphere data of 2037 bytes", OEM_HEMISPHERE, HemisphereBin(std::string(2037, 'd')).substr(0, 8), {}, 1},
      {"Hemisphere bytes folding to 0", OEM_HEMISPHERE, bin_void, {}, 1},
      {"Hemisphere binary the board refuses", OEM_HEMISPHERE, bin + bin, {bin}, static_cast<int>(bin.size()), true},
      {"reply needs 103 bytes", OEM_HEMISPHERE, reply + X(102 - reply.size()), {}, 0},
      {"reply consumes its start only", OEM_HEMISPHERE, reply + X(103 - reply.size()), {reply}, 101},
      {"reply ends in 100 bytes", OEM_HEMISPHERE, last_end, {last_end.substr(0, 100)}, 108},
      {"reply ends after 100 bytes", OEM_HEMISPHERE, late_end, {}, 1},
      {"talkers of board 1", OEM_TRIMBLE, talkers, {gp, gl}, -1},
      {"talkers of board 2", OEM_NOVATEL, talkers, {gp, gl, gn, bd}, -1},
      {"refused sentence costs a byte", OEM_NMEA_SECOND, talkers, {gp}, 1, true},
      {"NovAtel log the board refuses", OEM_NOVATEL, log + log, {log}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StandardEngine engine;
    RecordingAdapter* adapter = Install(engine, c.board);
    adapter->accept = !c.refuse;
    Feed(engine, c.input);
    ParseData(engine);
    EXPECT_EQ(adapter->frames, c.frames);
    EXPECT_EQ(c.mark >= 0 ? engine.rx->Mark() : -1, c.mark);
  }
}

TEST(StandardEngine, UnservedBoardsEmptyTheBuffer) {
  for (std::uint32_t board : {0u, 3u, 7u, 8u}) {
    StandardEngine engine;
    if (board != 0) Install(engine, board);
    Feed(engine, Sentence("GPGGA,1") + X(200));
    EXPECT_EQ(engine.ParseNext(), 0);
    EXPECT_EQ(engine.rx->Fill(), 0) << board;
  }
}

TEST(StandardEngine, FactoryTable) {
  StandardEngine engine;
  RecordingAdapter* adapter = Install(engine, OEM_NMEA_SECOND);
  adapter->decoder->latitude = 0.5;
  for (int refused : {0, 3, 7, 8, 42}) {
    EXPECT_FALSE(engine.SelectBoard(static_cast<MAINBD_OEM_TYPE>(refused)));
    ASSERT_EQ(engine.adapter, adapter);  // kept, with its data
    EXPECT_EQ(engine.Latitude(), 0.5);
  }
  for (MAINBD_OEM_TYPE board : {OEM_TRIMBLE, OEM_NOVATEL, OEM_HEMISPHERE, OEM_NMEA_FIRST, OEM_NMEA_SECOND}) {
    EXPECT_TRUE(engine.SelectBoard(board));
    EXPECT_EQ(engine.Latitude(), 0.0);
    ASSERT_NE(engine.adapter, nullptr) << board;
    // Board 5 relays; NovAtel holds every satellite group, Hemisphere GPS's.
    const BoardAdapter& a = *engine.adapter;
    const BoardDecoder& d = *a.decoder;
    const bool novatel = board == OEM_NOVATEL;
    using Row = std::vector<std::int64_t>;
    EXPECT_EQ((Row{a.oem_type, a.commands->relayed, d.gps_sat_hold, d.glo_sat_hold + d.bds_sat_hold, d.sentence_hold}),
              (Row{board, board == OEM_NMEA_FIRST, novatel || board == OEM_HEMISPHERE, 2 * novatel, 0}));
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
