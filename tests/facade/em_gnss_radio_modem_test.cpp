// Modem and radio commands of an older receiver: the modem packets they
// append, the radio types that allow them, and the answers they give from
// what the receiver reported.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "engines/legacy_engine.h"
#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Bytes = std::vector<unsigned char>;

// Code, data and wait of the modem packet in each appended VS frame.
using Packet = std::tuple<int, Bytes, std::uint32_t>;

std::vector<Packet> Packets(const CommandList& cmds) {
  std::vector<Packet> out;
  for (const _STR_CMD& c : cmds) {
    const unsigned char* p = c.buf + 6;  // the modem packet
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.buf + 2), 2), "VS");
    EXPECT_EQ(p[0], 0x40);
    EXPECT_EQ(p[2], static_cast<unsigned char>(~p[1]));
    const unsigned length = p[3] | (p[4] << 8);
    unsigned char check = 0;
    for (unsigned i = 0; i < length + 6; ++i) check ^= p[i];
    EXPECT_EQ(check, 0) << "packet check";
    out.push_back({p[1], Bytes(p + 5, p + 5 + length), c.wait});
  }
  return out;
}

struct OlderReceiver {
  explicit OlderReceiver(int radio_kind = 3) : gnss(GNSS_MNFCTR_NORVIK, OEM_NOVATEL) {
    engine = dynamic_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss));
    engine->device_info_seen = engine->modem_version_seen = 1;
    engine->SetRadioKind(radio_kind);
  }
  template <class Build>
  std::vector<Packet> Sent(Build build) {
    CommandList cmds;
    build(gnss, cmds);
    return Packets(cmds);
  }
  Em_Gnss gnss;
  LegacyEngine* engine;
};

TEST(RadioCommands, FrequencyCodesByRadioType) {
  struct Case {
    int kind;
    double mhz;
    int code;
    unsigned value;
  } cases[] = {
      {3, 460.0125, 109, 36801},  // 12.5 kHz steps from 0 MHz
      {1, 456.0, 97, 20},         // 50 kHz steps from the range's bottom
      {2, 409.0, 97, 0},          // below the range: its bottom
      {4, 500.0, 109, 34400},     // above the range: its top
      {8, 410.0123, 109, 32801},  // 12.5 kHz until another spacing is chosen
  };
  for (const Case& c : cases) {
    OlderReceiver r(c.kind);
    int result = 0;
    EXPECT_EQ(r.Sent([&](Em_Gnss& g, CommandList& cmds) { result = g.Set_Radio_Frq(cmds, c.mhz); }),
              (std::vector<Packet>{{c.code, {static_cast<unsigned char>(c.value), static_cast<unsigned char>(c.value >> 8)}, 100}}))
        << c.kind << " " << c.mhz;
    EXPECT_EQ(result, 1);
  }
  // A chosen spacing of 20 kHz counts radio type 8 in 20 kHz steps.
  OlderReceiver r(8);
  r.Sent([](Em_Gnss& g, CommandList& cmds) { EXPECT_EQ(g.Set_Radio_ChannelSpace(cmds, CHANNEL_SPACE_20), 1); });
  EXPECT_EQ(r.Sent([](Em_Gnss& g, CommandList& cmds) { g.Set_Radio_Frq(cmds, 410.02); })[0], (Packet{109, {0x15, 0x50}, 100}));
}

