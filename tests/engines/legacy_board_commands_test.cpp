// Board commands through an older receiver: the board's commands in RZ
// frames, the receiver's own frames around them, and the receiver's stored
// answers. Every expected record is written out as the receiver and the
// board's command language define it.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engines/legacy_engine.h"
#include "support/test_adapter.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Lines = std::vector<std::string>;

// Board commands as text when every byte is printable or a line end, else
// (and the receiver's own settings always) as hex bytes.
std::string Show(const unsigned char* p, std::size_t n, bool board = true) {
  bool text = board;
  for (std::size_t i = 0; i < n; ++i) text = text && ((p[i] >= 0x20 && p[i] < 0x7F) || p[i] == '\r' || p[i] == '\n');
  if (text) return std::string(reinterpret_cast<const char*>(p), n);
  std::string hex;
  for (std::size_t i = 0; i < n; ++i) {
    char b[4];
    std::snprintf(b, sizeof b, i == 0 ? "%02X" : " %02X", p[i]);
    hex += b;
  }
  return hex;
}

// One line per record: "<id> <wait> <payload>" for a receiver frame (whose
// route byte, check value and line end are checked on the way), "raw <wait>
// <bytes>" for a record taken as it is, "-" for an empty one.
Lines Records(const CommandList& cmds) {
  Lines out;
  for (const _STR_CMD& c : cmds) {
    const std::string wait = std::to_string(c.wait);
    if (c.len == 0) {
      out.push_back("-");
    } else if (c.len >= 9 && c.buf[0] == '$' && c.buf[1] == '$' && c.len == c.buf[5] + 9u) {
      unsigned char x = 0;
      for (std::uint32_t i = 2; i < c.len - 2; ++i) x ^= c.buf[i];
      EXPECT_EQ(x, 0) << "check value";
      EXPECT_EQ(c.buf[4], 0x18) << "route byte";
      EXPECT_EQ(c.buf[c.len - 2] * 256 + c.buf[c.len - 1], 0x0D0A);
      const std::string id(reinterpret_cast<const char*>(c.buf + 2), 2);
      out.push_back(id + " " + wait + " " + Show(c.buf + 6, c.buf[5], id == "RZ" || id == "VD"));
    } else {
      out.push_back("raw " + wait + " " + Show(c.buf, c.len));
    }
  }
  return out;
}

struct Receiver {
  explicit Receiver(MAINBD_OEM_TYPE board) : gnss(GNSS_MNFCTR_NORVIK, board) {
    engine = dynamic_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss));
  }
  template <class Build>
  Lines Sent(Build build) {
    CommandList cmds;
    build(gnss, cmds);
    return Records(cmds);
  }
  Em_Gnss gnss;
  LegacyEngine* engine;
};

