// Exact command texts, order and wait values of the NovAtel command set.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "board_test_support.h"
#include "boards/novatel/novatel_commands.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Texts = std::vector<std::string>;
using Testing::CommandLines;

// The texts a command-set call appends, each packet's wait value checked.
Texts Commands(const std::function<void(NovAtelCommandSet&, CommandList&)>& call,
               std::uint32_t wait = kWaitSetting) {
  NovAtelCommandSet set;
  CommandList cmds;
  call(set, cmds);
  return Testing::CommandTexts(cmds, wait);
}

TEST(NovAtelCommands, SettingsAndRates) {
  EXPECT_EQ(Commands([](auto& s, auto& c) { s.Init(c); }),
            CommandLines("fix none|log bestposb ontime 1|nmeatalker auto|log rangecmpb ontime 1.0|log psrdopb ontime 5|"
                  "log gpgsv ontime 5|log gpgga ontime 1|log refstationb onchanged"));
  EXPECT_EQ(Commands([](auto& s, auto& c) {
              s.Reset(c);
              s.Unlog(c);
              s.SetSatUse(c, 7, true, 0);
              s.SetSatUse(c, 12, false, 0);
              s.PassCom(c, 2);
              s.SendEphemSat(c, 3);
              s.SetElevMask(c, 15, 4);
              s.SetElevMask(c, 9, 2);
              s.SetElevMask(c, 8, 7);
            }),
            CommandLines("nvmrestore|freset|unlogall|unlockout 7|lockout 12|log passcom2b onchanged|ecutoff 15|"
                  "gloecutoff 15|log psrdopb ontime 5|gloecutoff 9|log psrdopb ontime 5|ecutoff 8|"
                  "log psrdopb ontime 5"));
  EXPECT_EQ(Commands([](auto& s, auto& c) {
              for (int r : {0, 1, 13}) s.SetPosRate(c, static_cast<GNSS_FRQ>(r));
              s.SendObs(c, GNSS_FRQ_STOP);
              s.SendObs(c, GNSS_FRQ_2HZ);
              s.SendObs(c, GNSS_FRQ_20HZ);  // 0.05 s is for NMEA only
              s.SendEphemeris(c, GNSS_FRQ_STOP);
              s.SendEphemeris(c, GNSS_FRQ_1HZ);
            }),
            CommandLines("unlog bestposb|log bestposb ontime 0.1|log bestposb ontime 1|unlog rangecmpb|log rangecmpb ontime 0.5|log rangecmpb ontime 1.0|unlog rawephemb|"
                  "log rawephemb ontime 1.000000"));
}

TEST(NovAtelCommands, NmeaMaskAndListOrders) {
  EXPECT_EQ(Commands([](auto& s, auto& c) {
              s.SetNmea(c, 0x41, GNSS_FRQ_0_2HZ, 3);
              s.SetNmea(c, 0x41, GNSS_FRQ_STOP, 0);
            }),
            CommandLines("LOG GPGGA ONTIME 5.00|LOG GPGSV ONTIME 5.00|UNLOG GPGGA|UNLOG GPGSV"));
  EXPECT_EQ(Commands([](auto& s, auto& c) { s.SetNmea(c, 0x3FF3, GNSS_FRQ_20HZ, 0); }),
            CommandLines("LOG GPGGA ONTIME 0.05|LOG GPGLL ONTIME 0.05|LOG GPGRS ONTIME 0.05|LOG GPGSA ONTIME 0.05|"
                  "LOG GPGST ONTIME 0.05|LOG GPGSV ONTIME 0.05|LOG GPRMC ONTIME 0.05|LOG GPVTG ONTIME 0.05|"
                  "LOG GPZDA ONTIME 0.05|LOG GPALM ONTIME 0.05|LOG GPRMB ONTIME 0.05"));
  // The list takes the first bit of each element, RMB before VTG.
  const std::vector<_set_nmea> list = {{0x41, 3}, {0x1200, 7}, {0x8, 3}, {0x200, 0}};
  EXPECT_EQ(Commands([&](auto& s, auto& c) { s.SetNmeaList(c, list); }),
            CommandLines("LOG GPGGA ONTIME 1.00|LOG GPRMB ONTIME 1.00|UNLOG GPVTG"));
}

// Station 9, interval 3 s and port 1 (COM2): no two of the printed numbers
// (station, port + 1, interval, interval + 1) agree, so a swapped field shows.
Texts StartBase(std::uint32_t format, std::uint32_t port = 1, std::uint32_t generation = 2) {
  return Commands(
      [&](NovAtelCommandSet& s, CommandList& c) {
        s.base.diff_format = format;
        s.base.port = port;
        s.base.station_id = 9;
        s.base.obs_interval_s = 3;
        s.board_generation = generation;
        s.StartBase(c);
      },
      kWaitSequence);
}

// The differential lines: what stands between the COM2 block and "com com".
Texts DiffLines(const Texts& all) { return Texts(all.begin() + 12, all.end() - 2); }

