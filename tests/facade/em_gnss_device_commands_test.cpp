// Device commands of the maker's older receivers, as the frames they append.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engines/legacy_engine.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Bytes = std::vector<unsigned char>;
using Build = std::function<void(Em_Gnss&, CommandList&)>;

// Id, payload and wait of one appended legacy frame.
struct Sent {
  std::string id;
  Bytes payload;
  std::uint32_t wait;
  bool operator==(const Sent& o) const { return id == o.id && payload == o.payload && wait == o.wait; }
};

// The frames' route byte (connection 1, command class), check value and
// line end are checked on the way.
std::vector<Sent> Frames(const CommandList& cmds) {
  std::vector<Sent> out;
  for (const _STR_CMD& c : cmds) {
    if (c.len < 9) {
      out.push_back({"", {}, c.wait});
      continue;
    }
    unsigned char x = 0;
    for (std::uint32_t i = 2; i < c.len - 2; ++i) x ^= c.buf[i];
    EXPECT_TRUE(x == 0 && c.buf[4] == 0x18 && c.len == c.buf[5] + 9u && c.buf[c.len - 1] == 0x0A);
    out.push_back({std::string(reinterpret_cast<const char*>(c.buf + 2), 2), Bytes(c.buf + 6, c.buf + 6 + c.buf[5]),
                   c.wait});
  }
  return out;
}

std::vector<Sent> Sends(Em_Gnss& gnss, const Build& build) {
  CommandList cmds;
  build(gnss, cmds);
  return Frames(cmds);
}

// Each operation on the three receiver families: an older receiver gets the
// frames; a new-protocol receiver the same frames (gate maker), a packet of
// its own protocol (maker or either) or nothing (old); other makers nothing.
TEST(DeviceCommands, TemplatesWaitsAndGates) {
  enum Gate { kOld, kEither, kMaker };
  struct Case {
    const char* name;
    Gate gate;
    Build build;
    std::vector<Sent> want;
  };
  NV_COM_BAUD_ENUM fast = NV_COM_BAUD_115200, odd = NV_COM_BAUD_14400;
  const Case cases[] = {
      {"device info", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_DeviceInfo(c); }, {{"SI", {}, 200}}},
      {"output on", kOld, [](Em_Gnss& g, CommandList& c) { g.Get_200Data(c, true); }, {{"RG", {0xC8}, 100}}},
      {"baud 115200", kEither, [&](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Com_Baudrate(c, &fast, NV_COM_PORT_1); },
       {{"SB", {0xFD}, 200}}},
      {"baud without code", kEither,
       [&](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Com_Baudrate(c, &odd, NV_COM_PORT_2); },
       {{"SB", {0xDC}, 200}}},
      {"position 2 Hz", kEither, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Position_Frq(c, GNSS_FRQ_2HZ); },
       {{"SW", {0x00, 0x02}, 200}}},
      {"mode 1", kEither, [](Em_Gnss& g, CommandList& c) { g.Get_NvMdl(c, 1); }, {{"ST", {0x01, 0xFE}, 100}}},
      {"antenna type", kOld, [](Em_Gnss& g, CommandList& c) { g.Set_Static_AnteType(c, "AT,1 2"); },
       {{"FS", {'A', 'T', ',', '1', ' ', '2'}, 10}}},
      {"file dir", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Static_FileDir(c); },
       {{"FM", {}, 200}, {"KC", {0xAA}, 200}}},
      {"read file", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Read_Static_File(c, 0x01020304); },
       {{"FW", {4, 3, 2, 1}, 200}}},
      {"base difference", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Set_BasePosition_Difference(c, 1.0); },
       {{"FK", {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, 100}}},
      {"remove base", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Remove_BasePos_From_List(c, -1); },
       {{"FL", {0xFF}, 100}}},
      {"read base list", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Read_BasePosition_List(c); },
       {{"FJ", {0x01}, 100}}},
      {"clear base list", kMaker, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Clear_BasePosition_List(c); },
       {{"FJ", {0x02}, 100}}},
  };
  Em_Gnss older(GNSS_MNFCTR_NORVIK, OEM_NOVATEL), newer(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO),
      other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  for (const Case& c : cases) {
    EXPECT_EQ(Sends(older, c.build), c.want) << c.name;
    CommandList own;
    c.build(newer, own);
    if (c.gate == kEither)
      EXPECT_TRUE(!own.empty() && own[0].buf[2] == 0x01) << c.name << ": a new-protocol packet";
    else
      EXPECT_EQ(Frames(own), c.gate == kMaker ? c.want : std::vector<Sent>{}) << c.name;
    EXPECT_TRUE(Sends(other, c.build).empty()) << c.name;
  }
  EXPECT_TRUE(Sends(older, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Com_Baudrate(c, nullptr, NV_COM_PORT_1); }).empty());
  EXPECT_TRUE(Sends(older, [](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Position_Frq(c, GNSS_FRQ_STOP); }).empty());
}