// The five output operations reach every board an older receiver carries.
TEST(LegacyBoardCommands, OutputOperationsReachTheBoard) {
  const auto rate = [](Em_Gnss& g, CommandList& c) { g.Set_Gnss_PosFrq(c, GNSS_FRQ_2HZ); };
  const auto obs = [](Em_Gnss& g, CommandList& c) { g.Send_Gnss_Obs(c, GNSS_FRQ_0_2HZ); };
  const auto nmea = [](Em_Gnss& g, CommandList& c) { g.Set_Gnss_Nmea(c, 0x41, GNSS_FRQ_5HZ, 1); };
  const auto query = [](Em_Gnss& g, CommandList& c) {
    g.Get_Gnss_ElevMask(c);
    g.Get_Cmd_Gnss_ElevMask(c, nullptr);
  };
  const auto unlog = [](Em_Gnss& g, CommandList& c) { g.Send_Gnss_UnlogData(c); };

  Receiver novatel(OEM_NOVATEL);
  EXPECT_EQ(novatel.Sent(rate), Lines{"RZ 50 log bestposb ontime 0.5\r\n"});
  EXPECT_EQ(novatel.Sent(obs), Lines{"RZ 50 log rangecmpb ontime 5.0\r\n"});
  EXPECT_EQ(novatel.Sent(nmea), (Lines{"RZ 50 LOG GPGGA ONTIME 0.20\r\n", "RZ 50 LOG GPGSV ONTIME 0.20\r\n"}));
  EXPECT_EQ(novatel.Sent(query), (Lines{"RZ 50 log psrdopb ontime 5\r\n", "RZ 50 log psrdopb ontime 5\r\n"}));
  EXPECT_EQ(novatel.Sent(unlog), Lines{"RZ 50 unlogall\r\n"});

  Receiver hemisphere(OEM_HEMISPHERE);
  EXPECT_EQ(hemisphere.Sent(rate), Lines{"RZ 50 $JASC,GPGGA,2\r\n"});
  EXPECT_EQ(hemisphere.Sent(obs), Lines{});  // the first generation has no observation output
  EXPECT_EQ(hemisphere.Sent(nmea), (Lines{"RZ 50 $JASC,GPGGA,5\r\n", "RZ 50 $JASC,GPGSV,5\r\n"}));
  EXPECT_EQ(hemisphere.Sent(query), (Lines{"RZ 50 $JSHOW\r\n", "RZ 50 $JSHOW\r\n"}));
  EXPECT_EQ(hemisphere.Sent(unlog), Lines{"RZ 50 $JOFF\r\n"});
  // The new-protocol mask request with a value sets the mask the older way.
  const unsigned char ten = 10;
  EXPECT_EQ(hemisphere.Sent([&](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Gnss_ElevMask(c, &ten); }),
            (Lines{"SJ 200 38 0A", "RZ 50 $JMASK,10\r\n", "SW 200 01 0A"}));

  // The second generation is reachable only through an older receiver.
  Receiver second(OEM_HEMISPHERE2);
  EXPECT_EQ(second.Sent(rate),
            (Lines{"RZ 50 $JASC,GPGGA,2\r\n", "RZ 50 $JASC,GPRMC,2\r\n", "RZ 50 $JASC,GPGST,2\r\n"}));
  EXPECT_EQ(second.Sent(obs), (Lines{"RZ 50 $JBIN,36,0.2\r\n", "RZ 50 $JBIN,66,0.2\r\n", "RZ 50 $JBIN,76,0.2\r\n"}));
  EXPECT_EQ(second.Sent(nmea), (Lines{"RZ 50 $JASC,GPGGA,5\r\n", "RZ 50 $JASC,GPGSV,5\r\n"}));
  EXPECT_EQ(second.Sent(unlog), Lines{"RZ 50 $JOFF\r\n"});

  // Trimble: application-file packets (port 1, the receiver's relay) and
  // the mask query, each in one RZ frame.
  Receiver trimble(OEM_TRIMBLE);
  EXPECT_EQ(trimble.Sent(obs),
            Lines{"RZ 100 02 00 64 11 00 00 00 03 06 01 00 07 08 04 01 03 00 07 01 00 00 9E 03"});
  EXPECT_EQ(trimble.Sent([](Em_Gnss& g, CommandList& c) { g.Set_Gnss_Nmea(c, 0x1, GNSS_FRQ_1HZ, 0); }),
            Lines{"RZ 100 02 00 64 0D 00 00 00 03 06 01 00 07 04 06 01 03 00 90 03"});
  EXPECT_EQ(trimble.Sent(query), (Lines{"RZ 100 02 00 4A 00 4A 03", "RZ 100 02 00 4A 00 4A 03"}));
  EXPECT_EQ(trimble.Sent(unlog), Lines{"RZ 100 02 00 64 0D 00 00 00 03 06 01 00 07 04 FF 01 00 00 86 03"});

  // The software receiver takes its records as they are, in its brackets.
  Receiver soft(OEM_SOFT_RECEIVER);
  EXPECT_EQ(soft.Sent([](Em_Gnss& g, CommandList& c) { g.Set_Gnss_PosFrq(c, GNSS_FRQ_STOP); }),
            Lines{"raw 50 log bestposb ontime 1\r\n"});
  EXPECT_EQ(soft.Sent(obs), Lines{});
  EXPECT_EQ(soft.Sent(nmea), Lines{});
  EXPECT_EQ(soft.Sent(unlog), (Lines{"IM 50 01", "raw 50 unlogall\r\n", "IM 50 02"}));
  EXPECT_EQ(soft.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_ElevMask(c); }),
            (Lines{"IM 50 01", "raw 50 log psrdopb\r\n", "IM 50 02"}));

  // A receiver whose board is not known yet sends nothing to it.
  Receiver none(OEM_NOVATEL);
  none.gnss.Reset_Mnfctr(GNSS_MNFCTR_NORVIK);
  for (const Lines& sent : {none.Sent(rate), none.Sent(obs), none.Sent(nmea), none.Sent(query), none.Sent(unlog)})
    EXPECT_EQ(sent, Lines{});
}

