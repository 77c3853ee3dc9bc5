// The common receiver operations of a new-protocol receiver, and the
// operations that both receiver generations share: new-protocol packets for
// a new-protocol receiver, nothing for other makers' boards.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "engines/legacy_engine.h"
#include "newproto/catalogue_wire.h"
#include "newproto/newproto_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;
using G = Em_Gnss;
using C = CommandList;

struct Operation {
  std::function<void(G&, C&)> build;
  Lines want;
  bool board = false;  // a board operation, which other makers' boards have too
};

const cors_info kLogin = {"MOUNT", "user", "pass"};
const NV_COM_BAUD_ENUM kBaud = NV_COM_BAUD_115200;
const EndPointInfo kEnd = {};

const Operation kOperations[] = {
    {[](G& g, C& c) { g.Get_Gnss_Inite(c); }, {"14 @0000: 0410=0009 040C=0009 040D=000B 0408=000B 040F=000B"}, true},
    {[](G& g, C& c) { g.Set_Gnss_PosFrq(c, GNSS_FRQ_5HZ); }, {"14 @0000: 0410=0007"}, true},
    {[](G& g, C& c) { g.Send_Gnss_Obs(c, static_cast<GNSS_FRQ>(42)); }, {"14 @0000: 0407=0009"}, true},
    {[](G& g, C& c) { g.Get_Gnss_Reset(c); }, {"14 @0000: 0453="}, true},
    {[](G& g, C& c) { g.Send_Gnss_UnlogData(c); }, {"14 @0000: 0454="}, true},
    {[](G& g, C& c) { g.Get_Gnss_ElevMask(c); }, {"15 @0000: 0451="}, true},
    {[](G& g, C& c) { g.Set_Gnss_ElevDgre(300, c); }, {"14 @0000: 0451=2C"}, true},  // one byte: 300 - 256
    {[](G& g, C& c) { g.Send_Gnss_Ephemeris(c, GNSS_FRQ_1HZ), g.Set_Gnss_Nmea(c, 1, GNSS_FRQ_1HZ, 0); }, {}, true},
    // shared with the older receivers
    {[](G& g, C& c) { g.Get_Battery(c), g.Get_CloseReceiver(c); }, {"11 @0000: 0304=", "10 @0303: 0303="}},
    {[](G& g, C& c) { g.Get_Cmd_Com_Baudrate(c, const_cast<NV_COM_BAUD_ENUM*>(&kBaud), NV_COM_PORT_2); },
     {"2 @0103: 0104=0002 0103=0009"}},
    {[](G& g, C& c) { g.Get_Cmd_Com_Baudrate(c, nullptr, NV_COM_PORT_2); }, {}},
    {[](G& g, C& c) { g.Get_Cmd_Position_Frq(c, GNSS_FRQ_10HZ), g.Set_eBubble_frq(c, GNSS_FRQ_1HZ); },
     {"14 @000E: 0410=0006", "14 @000E: 041B=0009"}},
    {[](G& g, C& c) { g.Get_NvMdl(c, 11), g.Get_NvMdl(c, 5); }, {"10 @0308: 0308=000B", "10 @0308: 0308=0000"}},
    {[](G& g, C& c) { g.Set_eBubble_calibration(c, true, 0x1234); }, {"10 @0309: 0309=021234"}},
    {[](G& g, C& c) { g.Get_Cmd_EndPPKpt(const_cast<EndPointInfo*>(&kEnd), c), g.Get_Cmd_StartPPKpt(c, nullptr); },
     {"38 @0B08: 0B08[51]"}},
    {[](G& g, C& c) { g.Set_Cors_Login(c, kLogin); }, {"46 @110A: 110A[20]", "46 @110B: 110B[70]", "46 @1107: 1107="}},
    {[](G& g, C& c) { g.Set_Cors_Info_Auto(c, kLogin, 2), g.Set_Cors_Info_Auto(c, kLogin, 7); },
     {"46 @110A: 110A[20]", "46 @110B: 110B[70]", "46 @1109: 1109=02", "46 @110A: 110A[20]", "46 @110B: 110B[70]",
      "46 @1109: 1109=00"}},
    {[](G& g, C& c) { g.Send_Cors_Info_Auto(c); }, {"47 @110A: 110A=", "47 @110B: 110B=", "47 @1109: 1109="}},
    {[](G& g, C& c) { g.Send_Gprs_DisConct(c), g.Send_Gprs_GetList(c); }, {"46 @1108: 1108=", "47 @1106: 1106="}},
    {[](G& g, C& c) { g.Get_Cmd_Modem_Signal_Intensity_Query(c); }, {"43 @0000: 140C="}},
};

TEST(NewProtoReceiverCommandsTest, OperationsBuildNewProtocolPacketsForNewReceiversOnly) {
  G gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO), other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  for (const Operation& op : kOperations) {
    C cmds, none;
    op.build(gnss, cmds);
    const std::string name = op.want.empty() ? "(none)" : op.want[0];
    EXPECT_EQ(Packets(cmds), op.want) << name;
    if (op.board) continue;
    op.build(other, none);
    EXPECT_TRUE(none.empty()) << name;
  }
}

