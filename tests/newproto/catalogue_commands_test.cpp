// The new-protocol command catalogue read back from the frames: code, tag
// and items of every request; nothing for older receivers or other makers.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "newproto/catalogue_wire.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;
using G = Em_Gnss;
using C = CommandList;

struct CommandCase {
  std::function<void(G&, C&)> build;
  const char* want;
};

const std::uint8_t kTen = 10, kOne = 1;
const std::uint16_t kTwo = 2;
const float kMhz = 438.125f;
const unsigned int kStep = 12500;
const unsigned char kAbc[] = {'a', 'b', 'c'};
const NV_BLOCK_DATA_STRUCT kBlock = {3, kAbc};
const NV_GNSS_BASE_SET_STRUCT kBase = {};
const BASE_POS_LIST_STRUCT kList = {0.5, 8, {{1, 2, 3, 0}, {4, 5, 6, 0}}};
const NV_RADIO_PROPERTY_EX_STRUCT kProperty = {};
const NV_RADIO_CALLSIGN_STRUCT kCallsign = {};
const NV_FILE_RECORD_CONFIG_STRUCT kFile = {};
const auto kPort2 = static_cast<NV_GNSS_IO_ID_ENUM>(2);
const auto kRecord2 = static_cast<NV_FILE_RECORD_IO_ID_ENUM>(2);

const CommandCase kCatalogue[] = {
    {[](G& g, C& c) { g.Get_Cmd_Com_Direct(c, static_cast<NV_COM_DIRECT_ENUM>(3)); }, "2 @0108: 0108=0003"},
    {[](G& g, C& c) { g.Get_Cmd_System_Admin(c, 0x0102); }, "10 @0308: 0308=0102"},
    {[](G& g, C& c) { g.Get_Cmd_System_Power_Off(c); }, "10 @0303: 0303="},
    {[](G& g, C& c) { g.Get_Cmd_System_Power_Status_Query(c); }, "11 @0000: 0304="},
    {[](G& g, C& c) { g.Get_Cmd_System_GSensor_Valid(c, {1, 0x0203}); }, "10 @0309: 0309=010203"},
    {[](G& g, C& c) { g.Send_Magnetometer_Calibration(c, true, 60); }, "10 @0309: 0309=02003C"},
    {[](G& g, C& c) { g.Send_Magnetometer_Calibration(c, false, 0x12345); }, "10 @0309: 0309=032345"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Data_Freq(c, NV_DATA_FRQ_1HZ); }, "14 @0403: 0403=0009"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Data_Freq(c, {{0x0410, 9}, {0x040C, 11}, {0x0407, 6}}, NV_GNSS_IO_ID_NONE); },
     "14 @000E: 0410=0009 040C=000B 0407=0006"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Data_Freq(c, DataFreq{0x041B, 2}, kPort2); }, "14 @000E: 0404=0002 041B=0002"},
    // Ids of other shapes would be encoded from the wrong record: left out.
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Data_Freq(c, {{0x0457, 9}, {0x0A03, 9}, {0x0411, 12}}, NV_GNSS_IO_ID_NONE); },
     "14 @000E: 0411=000C"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Data_Unlogall(c, kPort2); }, "14 @0454: 0404=0002 0454="},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_IO_ID(c, NV_GNSS_IO_ID_NONE); }, "14 @0000: 0404=0000"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_IO_DiffData(c, kPort2, NV_GNSS_DIFF_RTCM3); }, "14 @0000: 0404=0002 0405=0006"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_ElevMask(c, &kTen); }, "14 @0451: 0451=0A"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_ElevMask(c, nullptr); }, "15 @0451: 0451="},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Base_Position(c, &kBase); }, "14 @0452: 0452[26]"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Base_Position_list(c, &kList); }, "14 @0457: 0457[58]"},
    {[](G& g, C& c) { g.Get_Cmd_Gnss_Current_Position_Query(c); }, "15 @0000: 0410="},
    {[](G& g, C& c) { g.Get_Cmd_Radio_Frequency(c, &kMhz); }, "22 @0703: 0703=43DB1000"},
    {[](G& g, C& c) { g.Get_Cmd_Radio_Air_Baud(c, &kStep); }, "22 @070B: 070B=000030D4"},
    // The radio protocol item has no value layout: it goes out empty even
    // with a value, as deployed receivers expect.
    {[](G& g, C& c) { g.Get_Cmd_Radio_Protocol(c, &kTwo); }, "22 @070C: 070C="},
    {[](G& g, C& c) { g.Get_Cmd_Radio_Power_On(c, true); }, "22 @0000: 070E="},
    {[](G& g, C& c) { g.Get_Cmd_Radio_Property_Ex(c, &kProperty); }, "22 @0714: 0714[26]"},
    {[](G& g, C& c) { g.Get_Cmd_Radio_Callsign(c, &kCallsign); }, "22 @0718: 0718[19]"},
    {[](G& g, C& c) { g.Get_Cmd_WIFI_Auto_Open(c, nullptr); }, "35 @0A07: 0A07="},
    // The Wi-Fi pair is the other way round from the radio and modem pairs.
    {[](G& g, C& c) { g.Get_Cmd_WIFI_Open(c, true); }, "34 @0000: 0A06="},
    {[](G& g, C& c) { g.Get_Cmd_WIFI_Open(c, false); }, "34 @0000: 0A05="},
    {[](G& g, C& c) { g.Get_Cmd_File_Record_Open(c, true, kRecord2); }, "38 @0000: 0B09=0002 0B03="},
    {[](G& g, C& c) { g.Get_Cmd_File_Record_Status_Query(c, kRecord2); }, "39 @0000: 0B09=0002 0B07="},
    {[](G& g, C& c) { g.Get_Cmd_File_Record_Param(c, &kFile, kRecord2); }, "38 @0B06: 0B09=0002 0B06[43]"},
    {[](G& g, C& c) { g.Get_Cmd_File_Record_PPK(c, &kBlock); }, "38 @0B08: 0B08=00000003616263"},
    {[](G& g, C& c) { g.Get_Cmd_NetLink_Auto_Open(c, &kOne); }, "46 @1109: 1109=01"},
    {[](G& g, C& c) { g.Get_Cmd_Modem_Dial(c, true); }, "42 @0000: 1405="},
    {[](G& g, C& c) { g.Get_Cmd_Modem_Dial_Param(c, nullptr); }, "43 @1403: 1403="},
    {[](G& g, C& c) { g.Get_Cmd_DataLink_Mode(c, &kTwo); }, "50 @1503: 1503=0002"},
    {[](G& g, C& c) { g.Get_Cmd_DataLink_Differential_Data(c, &kBlock); }, "50 @1504: 1504=00000003616263"},
};