TEST(LegacyBoardCommands, BaseStartsAroundTheBoardsCommands) {
  _STR_CMD earlier = {};
  earlier.len = 1;
  earlier.buf[0] = 'e';
  earlier.wait = 1;
  // Port, interval and station all differ, so no field can stand in for another.
  Base_Config base;
  base.station_id = 5;
  base.obs_interval_s = 2;
  base.port = 0;
  base.baud = 115200;
  base.diff_format = 7;
  base.latitude = base.longitude = 0;
  base.height = 12.5;
  base.elev_mask = 12;
  Receiver novatel(OEM_NOVATEL), hemisphere(OEM_HEMISPHERE2);
  novatel.gnss.Set_Gnss_BsCfg(base);
  // The reset goes before what the vector held; ST only for a base on the first port.
  EXPECT_EQ(novatel.Sent([&](Em_Gnss& g, CommandList& c) {
              c.push_back(earlier);
              g.Get_Gnss_StartBase(c);
            }),
            (Lines{"RK 3000 00",
                   "raw 1 e",
                   "RZ 200 log bestposb ontime 1\r\n",
                   "RZ 200 ecutoff 12\r\n",
                   "RZ 200 rtkelevmask user 12\r\n",
                   "RZ 200 gloecutoff 5.0\r\n",
                   "RZ 200 fix position 0.00000000 0.00000000 12.500\r\n",
                   "RZ 200 unlogall com1\r\n",
                   "RZ 200 log com1 bestposb ontime 5\r\n",
                   "RZ 200 dgpstxid rtcmv3 5\r\n",
                   "RZ 200 log com1 rtcm1004b ontime 2\r\n",
                   "RZ 200 log com1 rtcm1012b ontime 1\r\n",
                   "RZ 200 log com1 rtcm1006b ontime 10\r\n",
                   "RZ 200 log com1 rtcm1008b ontime 10\r\n",
                   "RZ 200 log com1 rtcm1033b ontime 10\r\n",
                   "RZ 200 com com1 115200\r\n",
                   "RZ 200 saveconfig\r\n",
                   "SJ 3000 60 03",
                   "ST 3000 01"}));
  base.port = 2;
  novatel.gnss.Set_Gnss_BsCfg(base);
  EXPECT_EQ(novatel.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_StartBase(c); }).back(), "SJ 3000 60 03");

  base.diff_format = 14;
  hemisphere.gnss.Set_Gnss_BsCfg(base);
  EXPECT_EQ(hemisphere.Sent([&](Em_Gnss& g, CommandList& c) {
              c.push_back(earlier);
              g.Get_Gnss_StartBase(c);
            }),
            (Lines{"RG 100 00", "raw 1 e", "SJ 100 60 03", "RZ 50 $JMODE,BASE,YES\r\n",
                   "RZ 50 $JRTK,1,0.00000000,0.00000000,12.500\r\n", "RZ 50 $JASC,RTCM3,1\r\n",
                   "RZ 50 $JRTCM3,INCLUDE,MSM4\r\n", "RZ 50 $JMASK,12\r\n", "RZ 50 $JDIFF,THIS\r\n",
                   "RZ 50 $JSAVE\r\n"}));
}