TEST(RadioCommands, TypesGatesAndQueries) {
  OlderReceiver r8(8), r7(7), r5(5);
  int result = -5;
  EXPECT_TRUE(r8.Sent([&](Em_Gnss& g, CommandList& c) { result = g.Set_Radio_Baudrate(c, RADIO_BAUD_1); }).empty());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(r7.Sent([](Em_Gnss& g, CommandList& c) { g.Set_Radio_Baudrate(c, RADIO_BAUD_2); }),
            (std::vector<Packet>{{120, {2}, 200}}));
  EXPECT_TRUE(r5.Sent([](Em_Gnss& g, CommandList& c) { EXPECT_EQ(g.Get_Radio_Power(c), 0); }).empty());
  EXPECT_EQ(r7.Sent([](Em_Gnss& g, CommandList& c) { g.Set_Radio_Power(c, RADIO_POWER_HIGH); }),
            (std::vector<Packet>{{117, {2}, 200}}));
  Radio_Callsign sign = {1, 300, {'A', 'B', 'C'}, 3};
  EXPECT_EQ(r8.Sent([&](Em_Gnss& g, CommandList& c) { g.Set_Radio_Callsign(c, sign); }),
            (std::vector<Packet>{{144, {1, 44, 'A', 'B', 'C'}, 200}}));
  sign.length = 15;
  EXPECT_TRUE(r8.Sent([&](Em_Gnss& g, CommandList& c) { EXPECT_EQ(g.Set_Radio_Callsign(c, sign), 0); }).empty());
  // Channel lists and their frequencies work whatever the radio type.
  EXPECT_EQ(r5.Sent([](Em_Gnss& g, CommandList& c) {
              g.Set_Radio_Channel_Freq(c, 1, 450.0, CHANNEL_SPACE_12_5);
              g.Set_Radio_Channel_Type(c, 3, RDO_CHANNEL_TYPE_1);
              g.Query_Radio_ChannelList_Freq(c);
            }),
            (std::vector<Packet>{{132, {0x01, 0xA0, 0x8C}, 200}, {146, {3, 1}, 200}, {133, {}, 200}}));

  // The frequency query and the range answers wait for the device
  // information and the modem version.
  OlderReceiver fresh(3);
  fresh.engine->modem_version_seen = 0;
  Radio_Range range = {};
  EXPECT_EQ(fresh.gnss.Get_Radio_Range(range), 1);
  fresh.engine->device_info_seen = 0;
  EXPECT_TRUE(fresh.Sent([](Em_Gnss& g, CommandList& c) { EXPECT_EQ(g.Get_Radio_Frq(c), 0); }).empty());
  EXPECT_EQ(r5.Sent([](Em_Gnss& g, CommandList& c) { EXPECT_EQ(g.Get_Radio_Frq(c), 2); }),
            (std::vector<Packet>{{110, {}, 200}}));
  EXPECT_EQ(std::get<0>(OlderReceiver(2).Sent([](Em_Gnss& g, CommandList& c) { g.Get_Radio_Frq(c); })[0]), 98);
  EXPECT_EQ(r8.gnss.Get_Radio_Range(range), 2);
  EXPECT_EQ((std::vector<double>{range.highest_mhz, range.lowest_mhz, range.spacing_khz}),
            (std::vector<double>{473, 403, 12.5}));
  // The information words of each radio type are constants of the receiver.
  Radio_Info info = {};
  EXPECT_EQ(OlderReceiver(9).gnss.Get_Radio_Info(info), 2);
  EXPECT_EQ(+info.type, 9u);
  EXPECT_EQ(OlderReceiver(11).gnss.Get_Radio_Info(info), -1);
}