TEST(DeviceCommands, SettingsAndByteRecords) {
  Em_Gnss g(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Set_DevcInfo_ManualRrdTime(c, 0x1234); }),
            (std::vector<Sent>{{"SJ", {0x5C, 0x34}, 200}, {"SJ", {0x5D, 0x12}, 200}}));
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Set_DevcInfo_AutoBaseDist(c, 0x1234); }),
            (std::vector<Sent>{{"SJ", {0x61, 0x34, 0x12}, 200}}));
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Set_DevcInfo_Mask(c, 0x1FF); }),
            (std::vector<Sent>{{"SJ", {0x32, 0xFF}, 200}}));
  // Beginning with a recording time: record type 0, the time, then FD and FH.
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Set_Static_Begin(c, true, 0x0102); }),
            (std::vector<Sent>{{"SJ", {0x2A, 0x00}, 200},
                               {"SJ", {0x5C, 0x02}, 200},
                               {"SJ", {0x5D, 0x01}, 200},
                               {"FD", {0x00}, 100},
                               {"FH", {0x01}, 100}}));
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Set_Static_Begin(c, false, 5); }),
            (std::vector<Sent>{{"FD", {0x01}, 100}, {"FH", {0x00}, 100}}));

  unsigned char table[128];
  for (int i = 0; i < 128; ++i) table[i] = static_cast<unsigned char>(i);
  const std::vector<Sent> crs =
      Sends(g, [&](Em_Gnss& e, CommandList& c) { e.Send_DevcInfo_Update_Crs(c, 0x1234, table, 0); });
  ASSERT_EQ(crs.size(), 1u);
  EXPECT_EQ(Bytes(crs[0].payload.begin(), crs[0].payload.begin() + 6), (Bytes{0, 0, 0, 0x12, 0x34, 0}));
  EXPECT_EQ(crs[0].payload.size(), 133u);
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Send_DevcInfo_Update_Str(c); }),
            (std::vector<Sent>{{"SS", {0x01, 0x06}, 100}}));

  Static_Point p = {};
  p.name_length = 3;
  std::memcpy(p.name, "abc", 3);
  p.value = 0x01020304;
  p.byte_value = 9;
  p.kind = 4;
  EXPECT_EQ(Sends(g, [&](Em_Gnss& e, CommandList& c) { e.Set_Static_Point(c, &p); }),
            (std::vector<Sent>{{"FA", {3, 'a', 'b', 'c', 4, 3, 2, 1, 9, 3}, 10}}));
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) { e.Set_eBubble_calibration(c, true, 0x1234); }),
            (std::vector<Sent>{{"FG", {1, 0x34, 0x12}, 10}}));
  // Settings and records only an older receiver takes; the calibration goes
  // to a new-protocol receiver in its own protocol.
  Em_Gnss newer(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO), other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  for (Em_Gnss* x : {&newer, &other}) {
    EXPECT_TRUE(Sends(*x, [&](Em_Gnss& e, CommandList& c) {
                  e.Set_DevcInfo_Mask(c, 1);
                  e.Set_DevcInfo_ManualRrdTime(c, 1);
                  e.Set_Static_Begin(c, true, 5);
                  e.Set_Static_Point(c, &p);
                  e.Send_DevcInfo_Update_Str(c);
                }).empty());
    CommandList calibration;
    x->Set_eBubble_calibration(calibration, true, 1);
    EXPECT_EQ(calibration.empty() ? -1 : calibration[0].buf[2], x == &newer ? 0x01 : -1);
  }

  // A connection status that allows no frame still appends the records, empty.
  g.Set_Com_Status(static_cast<Com_Status>(5));
  EXPECT_EQ(Sends(g, [](Em_Gnss& e, CommandList& c) {
              e.Get_DeviceInfo(c);
              e.Set_DevcInfo_Mask(c, 1);
              e.Send_DevcInfo_Update_Str(c);
            }),
            (std::vector<Sent>{{"", {}, 200}, {"", {}, 200}, {"", {}, 100}}));
}

