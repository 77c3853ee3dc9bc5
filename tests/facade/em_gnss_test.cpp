#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engines/legacy_engine.h"
#include "engines/newproto_engine.h"
#include "engines/standard_engine.h"
#include "support/test_adapter.h"

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

TEST(EmGnss, ChoosesTheEngineByManufacturerAndBoard) {
  struct Case {
    int manufacturer;
    int board;
    int reported;
    bool is_new;
  };
  const Case cases[] = {{1, 6, 1, false}, {2, 2, 2, false}, {2, 8, 2, true},
                        {3, 8, 2, false}, {0, 1, 2, false}, {7, 4, 2, false}};
  for (const Case& c : cases) {
    Em_Gnss gnss(static_cast<GNSS_MANUFACTURER>(c.manufacturer),
                 static_cast<MAINBD_OEM_TYPE>(c.board));
    ProtocolEngine* engine = EmGnssTestAccess::Engine(gnss);
    SCOPED_TRACE(testing::Message() << c.manufacturer << "/" << c.board);
    EXPECT_EQ(gnss.Get_Mnfctr(), c.reported);
    EXPECT_EQ(dynamic_cast<NewProtoEngine*>(engine) != nullptr, c.is_new);
    EXPECT_EQ(dynamic_cast<StandardEngine*>(engine) != nullptr, c.manufacturer == 1);
    EXPECT_EQ(dynamic_cast<LegacyEngine*>(engine) != nullptr, c.reported == 2 && !c.is_new);
    EXPECT_EQ(gnss.IsNorvikManufacturer(), c.reported == 2);
  }
}

TEST(EmGnss, ProtocolPredicatesFollowTheBoard) {
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  EmGnssTestAccess::SetAdapter(gnss, new RecordingAdapter(OEM_NORVIK_NEWPROTO));
  EXPECT_TRUE(gnss.IsNorvikNewProtocolReceiver());
  EXPECT_FALSE(gnss.IsNorvikOldProtocolReceiver());
  EXPECT_EQ(gnss.Get_GnsMd(), OEM_NORVIK_NEWPROTO);
  EXPECT_EQ(gnss.GetMainBdType(), OEM_NORVIK_NEWPROTO);

  gnss.Set_Com_Status(COM_STATUS_RELAYED);
  gnss.Reset_Mnfctr(GNSS_MNFCTR_NORVIK);
  EXPECT_EQ(gnss.Get_GnsMd(), OEM_NONE);  // no adapter until Reset_GnsMd
  EXPECT_TRUE(gnss.IsNorvikOldProtocolReceiver());
  EXPECT_FALSE(gnss.IsNorvikNewProtocolReceiver());
  EXPECT_EQ(gnss.Get_Com_Status(), COM_STATUS_RELAYED);

  gnss.Reset_Mnfctr(GNSS_MNFCTR_OEM_BOARD);
  EXPECT_FALSE(gnss.IsNorvikManufacturer());
  EXPECT_FALSE(gnss.IsNorvikOldProtocolReceiver());
  EXPECT_EQ(gnss.Get_Com_Status(), COM_STATUS_RELAYED);
}

TEST(EmGnss, ResetManufacturerNeverCreatesTheNewProtocolEngine) {
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  EXPECT_NE(dynamic_cast<NewProtoEngine*>(EmGnssTestAccess::Engine(gnss)), nullptr);
  Feed(gnss, "buffered");
  gnss.Reset_Mnfctr(GNSS_MNFCTR_NORVIK);
  EXPECT_NE(dynamic_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss)), nullptr);
  EXPECT_EQ(EmGnssTestAccess::Engine(gnss)->rx->Fill(), 0);  // buffered bytes are lost
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
  ASSERT_EQ(calls.messages.size(), 2u);
  EXPECT_EQ(calls.messages[0], std::make_pair(2, 1u));
  EXPECT_EQ(calls.messages[1], std::make_pair(2, 2u));

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
  EXPECT_EQ(kind, MSG_DEVICE);
  EXPECT_EQ(value, 9u);
}

TEST(EmGnss, PrivateNotifiersFollowTheirRules) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetEngine(gnss, new ByteEngine());
  Calls calls;
  _CALLBACKS_RECEIVER callbacks = {OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &calls);
  Feed(gnss, std::string("\x00", 1));
  gnss.ParseData();
  EmGnssTestAccess::CallData(gnss);
  EmGnssTestAccess::ClDataGnss(gnss);
  EXPECT_TRUE(calls.messages.empty());
  EmGnssTestAccess::ClDataDevice(gnss);  // also for value 0
  ASSERT_EQ(calls.messages.size(), 1u);
  EXPECT_EQ(calls.messages[0], std::make_pair(2, 0u));
}