TEST(ModemCommands, PacketsByModemKind) {
  OlderReceiver r;
  EXPECT_EQ(r.Sent([](Em_Gnss& g, CommandList& c) { g.Set_Gprs_CosMdl(c, 3); }),
            (std::vector<Packet>{{113, {0}, 2000}, {105, {3}, 200}}));
  IP_ADRES ip = {{10, 1, 2, 3}, 7, "ntrip.x"};
  ip.host_length = 7;
  EXPECT_EQ(r.Sent([&](Em_Gnss& g, CommandList& c) {
              g.Get_Gprs_Info(c);
              g.Set_Gprs_Ip(c, ip, 2101, PROTOCOL_NET_UDP);
            }),
            (std::vector<Packet>{{89, {}, 200}, {82, {10, 1, 2, 3, 0x08, 0x35, 1}, 200}}));
  r.engine->modem_state.kind_flag = 1;  // the newer modem: host names, its own codes
  EXPECT_EQ(r.Sent([&](Em_Gnss& g, CommandList& c) {
              g.Get_Gprs_Info(c);
              g.Set_Gprs_Ip(c, ip, 2101, PROTOCOL_NET_TCP);
            }),
            (std::vector<Packet>{{115, {}, 200}, {114, {'n', 't', 'r', 'i', 'p', '.', 'x', 0, 0x08, 0x35, 0}, 200}}));
  SvcInfo svc = {"apn", "user", "", "12"};
  EXPECT_EQ(r.Sent([&](Em_Gnss& g, CommandList& c) { g.Set_Gprs_SvcInfo(c, svc); }),
            (std::vector<Packet>{{86, {}, 200}, {88, {'1', '2'}, 200}, {87, {'a', 'p', 'n', 0, 'u', 's', 'e', 'r'}, 200}}));

  // The list request: the modem packet, then a VM frame of the modem class.
  CommandList cmds;
  r.gnss.Send_Gprs_GetList(cmds);
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(Bytes(cmds[1].buf, cmds[1].buf + cmds[1].len), (Bytes{0x24, 0x24, 'V', 'M', 0x1B, 1, 1, 0x00, 0x0D, 0x0A}));

  r.engine->device_info_seen = 0;
  cmds.clear();
  EXPECT_FALSE(r.gnss.Send_Gprs_Version(cmds));
  EXPECT_TRUE(cmds.empty());
}

TEST(ModemCommands, DataAreCutOnlyWhereTheFrameEnds) {
  OlderReceiver r;
  // 244 data bytes and the check fill the 250 bytes a frame carries.
  const Bytes id(300, 'A');
  EXPECT_EQ(r.Sent([&](Em_Gnss& g, CommandList& c) { g.Set_Gprs_BaseId(c, id.data(), 244); }),
            (std::vector<Packet>{{94, Bytes(244, 'A'), 200}}));
  const std::string number(244, '7');
  EXPECT_EQ(r.Sent([&](Em_Gnss& g, CommandList& c) { g.Set_GSM_NumInfo(c, number.c_str()); })[1],
            (Packet{88, Bytes(244, '7'), 200}));
  // Longer data keep their length field; the frame ends after 245 of them.
  CommandList cmds;
  r.gnss.Set_Gprs_BaseId(cmds, id.data(), 300);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ((Bytes{cmds[0].buf[5], cmds[0].buf[9], cmds[0].buf[10], cmds[0].buf[255], cmds[0].buf[257]}),
            (Bytes{250, 0x2C, 0x01, 'A', 0x0D}));
}