TEST(DeviceCommands, KinematicPointsTravelInPieces) {
  Em_Gnss g(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  StartPointInfo start = {};
  start.head.number = 7;
  start.name_length = 32;
  start.text_length = 10;
  const std::vector<Sent> s = Sends(g, [&](Em_Gnss& e, CommandList& c) { e.Get_Cmd_StartPPKpt(c, &start); });
  ASSERT_EQ(s.size(), 2u);  // 87 bytes: 55 + 32
  EXPECT_TRUE(s[0].id == "FY" && s[0].payload.size() == 55 && s[1].payload.size() == 32 && s[1].wait == 10);
  EXPECT_EQ(Bytes(s[0].payload.begin(), s[0].payload.begin() + 9), (Bytes{1, 0x0B, 0xF4, 81, 6, 7, 0, 0, 0}));

  EndPointInfo end = {};
  end.value = 0xA0B0C0D0;
  const std::vector<Sent> e = Sends(g, [&](Em_Gnss& x, CommandList& c) { x.Get_Cmd_EndPPKpt(&end, c); });
  ASSERT_EQ(e.size(), 1u);
  ASSERT_EQ(e[0].payload.size(), 47u);
  EXPECT_EQ(Bytes(e[0].payload.begin() + 41, e[0].payload.end()), (Bytes{0xD0, 0xC0, 0xB0, 0xA0, 0x10, 0x04}));
  AntPointInfo antenna = {};
  antenna.byte_value = 5;
  const std::vector<Sent> a = Sends(g, [&](Em_Gnss& x, CommandList& c) { x.Get_Cmd_AntPPKpt(&antenna, c); });
  ASSERT_EQ(a.size(), 2u);  // 60 bytes: 55 + 5
  EXPECT_TRUE(a[0].payload[3] == 54 && a[0].payload[41] == 5 && a[1].payload.size() == 5);
  EXPECT_TRUE(Sends(g, [](Em_Gnss& x, CommandList& c) { x.Get_Cmd_AntPPKpt(nullptr, c); }).empty());
}

TEST(DeviceCommands, ReceiverNmeaFollowsTheBoardsCommands) {
  std::vector<_set_nmea> list = {{0x800, GNSS_FRQ_1HZ}, {0x10000, GNSS_FRQ_5HZ}, {0x1, GNSS_FRQ_10HZ},
                                 {0x40 | 0x10, GNSS_FRQ_2HZ}, {0x0, GNSS_FRQ_1HZ}};
  Em_Gnss g(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  std::vector<Sent> sent = Sends(g, [&](Em_Gnss& e, CommandList& c) { e.Set_Norvik_NMEA(c, list, 3, true); });
  ASSERT_EQ(sent.size(), 5u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(sent[i].id, "RZ") << i;  // the NovAtel board's LOG commands
  // GGA, GSV and ALM (twice): M = 0x103.
  EXPECT_EQ(sent[3], (Sent{"RF", {0x01, 0x03, 3}, 100}));
  EXPECT_EQ(sent[4], (Sent{"RD", {1, 0x01, 0x03, 3, 1, 11, 0, 0, 0, 0, 0, 0, 2, 0, 0}, 100}));
  // The first form sends RF only; without a board nothing at all.
  sent = Sends(g, [&](Em_Gnss& e, CommandList& c) { e.Set_Norvik_NMEA(c, list, 1); });
  EXPECT_EQ(sent.back(), (Sent{"RF", {0x01, 0x03, 1}, 100}));
  g.Reset_Mnfctr(GNSS_MNFCTR_NORVIK);  // a new engine has no board yet
  EXPECT_TRUE(Sends(g, [&](Em_Gnss& e, CommandList& c) { e.Set_Norvik_NMEA(c, list, 1, false); }).empty());
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
