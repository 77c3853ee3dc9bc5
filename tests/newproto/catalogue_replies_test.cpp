// What the new-protocol getters hand out: values of replies fed through an
// Em_Gnss(2, 8), settings that come back as they were sent, and the fixed
// answers and untouched records of other receivers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "newproto/newproto_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;

template <typename T>
T Got(Em_Gnss& g, void (Em_Gnss::*getter)(T&)) {
  T value{};
  (g.*getter)(value);
  return value;
}

TEST(NewProtoCatalogueRepliesTest, GettersHandOutWhatTheRepliesCarried) {
  NewProtoReceiver r;
  r.FeedPacket(15, {{0x0451, {12}},
                    {0x0405, ItemValue().U16(6).bytes()},
                    {0x0703, ItemValue().F32(438.125f).bytes()},
                    {0x1105, ItemValue().U16(1).U32(2).U16(3).bytes()},
                    {0x140C, ItemValue().U32(21).U8(4).bytes()},
                    {0x1503, ItemValue().U16(3).bytes()},
                    {0x0304, ItemValue().U32(1).U32(2).U32(0xFFFFFFFF).bytes()}});
  Em_Gnss& g = r.gnss;
  const auto link = Got(g, &Em_Gnss::Get_NetLink_Status);
  const auto signal = Got(g, &Em_Gnss::Get_Modem_Signal_Intensity);
  const auto power = Got(g, &Em_Gnss::Get_System_Power_Status);
  EXPECT_EQ(U({g.Get_Gnss_ElevMask(), g.GetInfo_Gnss_ElevMask(), Got(g, &Em_Gnss::Get_Gnss_Diff_Type),
               std::int64_t(g.Get_Radio_Frequency() * 1e3), std::int64_t(g.Get_Radio_Frq() * 1e3), link.status,
               link.value, link.code, signal.intensity, signal.level, g.GetInfo_Gprs_Signa(),
               Got(g, &Em_Gnss::Get_DataLink_Mode), power.value[0], power.value[1], power.value[2]}),
            U({12, 12, 6, 438125, 438125, 1, 2, 3, 21, 4, 4, 3, 1, 2, 0xFFFFFFFF}));
}

TEST(NewProtoCatalogueRepliesTest, OtherReceiversGetFixedAnswersAndUntouchedRecords) {
  Em_Gnss older(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  EXPECT_EQ(
      U({older.Get_Gnss_Pdop_Mask(), older.Get_Radio_Air_Baud(), older.Get_Radio_Power_V2(), older.Get_WIFI_Share()}),
            U({-1, 4800, 0, 0}));
  NV_ACCOUNT_STRUCT account, filled;
  std::memset(&account, 0xAB, sizeof account);
  filled = account;
  older.Get_NetLink_Account(account);
  NV_RADIO_CHANNEL_LIST_EX_STRUCT lists;
  lists.list[1].resize(2);
  older.Get_Radio_Channel_List_All(lists);
  unsigned int length = 77, tag = 5;
  auto status = static_cast<NV_RESPONSE_STATUS_ENUM>(9);
  older.Get_Cmd_Setting_Response(status, tag);
  EXPECT_EQ(older.Get_Gnss_Data_Buff(length), nullptr);
  EXPECT_EQ(older.Get_NMEA_Data_Buff(length), nullptr);
  EXPECT_EQ(std::memcmp(&account, &filled, sizeof account), 0);
  EXPECT_EQ(U({std::int64_t(lists.list[1].size()), length, tag, status}), U({2, 77, 5, 9}));
}

TEST(NewProtoCatalogueRepliesTest, AcknowledgementsBuffersAndLists) {
  NewProtoReceiver r;
  unsigned int length = 99, tag = 0;
  r.FeedPacket(42, {{0x0002, ItemValue().U16(1).bytes()}}, 0x1403);
  NV_RESPONSE_STATUS_ENUM status{};
  r.gnss.Get_Cmd_Setting_Response(status, tag);
  EXPECT_EQ(U({status, tag}), U({1, 0x1403}));

  r.FeedPacket(14, {{0x0408, ItemValue().U32(3).Text("xyz", 3).bytes()}});
  const unsigned char* block = r.gnss.Get_Gnss_Data_Buff(length);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block), length), "xyz");
  r.Feed(Text("$GPGGA,120000.00,3110.0,N,12130.0,E,4,12,0.8,10.0,M,0.0,M,1.0,0000*4D\r\n"));
  const unsigned char* gga = r.gnss.Get_NMEA_Data_Buff(length);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(gga), length).substr(0, 16), "$GPGGA,120000.00");

  // Channel lists replace the caller's whole; extended-property text ends in NUL.
  r.FeedPacket(23, {{0x0715, ItemValue().U32(1).U32(0).U32(2).F32(410).U8(1).F32(420).U8(2).F32(430).U8(3).bytes()},
                    {0x0714, ItemValue().U32(1).U8(2).U8(3).U32(4).Text(std::string(16, 'T'), 16).bytes()}});
  NV_RADIO_CHANNEL_LIST_EX_STRUCT lists;
  lists.list[1].resize(5);
  r.gnss.Get_Radio_Channel_List_All(lists);
  EXPECT_EQ(U({std::int64_t(lists.list[0].size()), std::int64_t(lists.list[1].size()),
               std::int64_t(lists.list[2][0].frequency), lists.list[2][1].value}),
            U({1, 0, 420, 3}));
  EXPECT_EQ(std::string(Got(r.gnss, &Em_Gnss::Get_Radio_Property_Ex).text), std::string(15, 'T'));

  // The caster list: its length, and its bytes through the modem's list getter.
  r.FeedPacket(47, {{0x1106, ItemValue().U32(5).Text("AB;CD", 5).bytes()}});
  char list[2048] = {};
  int copied = 0;
  r.gnss.Get_NetLink_Source_List(nullptr, length);
  r.gnss.Get_Gprs_GetList(list, &copied);
  EXPECT_EQ(U({length, copied}), U({5, 5}));
  EXPECT_EQ(std::string(list), "AB;CD");

  // Dial parameters: each text up to its NUL, the rest of the field zero.
  r.FeedPacket(43, {{0x1403, ItemValue().Text("cmnet", 20).Text(std::string(20, 'x'), 20).Text("", 60).bytes()}});
  NV_MODEM_DIAL_PARA_STRUCT dial;
  std::memset(&dial, 0x7F, sizeof dial);
  r.gnss.Get_Modem_Dial_Param(dial);
  EXPECT_EQ(std::string(dial.field[0], 20), "cmnet" + std::string(15, '\0'));
  EXPECT_EQ(std::string(dial.field[1], 20) + std::string(dial.field[4], 20),
            std::string(20, 'x') + std::string(20, '\0'));
}