TEST(NovAtelCommands, StartBase) {
  const std::string head = "log bestposb ontime 1|ecutoff 10|rtkelevmask user 10|gloecutoff 5.0|"
                           "fix position 31.17485043 121.39823174 37.512|";
  EXPECT_EQ(StartBase(3),
            CommandLines(head + "unlogall com2|log com2 bestposb ontime 5|LOG COM2,RAWEPHEMB,ONTIME 60|"
                         "LOG COM2 GLORAWEPHEMB,ONTIME 80|log com2,rangecmpb,ontime 1.0|LOG COM2,TIMEB,ONTIME 1|"
                         "LOG COM2,GPGGA,ONTIME 1|dgpstxid cmr 9|log com2 cmrobsb ontime 3|"
                         "log com2 cmrrefb ontime 10|log com2 cmrdescb ontime 10 5|com com2 38400|saveconfig"));
  // Port 0: COM1 and no COM2 block.
  EXPECT_EQ(StartBase(11, 0), CommandLines(head + "unlogall com1|log com1 bestposb ontime 5|dgpstxid rtcm 9|"
                                           "log com1 rtcm1 ontime 1|com com1 38400|saveconfig"));
  EXPECT_EQ(DiffLines(StartBase(6))[2], "log com2 cmrplusb ontime 10\r\n");
  EXPECT_EQ(DiffLines(StartBase(4)),
            CommandLines("dgpstxid rtcm 9|log com2 rtcm3b ontime 10|log com2 rtcm22b ontime 10 7|log com2 rtcm1 ontime 5|"
                  "log com2 rtcm1819b ontime 4|log com2 rtcm31b ontime 2|log com2 rtcm32b ontime 2"));
  EXPECT_EQ(DiffLines(StartBase(5)), CommandLines("dgpstxid rtca 2|log com2 rtcaobsb ontime 3|log com2 rtcaobs2b ontime 4|"
                                           "log com2 rtcarefb ontime 10|log com2 rtca1b ontime 10 3"));
  EXPECT_EQ(DiffLines(StartBase(7, 1, 1)),
            CommandLines("dgpstxid rtcmv3 9|log com2 rtcm1004b ontime 3|log com2 rtcm1005b ontime 10"));
  EXPECT_EQ(DiffLines(StartBase(7, 1, 2)),
            CommandLines("dgpstxid rtcmv3 9|log com2 rtcm1004b ontime 3|log com2 rtcm1012b ontime 1|"
                  "log com2 rtcm1006b ontime 10|log com2 rtcm1008b ontime 10|log com2 rtcm1033b ontime 10"));
  for (std::uint32_t format : {12u, 13u})
    EXPECT_EQ(DiffLines(StartBase(format)), CommandLines("log com2 novatelxobsb ontime 1|log com2 novatelxrefb  ontime 10"));
  EXPECT_EQ(DiffLines(StartBase(14)),
            CommandLines("interfacemode com2 novatel rtcmv3|dgpstxid rtcmv3 9|log com2 rtcm1074b ontime 3|"
                  "log com2 rtcm1084b ontime 1|log com2 rtcm1124b ontime 1|log com2 rtcm1005b ontime 10|"
                  "log com2 rtcm1033b ontime 10"));
  EXPECT_TRUE(DiffLines(StartBase(99)).empty());
}

// The rover's commands, or only its source lines (after mask, iono and
// GLONASS mask).
Texts StartRover(std::uint32_t format, std::uint32_t generation = 2, std::uint32_t iono = 0, bool all = false) {
  const Texts t = Commands([&](NovAtelCommandSet& s, CommandList& c) {
    s.rover.diff_format = format;
    s.rover.iono = iono;
    s.board_generation = generation;
    s.StartRover(c);
  });
  return all ? t : Texts(t.begin() + 4, t.end());
}

TEST(NovAtelCommands, StartRover) {
  const char* conditions[] = {"ionocondition quiet|", "ionocondition normal|", "ionocondition disturbed|", ""};
  for (std::uint32_t iono = 0; iono < 4; ++iono) {
    EXPECT_EQ(StartRover(3, 2, iono, true),
              CommandLines(std::string("ecutoff 5|rtkelevmask user 5|") + conditions[iono] +
                    "gloecutoff 5.0|rtksource cmr any|psrdiffsource cmr any|INTERFACEMODE COM2 CMR NOVATEL"))
        << iono;
  }
  EXPECT_EQ(StartRover(4)[2], "INTERFACEMODE COM2 RTCM NOVATEL\r\n");
  EXPECT_EQ(StartRover(5)[0], "rtksource rtca any\r\n");
  EXPECT_EQ(StartRover(7, 1), CommandLines("rtksource rtcmv3 any|psrdiffsource rtcmv3 any|INTERFACEMODE COM2 RTCMV3 NOVATEL"));
  EXPECT_EQ(StartRover(14, 2)[2], "INTERFACEMODE COM2 AUTO NOVATEL\r\n");
  EXPECT_EQ(StartRover(13), CommandLines("interfacemode com2 novatelx none|log com2 novatelxgpsobsb ontime 1|"
                                  "log com2 novatelxgloobsb ontime 1|log com2 novatelxbdsobsb ontime 1|"
                                  "log com2 novatelxrefb  ontime 10"));
  for (std::uint32_t format : {6u, 12u, 0u})
    EXPECT_EQ(StartRover(format), CommandLines("rtksource auto any|psrdiffsource auto any|INTERFACEMODE COM2 AUTO NOVATEL"));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