// Each modem and radio operation tried on the three receiver families:
// older receivers get VS frames; a new-protocol receiver gets nothing from
// the old-gated ones, new-protocol packets from those that serve both and
// the VS frames of the maker-gated ones; other makers get nothing.
TEST(ModemCommands, GatesOverTheThreeFamilies) {
  enum Gate { kOld, kEither, kMaker };
  const struct {
    const char* name;
    Gate gate;
    void (*build)(Em_Gnss&, CommandList&);
  } cases[] = {
      {"info", kOld, [](Em_Gnss& g, CommandList& c) { g.Get_Gprs_Info(c); }},
      {"signal", kOld, [](Em_Gnss& g, CommandList& c) { g.Get_Gprs_Signal(c); }},
      {"status", kOld, [](Em_Gnss& g, CommandList& c) { g.Get_Gprs_Status(c); }},
      {"error", kOld, [](Em_Gnss& g, CommandList& c) { g.Get_Gprs_Eroinfo(c); }},
      {"reset", kOld, [](Em_Gnss& g, CommandList& c) { g.Get_Gprs_Reset(c); }},
      {"caster mode", kOld, [](Em_Gnss& g, CommandList& c) { g.Set_Gprs_CosMdl(c, 1); }},
      {"number", kOld, [](Em_Gnss& g, CommandList& c) { g.Set_GSM_NumInfo(c, "123"); }},
      {"service", kOld, [](Em_Gnss& g, CommandList& c) { g.Set_Gprs_SvcInfo(c, SvcInfo{"a", "b", "c", "d"}); }},
      {"base id", kOld,
       [](Em_Gnss& g, CommandList& c) { g.Set_Gprs_BaseId(c, reinterpret_cast<const unsigned char*>("ID"), 2); }},
      {"dial", kOld, [](Em_Gnss& g, CommandList& c) { g.Set_Dial_Prtl(c, 1); }},
      {"radio power", kOld, [](Em_Gnss& g, CommandList& c) { g.Set_Radio_Power(c, RADIO_POWER_HIGH); }},
      {"disconnect", kEither, [](Em_Gnss& g, CommandList& c) { g.Send_Gprs_DisConct(c); }},
      {"address", kEither,
       [](Em_Gnss& g, CommandList& c) { g.Set_Gprs_Ip(c, IP_ADRES{{1, 2, 3, 4}, 0, ""}, 80, PROTOCOL_NET_TCP); }},
      {"list", kEither, [](Em_Gnss& g, CommandList& c) { g.Send_Gprs_GetList(c); }},
      {"channel frequency", kMaker,
       [](Em_Gnss& g, CommandList& c) { g.Set_Radio_Channel_Freq(c, 1, 450, CHANNEL_SPACE_12_5); }},
      {"channel types", kMaker, [](Em_Gnss& g, CommandList& c) { g.Query_Radio_ChannelList_Type(c); }},
      {"channel type", kMaker, [](Em_Gnss& g, CommandList& c) { g.Set_Radio_Channel_Type(c, 1, RDO_CHANNEL_TYPE_1); }},
      {"channel frequencies", kMaker, [](Em_Gnss& g, CommandList& c) { g.Query_Radio_ChannelList_Freq(c); }},
  };
  OlderReceiver older(7);
  Em_Gnss newer(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO), other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  // "VS" for a modem frame, "new" for a new-protocol frame, "" for nothing.
  const auto first = [](Em_Gnss& g, void (*build)(Em_Gnss&, CommandList&)) {
    CommandList c;
    build(g, c);
    if (c.empty()) return std::string();
    return c[0].buf[2] == 0x01 ? std::string("new") : std::string(reinterpret_cast<const char*>(c[0].buf + 2), 2);
  };
  for (const auto& c : cases) {
    EXPECT_EQ(first(older.gnss, c.build), "VS") << c.name;
    EXPECT_EQ(first(newer, c.build), c.gate == kOld ? "" : c.gate == kEither ? "new" : "VS") << c.name;
    EXPECT_EQ(first(other, c.build), "") << c.name;
  }
}

TEST(ModemCommands, CapabilitiesFromTheVersion) {
  OlderReceiver r;
  ModemState& m = r.engine->modem_state;
  WirelessInfo info = {};
  struct Case {
    int major, minor, kind;
    std::uint32_t word;
    int byte;
  } cases[] = {{2, 87, 0, 0x00690000, 3},
               {2, 88, 0, 0x00690000 | 0x00140000, 7},
               {3, 59, 1, 0x00E90000 | 0x00140000, 7},
               {4, 69, 0, 0x00690000 | 0x00140000 | 0x00020000, 7}};
  for (const Case& c : cases) {
    m.major = c.major, m.minor = c.minor, m.kind_flag = static_cast<std::uint8_t>(c.kind);
    r.gnss.GetInfo_Gprs_Info(info);
    EXPECT_EQ((std::vector<std::uint32_t>{info.capability, info.capability_byte}),
              (std::vector<std::uint32_t>{c.word, static_cast<std::uint32_t>(c.byte)}))
        << c.major << "." << c.minor;
  }
  r.engine->modem_version_seen = 0;  // nothing known of the modem yet
  r.gnss.GetInfo_Gprs_Info(info);
  EXPECT_EQ((std::vector<std::uint32_t>{info.capability, info.capability_byte}), (std::vector<std::uint32_t>{0, 3}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