TEST(NewProtoReceiverCommandsTest, RoverAndBaseStart) {
  G gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  Rover_Config rover;
  rover.elev_mask = 12;
  rover.aux_mask = 4;
  gnss.Set_Gnss_RvCfg(rover);
  C cmds;
  gnss.Get_Gnss_StartRover(cmds);
  std::vector<std::vector<Wire>> items;
  EXPECT_EQ(Packets(cmds, &items), Lines{"14 @0000: 0451=0C 0450=04 0452[26]"});
  EXPECT_EQ(HexOf(items[0][3].data() + 4, 26), "0001" + std::string(48, '0'));  // mode 1, no coordinates

  Base_Config base;
  base.port = 6;
  base.diff_format = 7;
  base.baud = 115200;
  base.aux_mask = 3;
  gnss.Set_Gnss_BsCfg(base);
  cmds.clear();
  items.clear();
  gnss.Get_Gnss_StartBase(cmds);
  EXPECT_EQ(Packets(cmds, &items),
            (Lines{"14 @0000: 0404=0001 0454=", "14 @0000: 0404=0005 0454=", "14 @0000: 0404=0006 0454=",
                   "14 @0000: 0404=0006 0405=0006", "14 @0000: 0404=0001 0405=0006",
                   "14 @0000: 0451=0A 0450=03 0452[26]", "2 @0000: 0104=0001 0103=0009"}));
  std::uint64_t bits;
  std::memcpy(&bits, &base.latitude, sizeof bits);
  char latitude[17];
  std::snprintf(latitude, sizeof latitude, "%016llX", static_cast<unsigned long long>(bits));
  EXPECT_EQ(HexOf(items[5][3].data() + 4, 10), std::string("0003") + latitude);

  // Any other port: six packets; differential types and speeds by code.
  const struct { std::uint32_t format, baud; const char* type; const char* speed; } codes[] = {
      {3, 2400, "0002", "0001"}, {5, 512000, "0009", "000C"}, {12, 1234, "0004", "0003"}, {4, 19200, "0005", "0005"}};
  for (const auto& c : codes) {
    base = {};
    base.port = 2, base.diff_format = c.format, base.baud = c.baud;
    gnss.Set_Gnss_BsCfg(base);
    cmds.clear();
    gnss.Get_Gnss_StartBase(cmds);
    const Lines lines = Packets(cmds);
    ASSERT_EQ(lines.size(), 6u) << c.format;
    EXPECT_EQ(lines[3] + "|" + lines[5], std::string("14 @0000: 0404=0002 0405=") + c.type +
                                             "|2 @0000: 0104=0001 0103=" + c.speed);
  }
}

TEST(NewProtoReceiverCommandsTest, LoginTextsAndCasterAddressGoInTheirFields) {
  G gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  C cmds;
  gnss.Set_Cors_Login(cmds, kLogin);
  gnss.Set_Gprs_Ip(cmds, IP_ADRES{{192, 168, 1, 2}, 6, "caster"}, 2101, PROTOCOL_NET_UDP);
  std::vector<std::vector<Wire>> items;
  ASSERT_EQ(Packets(cmds, &items).size(), 4u);
  const auto text = [&items](int packet, std::size_t at) {
    return std::string(reinterpret_cast<const char*>(items[packet][1].data() + 4 + at));
  };
  EXPECT_EQ(text(0, 0) + "/" + text(1, 0) + "/" + text(1, 50) + "/" + text(3, 7), "MOUNT/user/pass/caster");
  EXPECT_EQ(HexOf(items[3][1].data(), 11), "11030039C0A80102083501");
}

TEST(NewProtoReceiverCommandsTest, SharedAnswers) {
  NewProtoReceiver r;
  const struct { std::uint32_t charging, first, second; int grade; } batteries[] = {
      {0, 0, 0, 0}, {0, 55, 64, 6}, {1, 100, 100, 10}, {2, 0, 0, 12}, {0, 0, 300, 10}, {0, 0xFFFFFFFF, 0xFFFFFFFF, 10}};
  for (const auto& b : batteries) {
    r.FeedPacket(11, {{0x0304, ItemValue().U32(b.charging).U32(b.first).U32(b.second).bytes()}});
    EXPECT_EQ(r.gnss.Get_Battery_Grd(), b.grade) << b.first << " " << b.second;
  }
  // Levels are averaged as reported: 0 and 300 make 150 %, a full grade.
  // The port speed is the code the receiver reported (9: 115200 baud).
  r.FeedPacket(3, {{0x0103, ItemValue().U16(9).bytes()}});
  EXPECT_EQ(r.gnss.Get_Com_Baudrate(), NV_COM_BAUD_115200);
  // An older receiver answers with its modem's login mode and knows no port
  // speed; other makers answer with the fixed values.
  G older(GNSS_MNFCTR_NORVIK, OEM_NOVATEL), other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  EXPECT_EQ(older.Get_Com_Baudrate(), 0);
  static_cast<LegacyEngine*>(EmGnssTestAccess::Engine(older))->modem_state.record_class = 2;
  EXPECT_EQ(U({older.Get_NetLink_Auto_Open(), other.Get_NetLink_Auto_Open(), other.Get_Battery_Grd(),
               other.GetInfo_Gprs_Signa(), std::int64_t(other.Get_Radio_Frq())}),
            U({2, 0, -1, -1, -1}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
