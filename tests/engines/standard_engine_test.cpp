#include "engines/standard_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "rtcm/crc24q.h"
#include "support/test_adapter.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

// "$<body>*hh\r\n" with the body padded by trailing commas to `length` bytes.
std::string Sentence(std::string body, std::size_t length = 0) {
  while (body.size() + 6 < length) body += ',';
  unsigned char sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

// Bytes that start no frame of any board.
std::string Filler(std::size_t n) { return std::string(n, 'x'); }

std::string NovAtelLog(unsigned header_length, unsigned body_length, char fill = 'n') {
  std::string log(header_length > 10 ? header_length : 10, '\0');
  log[0] = '\xAA';
  log[1] = '\x44';
  log[2] = '\x12';
  log[3] = static_cast<char>(header_length);
  log[8] = static_cast<char>(body_length & 0xFF);
  log[9] = static_cast<char>(body_length >> 8);
  return log + std::string(body_length, fill) + "CRC!";
}

std::string RtcmFrame(unsigned payload_bytes) {
  Sim::BitWriter message;
  message.Put(1005, 12);
  for (unsigned i = 1; i < payload_bytes * 8 / 12; ++i) message.Put(i & 0xFFF, 12);
  const Sim::Frame frame = Sim::RtcmFrame(message);
  return std::string(frame.begin(), frame.end());
}

std::string TrimbleFrame(unsigned char type, const std::string& data, unsigned char etx = 0x03,
                         int checksum_error = 0) {
  std::string f = {'\x02', '\x00', static_cast<char>(type), static_cast<char>(data.size())};
  f += data;
  unsigned sum = 0;
  for (std::size_t i = 1; i < f.size(); ++i) sum += static_cast<unsigned char>(f[i]);
  f += static_cast<char>((sum + checksum_error) & 0xFF);
  f += static_cast<char>(etx);
  return f;
}

std::string HemisphereBinary(unsigned id, const std::string& data) {
  std::string f = "$BIN";
  f += static_cast<char>(id & 0xFF);
  f += static_cast<char>(id >> 8);
  f += static_cast<char>(data.size() & 0xFF);
  f += static_cast<char>(data.size() >> 8);
  unsigned sum = 0;
  for (char c : data) sum += static_cast<unsigned char>(c);
  return f + data + static_cast<char>(sum & 0xFF) + static_cast<char>((sum >> 8) & 0xFF) + "\r\n";
}

class StandardEngineTest : public ::testing::Test {
 protected:
  RecordingAdapter* Install(std::uint32_t type) {
    auto* adapter = new RecordingAdapter(type);
    delete engine_.adapter;
    engine_.adapter = adapter;
    return adapter;
  }
  void Feed(const std::string& bytes) {
    engine_.rx->Append(reinterpret_cast<const unsigned char*>(bytes.data()),
                       static_cast<unsigned>(bytes.size()));
  }
  // One ParseData call: steps until one returns 0; the number of steps that
  // asked to be called again.
  int ParseData() {
    int steps = 0;
    while (engine_.ParseNext() != 0) ++steps;
    return steps;
  }
  int Mark() const { return engine_.rx->Mark(); }

  StandardEngine engine_;
};

TEST_F(StandardEngineTest, GgaIsTakenOnceHundredBytesAreBuffered) {
  RecordingAdapter* adapter = Install(OEM_NMEA_FIRST);
  const std::string gga =
      Sentence("GPGGA,123519.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", 80);
  ASSERT_EQ(gga.size(), 80u);
  Feed(gga + Filler(19));
  EXPECT_EQ(ParseData(), 0);
  EXPECT_TRUE(adapter->frames.empty());
  EXPECT_EQ(Mark(), 0);

  Feed(Filler(1));
  EXPECT_EQ(engine_.ParseNext(), 1);
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], gga);
  EXPECT_EQ(engine_.last_kind, MSG_GNSS);
  EXPECT_EQ(engine_.changed_flags, adapter->flags);
  EXPECT_EQ(Mark(), 80);
  // The filler is skipped a byte at a time; two bytes cannot start a frame
  // and stay.
  EXPECT_EQ(ParseData(), 18);
  EXPECT_EQ(engine_.changed_flags, 0u);
  EXPECT_EQ(engine_.last_kind, MSG_NONE);
  EXPECT_EQ(Mark(), 98);
}