TEST(NewProtoCatalogueTest, EveryRequestCarriesItsCodeTagAndItems) {
  G gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO), older(GNSS_MNFCTR_NORVIK, OEM_NOVATEL),
      other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  for (const CommandCase& c : kCatalogue) {
    C cmds, none;
    c.build(gnss, cmds);
    EXPECT_EQ(Packets(cmds), Lines{c.want});
    if (std::strstr(c.want, "0451") != nullptr) continue;  // the elevation mask serves older receivers too
    c.build(older, none);
    c.build(other, none);
    EXPECT_TRUE(none.empty()) << c.want;
  }
}

// A text in a character field of n bytes, in hex, zero-filled.
std::string Field(const std::string& text, std::size_t n) {
  const std::string padded = text + std::string(n - text.size(), '\0');
  return HexOf(reinterpret_cast<const unsigned char*>(padded.data()), n);
}

TEST(NewProtoCatalogueTest, CompositeValuesGoOutFieldByField) {
  G gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  const NV_GNSS_SATELLITE_ENABLE_STRUCT masks = {{0x01020304, 0x0A0B0C0D, 0x11121314, 0xFFFFFFFF, 0x80000001}};
  NV_WIFI_PARA_AP_STRUCT ap = {};
  std::strcpy(ap.name, "ap-1");
  ap.security = 0x0102;
  std::strcpy(ap.password, "pw");
  NV_IP_ADDRESS_STRUCT address = {};
  address.address = 0xC0A80102;
  address.port = 2101;
  address.kind = 1;
  std::strcpy(address.host, "caster");
  NV_ACCOUNT_STRUCT account = {};
  std::strcpy(account.user, "user@x");
  std::strcpy(account.password, "secret");
  NV_MODEM_DIAL_PARA_STRUCT dial = {};
  const char* dial_fields[] = {"cmnet", "user", "pass", "*99#", "x"};
  for (int i = 0; i < 5; ++i) std::strcpy(dial.field[i], dial_fields[i]);
  const struct {
    std::function<void(G&, C&)> build;
    const char* packet;
    std::string item;  // id, length, value
  } cases[] = {
      {[&](G& g, C& c) { g.Get_Cmd_Gnss_Sat_Enable(c, &masks); }, "14 @0455:",
       "04550014" "01020304" "0A0B0C0D" "11121314" "FFFFFFFF" "80000001"},
      {[&](G& g, C& c) { g.Get_Cmd_WIFI_Param_AP(c, &ap); }, "34 @0A03:",
       "0A03002A" + Field("ap-1", 20) + "0102" + Field("pw", 20)},
      {[&](G& g, C& c) { g.Get_Cmd_NetLink_Address(c, &address); }, "46 @1103:",
       "11030039" "C0A80102" "0835" "01" + Field("caster", 50)},
      {[&](G& g, C& c) { g.Get_Cmd_NetLink_Account(c, &account); }, "46 @110B:",
       "110B0046" + Field("user@x", 50) + Field("secret", 20)},
      {[&](G& g, C& c) { g.Get_Cmd_Modem_Dial_Param(c, &dial); }, "42 @1403:",
       "14030064" + Field("cmnet", 20) + Field("user", 20) + Field("pass", 20) + Field("*99#", 20) + Field("x", 20)},
  };
  for (const auto& c : cases) {
    C cmds;
    c.build(gnss, cmds);
    std::vector<std::vector<Wire>> items;
    const Lines lines = Packets(cmds, &items);
    ASSERT_EQ(lines.size(), 1u) << c.packet;
    EXPECT_EQ(lines[0].substr(0, std::strlen(c.packet)), c.packet);
    ASSERT_EQ(items[0].size(), 2u) << c.packet;
    EXPECT_EQ(HexOf(items[0][1].data(), items[0][1].size()), c.item) << c.packet;
  }
}

TEST(NewProtoCatalogueTest, BaseListCountTravelsInOneByte) {
  G gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  // 300 entries: the count byte says 44 and 44 entries follow.
  const BASE_POS_LIST_STRUCT list = {1.5, 255, std::vector<NV_BASE_POS_ENTRY_STRUCT>(300, {1, 2, 7, 0})};
  C cmds;
  gnss.Get_Cmd_Gnss_Base_Position_list(cmds, &list);
  std::vector<std::vector<Wire>> items;
  EXPECT_EQ(Packets(cmds, &items), Lines{"14 @0457: 0457[1066]"});
  EXPECT_EQ(HexOf(items[0][1].data() + 12, 2), "FF2C");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