TEST(LegacyBoardCommands, RoverResetAndElevationMask) {
  Receiver novatel(OEM_NOVATEL), soft(OEM_SOFT_RECEIVER), hemisphere(OEM_HEMISPHERE);
  // A NovAtel rover is started by the receiver: mask 95 is out of range, 13 is used.
  Rover_Config rover = *novatel.gnss.Get_Gnss_RvCfg();
  rover.elev_mask = 95;
  rover.diff_format = 7;
  novatel.gnss.Set_Gnss_RvCfg(rover);
  EXPECT_EQ(novatel.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_StartRover(c); }),
            (Lines{"SJ 200 38 0D", "RZ 50 ecutoff 13\r\n", "RZ 50 gloecutoff 13\r\n", "RZ 50 log psrdopb ontime 5\r\n",
                   "SW 200 01 0D", "RM 2000 6D"}));
  // Other boards start themselves; the mask follows, unclamped.
  EXPECT_EQ(hemisphere.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_StartRover(c); }),
            (Lines{"RZ 50 $JDIFF,NONE\r\n", "RZ 50 $JDIFF,BEACON\r\n", "SJ 200 38 05", "RZ 50 $JMASK,5\r\n",
                   "SW 200 01 05"}));

  // The software receiver takes its own records, and its mask is for its first system.
  EXPECT_EQ(soft.Sent([](Em_Gnss& g, CommandList& c) { g.Set_Gnss_ElevDgre(12, c); }),
            (Lines{"SJ 200 38 0C", "IM 50 01", "raw 50 ecutoff 12\r\n", "IM 50 02", "SW 200 01 0C"}));
  EXPECT_EQ(soft.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_Reset(c); }),
            (Lines{"RK 3000 FF", "IM 50 01", "raw 50 freset\r\n", "IM 50 02"}));
  EXPECT_EQ(novatel.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_Reset(c); }),
            (Lines{"RZ 50 nvmrestore\r\n", "RZ 50 freset\r\n"}));
}

TEST(LegacyBoardCommands, InitDiffDataAndStoredAnswers) {
  Receiver r(OEM_NOVATEL);
  r.engine->device_info.rec40_50[DEVICE_STR::kObsIntervalIndex] = 250;  // 0.5 s
  EXPECT_EQ(r.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Gnss_Inite(c); })[3],
            "RZ 50 log rangecmpb ontime 0.5\r\n");

  // Corrections in 55-byte pieces; an empty block is still one frame.
  std::vector<unsigned char> diff(120, 0x5A);
  const Lines pieces = r.Sent([&](Em_Gnss& g, CommandList& c) { g.Send_DiffDataToGnss(c, diff.data(), 120); });
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], "VD 10 " + std::string(55, 'Z'));
  EXPECT_EQ(pieces[2], "VD 10 ZZZZZZZZZZ");
  CommandList cmds;
  r.gnss.Send_DiffDataToGnss(cmds, diff.data(), 0);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(std::vector<unsigned char>(cmds[0].buf, cmds[0].buf + cmds[0].len),
            (std::vector<unsigned char>{0x24, 0x24, 0x56, 0x44, 0x18, 0x00, 0x0A, 0x0D, 0x0A}));
  EXPECT_EQ(cmds[0].wait, 10u);

  // The differential-link text is handed out once.
  std::memcpy(r.engine->rx_text, "LINK", 4);
  r.engine->rx_length = 4;
  unsigned char out[200];
  int length = 0;
  r.gnss.Get_Gprs_DiffInfo(out, &length);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), length), "LINK");
  r.gnss.Get_Gprs_DiffInfo(out, &length);
  EXPECT_EQ(length, 0);

  // Reading the base-position list starts a new one.
  r.engine->chunk_fj.length = 3;
  EXPECT_EQ(r.Sent([](Em_Gnss& g, CommandList& c) { g.Get_Cmd_Read_BasePosition_List(c); }), Lines{"FJ 100 01"});
  r.gnss.Get_BasePosition_List(out, length);
  EXPECT_EQ(length, 0);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
