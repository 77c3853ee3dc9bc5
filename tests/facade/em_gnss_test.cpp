// Em_Gnss: engine choice, the parse loop and its callbacks, the receive path,
// commands and queries without a board, recording, and the query answers.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engines/legacy_engine.h"
#include "engines/newproto_engine.h"
#include "engines/standard_engine.h"
#include "facade/raw_recording.h"
#include "support/test_adapter.h"
#include "support/test_paths.h"
#include "support/values.h"

namespace Kestrel {
namespace KsParse {
namespace {

struct Calls {
  std::vector<std::pair<int, unsigned>> messages;
  std::vector<bool> oem;
  const void* last_context = nullptr;
};

void OnMessage(Msg_Type kind, unsigned int value, const void* context) {
  Calls* calls = static_cast<Calls*>(const_cast<void*>(context));
  calls->messages.emplace_back(kind, value);
  calls->last_context = context;
}

void OnOem(bool flag, const void* context) {
  static_cast<Calls*>(const_cast<void*>(context))->oem.push_back(flag);
}

void Feed(Em_Gnss& gnss, const std::string& bytes) {
  std::vector<unsigned char> copy(bytes.begin(), bytes.end());
  gnss.RcvData(copy.data(), static_cast<unsigned>(copy.size()));
}

using Testing::D;
using V = std::vector<std::int64_t>;

// Manufacturer 3 and unknown ones get the legacy engine and report 2; only
// the constructor creates the new-protocol engine.
TEST(EmGnss, ChoosesTheEngineByManufacturerAndBoard) {
  // manufacturer, board, reported manufacturer, engine (0 standard, 1 legacy, 2 new protocol)
  const long kCases[][4] = {{1, 6, 1, 0}, {2, 2, 2, 1}, {2, 8, 2, 2}, {3, 8, 2, 1}, {0, 1, 2, 1}, {7, 4, 2, 1}};
  for (const auto& c : kCases) {
    Em_Gnss gnss(static_cast<GNSS_MANUFACTURER>(c[0]), static_cast<MAINBD_OEM_TYPE>(c[1]));
    ProtocolEngine* e = EmGnssTestAccess::Engine(gnss);
    const long engine = dynamic_cast<NewProtoEngine*>(e)   ? 2
                        : dynamic_cast<LegacyEngine*>(e)   ? 1
                        : dynamic_cast<StandardEngine*>(e) ? 0
                                                           : -1;
    EXPECT_EQ((V{gnss.Get_Mnfctr(), engine, gnss.IsNorvikManufacturer()}), (V{c[2], c[3], c[2] == 2})) << c[0];
  }
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  Feed(gnss, "buffered");
  gnss.Reset_Mnfctr(GNSS_MNFCTR_NORVIK);
  EXPECT_NE(dynamic_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss)), nullptr);
  EXPECT_EQ(EmGnssTestAccess::Engine(gnss)->rx->Fill(), 0);  // buffered bytes are lost
}

TEST(EmGnss, ProtocolPredicatesFollowTheBoardAndResetKeepsTheComStatus) {
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  EmGnssTestAccess::SetAdapter(gnss, new RecordingAdapter(OEM_NORVIK_NEWPROTO));
  gnss.Set_Com_Status(COM_STATUS_RELAYED);
  const auto state = [&gnss] {
    return V{gnss.IsNorvikNewProtocolReceiver(), gnss.IsNorvikOldProtocolReceiver(), gnss.Get_GnsMd(),
             gnss.GetMainBdType(), gnss.Get_Com_Status()};
  };
  EXPECT_EQ(state(), (V{1, 0, OEM_NORVIK_NEWPROTO, OEM_NORVIK_NEWPROTO, COM_STATUS_RELAYED}));
  gnss.Reset_Mnfctr(GNSS_MNFCTR_NORVIK);  // no adapter until Reset_GnsMd
  EXPECT_EQ(state(), (V{0, 1, OEM_NONE, OEM_NONE, COM_STATUS_RELAYED}));
  gnss.Reset_Mnfctr(GNSS_MNFCTR_OEM_BOARD);
  EXPECT_EQ(state(), (V{0, 0, OEM_NONE, OEM_NONE, COM_STATUS_RELAYED}));
}

TEST(EmGnss, ParseLoopCallsBackOnlyForNonZeroValues) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetEngine(gnss, new ByteEngine());
  Calls calls;
  _CALLBACKS_RECEIVER callbacks = {OnMessage, OnOem};