TEST_F(StandardEngineTest, OtherSentencesWaitFor306Bytes) {
  RecordingAdapter* adapter = Install(OEM_NMEA_SECOND);
  const std::string rmc = Sentence("GNRMC,003956.00,A,4552.65403,S,17030.00668,E,0.025,,120419,,,A");
  Feed(rmc + Filler(306 - rmc.size() - 1));
  EXPECT_EQ(ParseData(), 0);
  EXPECT_TRUE(adapter->frames.empty());
  Feed(Filler(1));
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], rmc);
}

TEST_F(StandardEngineTest, SentenceEnds) {
  RecordingAdapter* adapter = Install(OEM_NMEA_SECOND);
  // Without "*": the end is found from the CR LF.
  const std::string bare = "$GPGSV,1,1,00\r\n";
  // A GGA whose "*" is the window's last byte but one is taken once its
  // check characters and line end have arrived.
  const std::string late = Sentence("GPGGA,", 103);
  ASSERT_EQ(late.find('*'), 98u);
  Feed(bare + Filler(300) + late.substr(0, 100));
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], bare);
  Feed(late.substr(100));
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 2u);
  EXPECT_EQ(adapter->frames[1], late);
}

TEST_F(StandardEngineTest, OverlongSentenceIsRejectedAndEndsTheCall) {
  RecordingAdapter* adapter = Install(OEM_NMEA_SECOND);
  const std::string gga = Sentence("GPGGA,1,2,3", 60);
  Feed("$GPRMC," + std::string(400, '1') + "*00\r\n" + gga + Filler(100));
  EXPECT_EQ(ParseData(), 0);
  EXPECT_EQ(Mark(), 6);  // the six bytes read are consumed
  EXPECT_TRUE(adapter->frames.empty());
  ParseData();  // the next call resumes behind them
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], gga);
}

TEST_F(StandardEngineTest, EarlierFramesDoNotEndAGgaEarly) {
  // The sentence before the GGA leaves line ends in the scratch frame beyond
  // the GGA's window; they must not be taken for the GGA's end.
  RecordingAdapter* adapter = Install(OEM_NMEA_SECOND);
  const std::string rmc = Sentence("GPRMC,1");
  std::string before = rmc + Filler(100 - rmc.size()) + "\r\r\r\r\n\n\n\n";
  before += Filler(306 - before.size());
  const std::string long_gga = Sentence("GPGGA,", 150);
  Feed(before + long_gga + Filler(200));
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], rmc);
  EXPECT_EQ(Mark(), static_cast<int>(before.size()) + 6);  // the GGA was rejected
}

TEST_F(StandardEngineTest, EachBoardTakesItsTalkers) {
  const struct {
    MAINBD_OEM_TYPE board;
    const char* taken;
  } cases[] = {{OEM_TRIMBLE, "GPGL"}, {OEM_NOVATEL, "GPGLGNBD"}, {OEM_HEMISPHERE, "GPGL"},
               {OEM_NMEA_FIRST, "GPGL"}, {OEM_NMEA_SECOND, "GPGLGNBD"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.board);
    RecordingAdapter* adapter = Install(c.board);
    engine_.rx->Reset();
    Feed(Sentence("GPGGA,1") + Sentence("GLGGA,2") + Sentence("GNGGA,3") + Sentence("BDGGA,4") +
         Sentence("GAGGA,5") + Filler(100));
    ParseData();
    std::string talkers;
    for (const std::string& f : adapter->frames) talkers += f.substr(1, 2);
    EXPECT_EQ(talkers, c.taken);
  }
}