// Settings sent by one receiver object and fed to another as its receiver's
// answer come out of the getters as they went in.
TEST(NewProtoCatalogueRepliesTest, SettingsComeBackAsTheyWereSent) {
  Em_Gnss sender(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  const NV_GNSS_BASE_SET_STRUCT base = {3, {-2.5e6, 4.5e6, 3.1e6}};
  const BASE_POS_LIST_STRUCT list = {0.25, 9, {{1.5, 2.5, 7, 0}, {3.5, 4.5, 8, 0}}};
  const NV_RADIO_PROPERTY_EX_STRUCT property = {0x01020304, 5, 6, 0x0708090A, "radio"};
  const NV_FILE_RECORD_CONFIG_STRUCT file = {"site01", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const NV_GNSS_SATELLITE_ENABLE_STRUCT sats = {{1, 2, 0xFFFFFFFF, 4, 5}};
  const NV_IP_ADDRESS_STRUCT address = {0xC0A80001, 2101, 1, "caster.example"};
  const NV_ACCOUNT_STRUCT account = {"user", "password"};
  CommandList cmds;
  sender.Get_Cmd_Gnss_Base_Position(cmds, &base);
  sender.Get_Cmd_Gnss_Base_Position_list(cmds, &list);
  sender.Get_Cmd_Radio_Property_Ex(cmds, &property);
  sender.Get_Cmd_File_Record_Param(cmds, &file, static_cast<NV_FILE_RECORD_IO_ID_ENUM>(1));
  sender.Get_Cmd_Gnss_Sat_Enable(cmds, &sats);
  sender.Get_Cmd_NetLink_Address(cmds, &address);
  sender.Get_Cmd_NetLink_Account(cmds, &account);
  NewProtoReceiver r;
  Bytes stream;
  for (const _STR_CMD& c : cmds) stream.insert(stream.end(), c.buf, c.buf + c.len);
  r.Feed(stream);
  Em_Gnss& g = r.gnss;

  const auto b = Got(g, &Em_Gnss::Get_Gnss_Base_Position);
  BASE_POS_LIST_STRUCT l;
  g.Get_Gnss_Base_Position_list(l);
  ASSERT_EQ(l.entries.size(), 2u);
  const auto p = Got(g, &Em_Gnss::Get_Radio_Property_Ex);
  const auto f = Got(g, &Em_Gnss::Get_File_Record_Param);
  ExpectNear({double(b.mode), b.coord[0], b.coord[2], l.value, double(l.capacity), l.entries[1].second,
              double(l.entries[1].value), double(p.first), double(p.third), double(p.fourth), double(f.value3),
              double(f.flag3), double(f.interval), double(f.value4)},
             {3, -2.5e6, 3.1e6, 0.25, 9, 4.5, 8, 0x01020304, 6, 0x0708090A, 4, 7, 8, 10});
  EXPECT_EQ(std::string(p.text) + "/" + f.name, "radio/site01");
  const auto same = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof x) == 0; };
  EXPECT_TRUE(same(Got(g, &Em_Gnss::Get_Gnss_Sat_Enable), sats));
  EXPECT_TRUE(same(Got(g, &Em_Gnss::Get_NetLink_Address), address));
  EXPECT_TRUE(same(Got(g, &Em_Gnss::Get_NetLink_Account), account));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