  Feed(gnss, std::string("\x05\x00\x07", 3));
  gnss.ParseData();  // no callback registered: the frames are still consumed
  EXPECT_EQ(EmGnssTestAccess::Engine(gnss)->rx->Mark(), 3);

  gnss.Reg_Callbacks(&callbacks, &calls);
  Feed(gnss, std::string("\x01\x00\x02", 3));
  gnss.ParseData();
  EXPECT_EQ(calls.messages, (std::vector<std::pair<int, unsigned>>{{2, 1u}, {2, 2u}}));

  // A null context keeps the old one.
  gnss.Reg_Callbacks(&callbacks, nullptr);
  Feed(gnss, "\x09");
  gnss.ParseData();
  EXPECT_EQ(calls.last_context, &calls);
  gnss.IsOemChanged(true);
  EXPECT_EQ(calls.oem, std::vector<bool>{true});
  Msg_Type kind = MSG_NONE;
  unsigned long value = 0;
  gnss.Get_RevMsg(&kind, &value);
  EXPECT_EQ((V{kind, static_cast<long>(value)}), (V{MSG_DEVICE, 9}));
}

// Overflow of the receive buffer is shown by the buffer's and the
// recording's tests.
TEST(EmGnss, ReceivePathIgnoresEmptyBlocksAndDataClearDrops) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetEngine(gnss, new ByteEngine());
  unsigned char byte = 1;
  gnss.RcvData(nullptr, 5);
  gnss.RcvData(&byte, 0);
  EXPECT_EQ(EmGnssTestAccess::Engine(gnss)->rx->Fill(), 0);
  Calls calls;
  _CALLBACKS_RECEIVER callbacks = {OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &calls);
  Feed(gnss, "\x03");
  gnss.Data_Clear();
  gnss.ParseData();
  EXPECT_TRUE(calls.messages.empty());
}

// What a caller at the end of its input reads to know that ParseData has
// taken all it can: bytes that cannot start a frame are consumed, an
// incomplete sentence stays buffered through any number of calls.
TEST(EmGnss, BufferedBytesAreWhatParsingHasNotConsumed) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  Feed(gnss, std::string(10, '\0') + "$GPGGA,1,");
  EXPECT_EQ(gnss.Get_BufferedBytes(), 19u);
  for (int call = 0; call < 3; ++call) {
    gnss.ParseData();
    EXPECT_EQ(gnss.Get_BufferedBytes(), 9u);
  }
  gnss.Data_Clear();
  EXPECT_EQ(gnss.Get_BufferedBytes(), 0u);
}