TEST_F(StandardEngineTest, NovAtelLogs) {
  RecordingAdapter* adapter = Install(OEM_NOVATEL);
  const std::string log = NovAtelLog(28, 10);
  Feed(log.substr(0, log.size() - 1));
  EXPECT_EQ(ParseData(), 0);
  EXPECT_EQ(Mark(), 0);
  Feed(log.substr(log.size() - 1));
  EXPECT_EQ(ParseData(), 1);
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], log);

  // A header longer than 28 bytes: 28 + M + 4 bytes are read, and H + M + 4
  // handed on with zeros after the bytes read, whatever the scratch held.
  engine_.rx->Reset();
  adapter->frames.clear();
  Feed(NovAtelLog(28, 60, 'q'));
  ParseData();
  const std::string long_header = NovAtelLog(40, 8);
  Feed(long_header);
  EXPECT_EQ(engine_.ParseNext(), 1);
  ASSERT_EQ(adapter->frames.size(), 2u);
  EXPECT_EQ(adapter->frames[1], long_header.substr(0, 40) + std::string(12, '\0'));
  EXPECT_EQ(Mark(), 92 + 40);

  // Logs that cannot fit the 2048-byte frame are refused once the header is
  // in, without waiting for their body.
  for (unsigned header : {28u, 255u}) {
    engine_.rx->Reset();
    adapter->frames.clear();
    Feed(NovAtelLog(header, 2048 - header - 3).substr(0, 28));
    EXPECT_EQ(ParseData(), 0);
    EXPECT_EQ(Mark(), 28) << header;
    EXPECT_TRUE(adapter->frames.empty());
  }
  engine_.rx->Reset();
  Feed(NovAtelLog(28, 2048 - 32));  // exactly the frame's size
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0].size(), 2048u);

  // Other boards skip the sync.
  Install(OEM_NMEA_SECOND);
  engine_.rx->Reset();
  Feed(NovAtelLog(28, 0));
  EXPECT_EQ(engine_.ParseNext(), 1);
  EXPECT_EQ(Mark(), 1);
}

TEST_F(StandardEngineTest, Rtcm3FramesAreCheckedHere) {
  RecordingAdapter* adapter = Install(OEM_NOVATEL);
  const std::string good = RtcmFrame(20);
  std::string bad = RtcmFrame(30);
  bad[bad.size() - 1] ^= 0x01;
  Feed(good + bad + good);
  EXPECT_EQ(ParseData(), 1);  // the bad frame ends the call...
  EXPECT_EQ(Mark(), static_cast<int>(good.size() + bad.size()));  // ...consumed whole
  EXPECT_EQ(engine_.changed_flags, 0u);
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 2u);
  EXPECT_EQ(adapter->frames[0], good);
  EXPECT_EQ(adapter->frames[1], good);

  // A length of 256 or more sets a bit of the second byte: the NovAtel set
  // reads such frames, the Trimble set wants the whole byte 0.
  const std::string long_frame = RtcmFrame(300);
  ASSERT_EQ(long_frame[1], '\x01');
  engine_.rx->Reset();
  Feed(long_frame);
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 3u);
  EXPECT_EQ(adapter->frames[2], long_frame);
  Install(OEM_TRIMBLE);
  engine_.rx->Reset();
  Feed(long_frame);
  EXPECT_EQ(engine_.ParseNext(), 1);
  EXPECT_EQ(Mark(), 1);
  // Reserved bits set: not RTCM 3 for the NovAtel set either.
  Install(OEM_NOVATEL);
  engine_.rx->Reset();
  Feed(std::string("\xD3\x04\x00", 3) + Filler(10));
  EXPECT_EQ(engine_.ParseNext(), 1);
  EXPECT_EQ(Mark(), 1);
}

TEST_F(StandardEngineTest, TrimbleFrames) {
  RecordingAdapter* adapter = Install(OEM_TRIMBLE);
  const std::string odd_end = TrimbleFrame(0x40, "gsof data", 0x55);
  const std::string bad_sum = TrimbleFrame(0x40, "abc", 0x03, 1);
  Feed(odd_end + bad_sum + TrimbleFrame(0x57, ""));
  EXPECT_EQ(ParseData(), 1);
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], odd_end);  // the last byte is not tested
  EXPECT_EQ(Mark(), static_cast<int>(odd_end.size() + bad_sum.size()));
  ParseData();
  EXPECT_EQ(adapter->frames.size(), 2u);

  // The NovAtel set reads only the CMR types of these frames.
  adapter = Install(OEM_NOVATEL);
  engine_.rx->Reset();
  const std::string cmr = TrimbleFrame(0x93, "cmr!");
  Feed(TrimbleFrame(0x40, "") + cmr + TrimbleFrame(0x98, ""));
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 2u);
  EXPECT_EQ(adapter->frames[0], cmr);
}