TEST(EmGnss, ReceivePathIgnoresEmptyBlocksAndDropsOverflow) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetEngine(gnss, new ByteEngine());
  RecvBuffer& rx = *EmGnssTestAccess::Engine(gnss)->rx;
  unsigned char byte = 1;
  gnss.RcvData(nullptr, 5);
  gnss.RcvData(&byte, 0);
  EXPECT_EQ(rx.Fill(), 0);

  std::vector<unsigned char> block(RecvBuffer::kCapacity, 1);
  gnss.RcvData(block.data(), static_cast<unsigned>(block.size()));
  EXPECT_EQ(rx.Fill(), RecvBuffer::kCapacity);
  gnss.RcvData(&byte, 1);
  EXPECT_EQ(rx.Fill(), 0);
  Calls calls;
  _CALLBACKS_RECEIVER callbacks = {OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, &calls);
  gnss.ParseData();
  EXPECT_TRUE(calls.messages.empty());

  Feed(gnss, "\x03");
  gnss.Data_Clear();
  gnss.ParseData();
  EXPECT_TRUE(calls.messages.empty());
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

  EXPECT_EQ(gnss.Get_Gnss_BsCfg(), nullptr);
  EXPECT_EQ(gnss.Get_Gnss_RvCfg(), nullptr);
  gnss.Set_Gnss_BsCfg(Base_Config());
  gnss.Set_Gnss_RvCfg(Rover_Config());
  gnss.Set_GNSS_ParseNmea(true);
  gnss.Set_TimeZone(3);
  EXPECT_EQ(gnss.Get_TimeZone(), 8);
  EXPECT_EQ(gnss.Get_Gnss_ElevMask(), 0u);
  EXPECT_EQ(gnss.GetInfo_Gnss_Solutions(), 0u);

  POS_INFO pos;
  std::memset(&pos, 0x7F, sizeof(pos));
  gnss.Get_Gnss_Pos(&pos);
  EXPECT_EQ(+pos.latitude, 0.0);
  EXPECT_EQ(+pos.solution, 0u);
  EXPECT_EQ(+pos.diff_age, -1.0);
  EXPECT_EQ(+pos.year, 0x7F7F7F7F);  // time words untouched without a board
  EXPECT_EQ(+pos.rms, 0.0);

  unsigned int count = 99;
  gnss.Get_Gnss_SatInfo(1, &count, nullptr);
  EXPECT_EQ(count, 0u);
  em_obs_t obs;
  obs.n = 5;
  gnss.Get_Gnss_Obs_t(&obs);
  EXPECT_EQ(+obs.n, 0u);
  Feed(gnss, "$GPGGA,1*00\r\n");
  gnss.ParseData();
}

TEST(EmGnss, BaseConfigPortReachesTheEngine) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  EmGnssTestAccess::SetAdapter(gnss, new RecordingAdapter());
  const Base_Config* defaults = gnss.Get_Gnss_BsCfg();
  ASSERT_NE(defaults, nullptr);
  EXPECT_EQ(+defaults->station_id, 1u);
  EXPECT_STREQ(defaults->name, "base");
  EXPECT_EQ(+defaults->baud, 38400u);
  EXPECT_EQ(+gnss.Get_Gnss_RvCfg()->baud, 9600u);
  EXPECT_EQ(+gnss.Get_Gnss_RvCfg()->diff_source, 2u);

  Base_Config config;
  config.port = 6;
  std::strcpy(config.name, "north");
  gnss.Set_Gnss_BsCfg(config);
  EXPECT_EQ(0, std::memcmp(gnss.Get_Gnss_BsCfg(), &config, sizeof(config)));
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
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 0, SEEK_END);
  EXPECT_EQ(std::ftell(f), 3 + RecvBuffer::kCapacity);
  std::fclose(f);
  EXPECT_EQ(std::fopen((path + ".second").c_str(), "rb"), nullptr);
  std::remove(path.c_str());

  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  gnss.SetRcrdData(true, std::string(300, 'p').c_str());  // refused: too long
  Feed(gnss, "abc");
  gnss.SetRcrdData(false, nullptr);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