TEST(EmGnss, NothingCrashesWithoutAnAdapter) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  gnss.Reset_Mnfctr(GNSS_MNFCTR_OEM_BOARD);
  CommandList cmds;
  unsigned char data[3] = {1, 2, 3};
  gnss.Get_Gnss_Inite(cmds);
  gnss.Get_Gnss_StartBase(cmds);
  gnss.Get_Gnss_StartRover(cmds);
  gnss.Get_Gnss_Reset(cmds);
  gnss.Set_Gnss_ElevDgre(10, cmds);
  gnss.Set_Gnss_PosFrq(cmds, GNSS_FRQ_1HZ);
  gnss.Send_Gnss_Obs(cmds, GNSS_FRQ_1HZ);
  gnss.Send_Gnss_Ephemeris(cmds, GNSS_FRQ_1HZ);
  gnss.Send_Gnss_EphemSat(cmds, 3);
  gnss.Set_Gnss_Nmea(cmds, 1, GNSS_FRQ_1HZ, 1);
  gnss.Set_Gnss_SatUse(cmds, 3, true, 0);
  gnss.Get_Gnss_ElevMask(cmds);
  gnss.Send_Gnss_UnlogData(cmds);
  gnss.Get_Cmd_PassCom(cmds, 1);
  EXPECT_TRUE(cmds.empty());
  gnss.Send_DiffDataToGnss(cmds, data, 3);  // raw packets need no adapter
  EXPECT_EQ(cmds.size(), 1u);

  EXPECT_TRUE(gnss.Get_Gnss_BsCfg() == nullptr && gnss.Get_Gnss_RvCfg() == nullptr);
  gnss.Set_Gnss_BsCfg(Base_Config());
  gnss.Set_Gnss_RvCfg(Rover_Config());
  gnss.Set_GNSS_ParseNmea(true);
  gnss.Set_TimeZone(3);
  EXPECT_EQ((V{gnss.Get_TimeZone(), gnss.Get_Gnss_ElevMask(), static_cast<long>(gnss.GetInfo_Gnss_Solutions())}),
            (V{8, 0, 0}));

  // Neutral answers; the time words, base position and GGA length untouched.
  POS_INFO pos;
  std::memset(&pos, 0x7F, sizeof(pos));
  gnss.Get_Gnss_Pos(&pos);
  EXPECT_EQ((std::vector<double>{+pos.latitude, 1.0 * pos.solution, +pos.diff_age, 1.0 * pos.year, +pos.rms}),
            (std::vector<double>{0.0, 0, -1.0, 0x7F7F7F7F, 0.0}));
  BASEINFO base = {7, 8, 9};
  gnss.Get_Gnss_Baseinfo(base);
  unsigned char text[4];
  unsigned int count = 99, length = 3;
  gnss.Get_Gnss_Gpgga(text, &length);
  gnss.Get_Gnss_SatInfo(1, &count, nullptr);
  em_obs_t obs;
  obs.n = 5;
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_EQ((V{static_cast<long>(base.x), length, count, obs.n}), (V{7, 3, 0, 0}));
  // Bytes fed without an adapter are taken and dropped: nothing is reported.
  int calls = 0;
  const _CALLBACKS_RECEIVER callbacks = {
      [](Msg_Type, unsigned, const void* n) { ++*static_cast<int*>(const_cast<void*>(n)); }, nullptr};
  gnss.Reg_Callbacks(&callbacks, &calls);
  Feed(gnss, "$GPGGA,1*4B\r\n");
  gnss.ParseData();
  gnss.Get_Gnss_Gpgga(text, &length);
  EXPECT_EQ((V{calls, length}), (V{0, 3}));
}

TEST(EmGnss, BaseConfigPortReachesTheEngine) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetAdapter(gnss, new RecordingAdapter());
  Base_Config config;
  config.port = 6;
  std::strcpy(config.name, "north");
  gnss.Set_Gnss_BsCfg(config);
  EXPECT_EQ(EmGnssTestAccess::Engine(gnss)->base_port, 6u);
}

TEST(EmGnss, RecordingWritesEveryBlockEvenOnOverflow) {
  const std::string path = testing::TempDir() + "ksparse_recording.bin";
  std::remove(path.c_str());
  {
    Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
    gnss.SetRcrdData(false, nullptr);  // never on: only clears the flag
    gnss.SetRcrdData(true, path.c_str());
    gnss.SetRcrdData(true, (path + ".second").c_str());  // the first file stays
    Feed(gnss, "abc");
    std::vector<unsigned char> block(RecvBuffer::kCapacity, 'z');
    gnss.RcvData(block.data(), static_cast<unsigned>(block.size()));  // overflows
  }
  EXPECT_EQ(Testing::ReadFile(path), "abc" + std::string(RecvBuffer::kCapacity, 'z'));
  EXPECT_EQ(std::fopen((path + ".second").c_str(), "rb"), nullptr);
  std::remove(path.c_str());

  // A path of 300 characters is refused rather than cut, though it names a
  // file that could be written.
  const std::string target = testing::TempDir() + "ksparse_long.bin";
  std::string long_path = testing::TempDir();
  while (long_path.size() + 2 + 16 <= 300) long_path += "./";
  long_path += std::string(300 - long_path.size() - 16, '/') + "ksparse_long.bin";
  ASSERT_EQ(long_path.size(), 300u);
  std::remove(target.c_str());
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  gnss.SetRcrdData(true, long_path.c_str());
  Feed(gnss, "abc");
  gnss.SetRcrdData(false, nullptr);
  EXPECT_EQ(std::fopen(target.c_str(), "rb"), nullptr);
}

// ---------------------------------------------------------------- queries

class Queries : public testing::Test {
 protected:
  Queries() : gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND), adapter(new RecordingAdapter()) {
    EmGnssTestAccess::SetAdapter(gnss, adapter);
  }
  BoardDecoder& store() { return *adapter->decoder; }

  Em_Gnss gnss;
  RecordingAdapter* adapter;
};