TEST_F(StandardEngineTest, HemisphereBinary) {
  RecordingAdapter* adapter = Install(OEM_HEMISPHERE);
  const std::string frame = HemisphereBinary(1, "position data");
  Feed(frame);
  EXPECT_EQ(ParseData(), 1);
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], frame);

  // Data length 2037 or more: refused once the header is in.
  engine_.rx->Reset();
  Feed(HemisphereBinary(2, std::string(2037, 'd')).substr(0, 8));
  EXPECT_EQ(ParseData(), 0);
  EXPECT_EQ(Mark(), 8);
  engine_.rx->Reset();
  Feed(HemisphereBinary(2, std::string(2036, 'd')));
  ParseData();
  ASSERT_EQ(adapter->frames.size(), 2u);
  EXPECT_EQ(adapter->frames[1].size(), 2048u);

  // A frame whose bytes cancel out under exclusive-or is refused whole.
  std::string cancelling = HemisphereBinary(3, "ab");
  unsigned char folded = 0;
  for (char c : cancelling) folded ^= static_cast<unsigned char>(c);
  cancelling[8] ^= static_cast<char>(folded);
  engine_.rx->Reset();
  Feed(cancelling);
  EXPECT_EQ(ParseData(), 0);
  EXPECT_EQ(Mark(), static_cast<int>(cancelling.size()));
  EXPECT_EQ(adapter->frames.size(), 2u);
}

TEST_F(StandardEngineTest, HemisphereRepliesConsumeOnlyTheirStart) {
  RecordingAdapter* adapter = Install(OEM_HEMISPHERE);
  const std::string reply = "$>JSHOW,ELEVMASK,10\r\n";
  Feed(reply + Filler(102 - reply.size()));
  EXPECT_EQ(ParseData(), 0);  // 100 bytes after "$>J" are needed
  Feed(Filler(1));
  EXPECT_EQ(engine_.ParseNext(), 1);
  ASSERT_EQ(adapter->frames.size(), 1u);
  EXPECT_EQ(adapter->frames[0], reply);
  EXPECT_EQ(Mark(), 3);

  // The line end must lie within the first 100 bytes.
  engine_.rx->Reset();
  Feed("$>J" + Filler(95) + "\r\n" + Filler(10));
  EXPECT_EQ(engine_.ParseNext(), 1);
  EXPECT_EQ(adapter->frames.size(), 2u);
  engine_.rx->Reset();
  Feed("$>J" + Filler(96) + "\r\n" + Filler(10));
  EXPECT_EQ(ParseData(), 0);
  EXPECT_EQ(Mark(), 3);
  EXPECT_EQ(adapter->frames.size(), 2u);
}

TEST_F(StandardEngineTest, RefusedFrameIsConsumedAndEndsTheCall) {
  RecordingAdapter* adapter = Install(OEM_NMEA_SECOND);
  const std::string first = Sentence("GPGGA,1");
  const std::string second = Sentence("GPGGA,2");
  Feed(first + second + Filler(100));
  adapter->accept = false;
  EXPECT_EQ(ParseData(), 0);
  EXPECT_EQ(Mark(), static_cast<int>(first.size()));
  EXPECT_EQ(engine_.last_kind, MSG_NONE);
  EXPECT_EQ(engine_.changed_flags, 0u);
  adapter->accept = true;
  adapter->flags = 0x20001000;
  EXPECT_EQ(engine_.ParseNext(), 1);
  EXPECT_EQ(engine_.changed_flags, 0x20001000u);
  ASSERT_EQ(adapter->frames.size(), 2u);
  EXPECT_EQ(adapter->frames[1], second);
}