// Positions, times and precisions of real streams are compared in the board
// tests; here the fields only this facade fills.
TEST_F(Queries, PositionTimeWordsAndPrecision) {
  BoardDecoder& d = store();
  d.diff_age = 1.5, d.minute = 59, d.second = 58.25, d.status_word = 0xABCD1234, d.extra_word = 0x5566, d.rms = 0.4;
  POS_INFO pos = {};
  gnss.Get_Gnss_Pos(&pos);
  Time_Str t = {};
  gnss.Get_Gnss_Time(&t);
  Precisions p = {};
  gnss.Get_Gnss_Precision(&p);
  EXPECT_EQ((D{pos.diff_age, 1.0 * pos.status_word, 1.0 * pos.extra_word, pos.rms, 1.0 * t.minute, t.second, p.rms}),
            (D{1.5, 0xABCD1234u, 0x5566, 0.4, 59, 58.25, 0.4}));
}

// Systems 1-5 only, and a count above 32 gives 0.
TEST_F(Queries, SatelliteListsUseTheStagingArea) {
  SatTable& glonass = store().tables[kTableGlonass];
  glonass.count = 2;
  glonass.sats[0].prn = 38;
  glonass.sats[1].prn = 45;
  SATLLITE_STR out[32];
  std::memset(out, 0xEE, sizeof(out));
  unsigned int count = 0;
  gnss.Get_Gnss_SatInfo(2, &count, out);
  EXPECT_EQ((D{1.0 * count, 1.0 * out[0].prn, 1.0 * out[1].prn}), (D{2, 38, 45}));
  EXPECT_EQ(reinterpret_cast<unsigned char*>(&out[2])[0], 0xEE);  // nothing beyond the count
  store().tables[kTableFifth].count = 33;
  for (int system : {6, 0, 5}) {
    count = 7;
    gnss.Get_Gnss_SatInfo(system, &count, out);
    EXPECT_EQ(count, 0u) << system;
  }
}

TEST_F(Queries, TimeZoneAcceptsZeroToTwentyFour) {
  for (const auto& zone : {std::pair<int, int>{24, 24}, {0, 0}, {-1, 8}, {25, 8}}) {
    gnss.Set_TimeZone(zone.first);
    EXPECT_EQ(gnss.Get_TimeZone(), zone.second) << zone.first;
  }
}

// The system of the last decoded satellite's number; none (and no copy)
// outside the known ranges.
TEST_F(Queries, EphemerisOfTheLastDecodedSatellite) {
  store().eph[2].sat = 3;
  store().eph[2].iode = 17;
  store().eph[170].sat = 171;
  em_eph_t eph = {};
  unsigned int system = 0;
  const auto query = [&](int sat) {
    store().last_eph_sat = sat;
    system = 0;
    gnss.Get_Gnss_Ephemeris(&system, &eph);
    return D{1.0 * system, 1.0 * eph.sat, 1.0 * eph.iode};
  };
  EXPECT_EQ(query(100), (D{0, 0, 0}));
  EXPECT_EQ(query(3), (D{1, 3, 17}));
  EXPECT_EQ(query(171), (D{4, 171, -1}));  // an empty slot has IODE -1
  for (int sat : {0, 33, 160, 197, 221, -5}) EXPECT_EQ(query(sat)[0], 0.0) << sat;
}

TEST_F(Queries, ObservationsAreBoundedAndTheRestZeroed) {
  store().obs_count = 2;
  store().obs[0].sat = 5;
  store().obs[1].p[0] = 2.5e7;
  store().obs[2].sat = 9;  // beyond the count: not copied
  em_obs_t obs;
  std::memset(&obs, 0xAB, sizeof(obs));
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_EQ((D{1.0 * obs.n, 1.0 * obs.data[0].sat, obs.data[1].p[0], 1.0 * obs.data[2].sat, 1.0 * obs.data[117].sat}),
            (D{2, 5, 2.5e7, 0, 0}));
  store().obs_count = 5000;
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_EQ(+obs.n, BoardDecoder::kObsCapacity);
}

TEST(RecordingName, HourIsShiftedAndSpacePadded) {
  char name[64];
  Recording::GeneratedName(name, sizeof(name), 2011, 3, 5, 1, 2, 3);
  EXPECT_STREQ(name, "201135 923.bin");
  Recording::GeneratedName(name, sizeof(name), 2011, 12, 25, 17, 40, 59);
  EXPECT_STREQ(name, "20111225254059.bin");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