TEST_F(StandardEngineTest, UnservedBoardsEmptyTheBuffer) {
  for (std::uint32_t board : {0u, 3u, 7u, 8u}) {
    SCOPED_TRACE(board);
    if (board == 0) {
      delete engine_.adapter;
      engine_.adapter = nullptr;
    } else {
      Install(board);
    }
    Feed(Sentence("GPGGA,1") + Filler(200));
    EXPECT_EQ(engine_.ParseNext(), 0);
    EXPECT_EQ(engine_.rx->Fill(), 0);
  }
}

TEST_F(StandardEngineTest, FactoryTable) {
  RecordingAdapter* adapter = Install(OEM_NMEA_SECOND);
  adapter->decoder->latitude = 0.5;
  for (MAINBD_OEM_TYPE refused : {OEM_NONE, OEM_SOFT_RECEIVER, OEM_HEMISPHERE2,
                                  OEM_NORVIK_NEWPROTO, static_cast<MAINBD_OEM_TYPE>(42)}) {
    EXPECT_FALSE(engine_.SelectBoard(refused));
    ASSERT_EQ(engine_.adapter, adapter);
    EXPECT_EQ(engine_.Latitude(), 0.5);
  }
  // Boards whose adapters are not in this build leave the engine without
  // one; those that are get the table's settings.
  for (MAINBD_OEM_TYPE board :
       {OEM_TRIMBLE, OEM_NOVATEL, OEM_HEMISPHERE, OEM_NMEA_FIRST, OEM_NMEA_SECOND}) {
    SCOPED_TRACE(board);
    EXPECT_TRUE(engine_.SelectBoard(board));
    EXPECT_EQ(engine_.Latitude(), 0.0);
    if (engine_.adapter == nullptr) continue;
    const BoardAdapter& a = *engine_.adapter;
    EXPECT_EQ(a.oem_type, static_cast<std::uint32_t>(board));
    EXPECT_EQ(a.commands->relayed, board == OEM_NMEA_FIRST ? 1u : 0u);
    EXPECT_EQ(a.decoder->gps_sat_hold, board == OEM_NOVATEL || board == OEM_HEMISPHERE ? 1 : 0);
    EXPECT_EQ(a.decoder->glo_sat_hold, board == OEM_NOVATEL ? 1 : 0);
    EXPECT_EQ(a.decoder->bds_sat_hold, board == OEM_NOVATEL ? 1 : 0);
    EXPECT_EQ(a.decoder->sentence_hold, 0);
  }
}

// Every frame kind of the NovAtel set, with garbage between them, gives the
// same frames whether it arrives byte by byte, in random blocks or at once.
TEST_F(StandardEngineTest, FramesDoNotDependOnHowBytesArrive) {
  std::string stream = Filler(5) + NovAtelLog(28, 40) + Sentence("GNGGA,1,2,3") + "\xD3" +
                       RtcmFrame(100) + TrimbleFrame(0x98, "cmr") + Sentence("GPGSA,A,3") +
                       NovAtelLog(28, 2040).substr(0, 28) + Sentence("BDGSV,1,1,00");
  std::string bad_rtcm = RtcmFrame(10);
  bad_rtcm[5] ^= 0x40;
  stream += bad_rtcm + Sentence("GLGSV,1,1,00") + Filler(306);

  auto run = [&](std::mt19937* random, std::size_t block) {
    StandardEngine engine;
    auto* adapter = new RecordingAdapter(OEM_NOVATEL);
    engine.adapter = adapter;
    std::size_t pos = 0;
    while (pos < stream.size()) {
      std::size_t n = random != nullptr ? 1 + (*random)() % 400 : block;
      if (n > stream.size() - pos) n = stream.size() - pos;
      engine.rx->Append(reinterpret_cast<const unsigned char*>(stream.data() + pos),
                        static_cast<unsigned>(n));
      pos += n;
      // ParseData calls until one consumes nothing (rejections end a call).
      for (int before = -1; before != engine.rx->Mark();) {
        before = engine.rx->Mark();
        while (engine.ParseNext() != 0) {
        }
      }
    }
    return adapter->frames;
  };
  const std::vector<std::string> whole = run(nullptr, stream.size());
  ASSERT_EQ(whole.size(), 7u);
  EXPECT_EQ(run(nullptr, 1), whole);
  std::mt19937 random(7);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(run(&random, 0), whole);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
