// Exact command texts, order and wait values of the NovAtel command set.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "boards/novatel/novatel_commands.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Texts = std::vector<std::string>;

// The texts a command-set call appends, each packet's wait value checked.
Texts Commands(const std::function<void(NovAtelCommandSet&, CommandList&)>& call,
               std::uint32_t wait = kWaitSetting) {
  NovAtelCommandSet set;
  CommandList cmds;
  call(set, cmds);
  Texts out;
  for (const _STR_CMD& c : cmds) {
    EXPECT_EQ(c.wait, wait);
    out.emplace_back(reinterpret_cast<const char*>(c.buf), c.len);
  }
  return out;
}

TEST(NovAtelCommands, SettingsAndRates) {
  EXPECT_EQ(Commands([](NovAtelCommandSet& s, CommandList& c) { s.Init(c); }),
            (Texts{"fix none\r\n", "log bestposb ontime 1\r\n", "nmeatalker auto\r\n",
                   "log rangecmpb ontime 1.0\r\n", "log psrdopb ontime 5\r\n", "log gpgsv ontime 5\r\n",
                   "log gpgga ontime 1\r\n", "log refstationb onchanged\r\n"}));
  EXPECT_EQ(Commands([](NovAtelCommandSet& s, CommandList& c) {
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
            (Texts{"nvmrestore\r\n", "freset\r\n", "unlogall\r\n", "unlockout 7\r\n", "lockout 12\r\n",
                   "log passcom2b onchanged\r\n", "ecutoff 15\r\n", "gloecutoff 15\r\n", "log psrdopb ontime 5\r\n",
                   "gloecutoff 9\r\n", "log psrdopb ontime 5\r\n", "ecutoff 8\r\n", "log psrdopb ontime 5\r\n"}));
  EXPECT_EQ(Commands([](NovAtelCommandSet& s, CommandList& c) {
              for (int r : {0, 1, 2, 4, 5, 6, 11, 13}) s.SetPosRate(c, static_cast<GNSS_FRQ>(r));
              s.SendObs(c, GNSS_FRQ_STOP);
              s.SendObs(c, GNSS_FRQ_2HZ);
              s.SendObs(c, GNSS_FRQ_20HZ);  // 0.05 s is for NMEA only
              s.SendEphemeris(c, GNSS_FRQ_STOP);
              s.SendEphemeris(c, GNSS_FRQ_1HZ);
            }),
            (Texts{"unlog bestposb\r\n", "log bestposb ontime 0.1\r\n", "log bestposb ontime 0.2\r\n",
                   "log bestposb ontime 2\r\n", "log bestposb ontime 5\r\n", "log bestposb ontime 10\r\n",
                   "log bestposb ontime 0.5\r\n", "log bestposb ontime 1\r\n", "unlog rangecmpb\r\n",
                   "log rangecmpb ontime 0.5\r\n", "log rangecmpb ontime 1.0\r\n", "unlog rawephemb\r\n",
                   "log rawephemb ontime 1.000000\r\n"}));
  const double periods[][2] = {{2, 2}, {5, 5}, {10, 10}, {15, 15}, {30, 30}, {60, 60}, {250, 0.5}, {251, 0.2}, {-1, 1}};
  for (const auto& p : periods) EXPECT_EQ(NovAtelCommandSet::ObsIntervalPeriod(static_cast<int>(p[0])), p[1]);
}

TEST(NovAtelCommands, NmeaMaskAndListOrders) {
  EXPECT_EQ(Commands([](NovAtelCommandSet& s, CommandList& c) {
              s.SetNmea(c, 0x41, GNSS_FRQ_0_2HZ, 3);
              s.SetNmea(c, 0x41, GNSS_FRQ_STOP, 0);
            }),
            (Texts{"LOG GPGGA ONTIME 5.00\r\n", "LOG GPGSV ONTIME 5.00\r\n", "UNLOG GPGGA\r\n", "UNLOG GPGSV\r\n"}));
  const Texts all = Commands([](NovAtelCommandSet& s, CommandList& c) { s.SetNmea(c, 0x3FF3, GNSS_FRQ_20HZ, 0); });
  const char* order[] = {"GGA", "GLL", "GRS", "GSA", "GST", "GSV", "RMC", "VTG", "ZDA", "ALM", "RMB"};
  ASSERT_EQ(all.size(), 11u);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(all[i], std::string("LOG GP") + order[i] + " ONTIME 0.05\r\n");
  // The list takes the first bit of each element, RMB before VTG.
  const std::vector<_set_nmea> list = {{0x41, 3}, {0x1200, 7}, {0x8, 3}, {0x200, 0}};
  EXPECT_EQ(Commands([&](NovAtelCommandSet& s, CommandList& c) { s.SetNmeaList(c, list); }),
            (Texts{"LOG GPGGA ONTIME 1.00\r\n", "LOG GPRMB ONTIME 1.00\r\n", "UNLOG GPVTG\r\n"}));
}

Texts StartBase(std::uint32_t format, std::uint32_t port = 1, std::uint32_t generation = 2) {
  return Commands(
      [&](NovAtelCommandSet& s, CommandList& c) {
        s.base.diff_format = format;
        s.base.port = port;
        s.board_generation = generation;
        s.StartBase(c);
      },
      kWaitSequence);
}

// The differential lines: what stands between the COM2 block and "com com".
Texts DiffLines(const Texts& all) { return Texts(all.begin() + 12, all.end() - 2); }

TEST(NovAtelCommands, StartBase) {
  const Texts head = {"log bestposb ontime 1\r\n", "ecutoff 10\r\n", "rtkelevmask user 10\r\n", "gloecutoff 5.0\r\n",
                      "fix position 31.17485043 121.39823174 37.512\r\n"};
  Texts expected = head;
  for (const char* line : {"unlogall com2\r\n", "log com2 bestposb ontime 5\r\n", "LOG COM2,RAWEPHEMB,ONTIME 60\r\n",
                           "LOG COM2 GLORAWEPHEMB,ONTIME 80\r\n", "log com2,rangecmpb,ontime 1.0\r\n",
                           "LOG COM2,TIMEB,ONTIME 1\r\n", "LOG COM2,GPGGA,ONTIME 1\r\n", "dgpstxid cmr 1\r\n",
                           "log com2 cmrobsb ontime 1\r\n", "log com2 cmrrefb ontime 10\r\n",
                           "log com2 cmrdescb ontime 10 5\r\n", "com com2 38400\r\n", "saveconfig\r\n"})
    expected.push_back(line);
  EXPECT_EQ(StartBase(3), expected);
  // Port 0: COM1 and no COM2 block.
  expected = head;
  for (const char* line : {"unlogall com1\r\n", "log com1 bestposb ontime 5\r\n", "dgpstxid rtcm 1\r\n",
                           "log com1 rtcm1 ontime 1\r\n", "com com1 38400\r\n", "saveconfig\r\n"})
    expected.push_back(line);
  EXPECT_EQ(StartBase(11, 0), expected);

  EXPECT_EQ(DiffLines(StartBase(6))[2], "log com2 cmrplusb ontime 10\r\n");
  EXPECT_EQ(DiffLines(StartBase(4)),
            (Texts{"dgpstxid rtcm 1\r\n", "log com2 rtcm3b ontime 10\r\n", "log com2 rtcm22b ontime 10 7\r\n",
                   "log com2 rtcm1 ontime 5\r\n", "log com2 rtcm1819b ontime 2\r\n",
                   "log com2 rtcm31b ontime 2\r\n", "log com2 rtcm32b ontime 2\r\n"}));
  EXPECT_EQ(DiffLines(StartBase(5)),
            (Texts{"dgpstxid rtca 2\r\n", "log com2 rtcaobsb ontime 1\r\n", "log com2 rtcaobs2b ontime 2\r\n",
                   "log com2 rtcarefb ontime 10\r\n", "log com2 rtca1b ontime 10 3\r\n"}));
  EXPECT_EQ(DiffLines(StartBase(7, 1, 1)), (Texts{"dgpstxid rtcmv3 1\r\n", "log com2 rtcm1004b ontime 1\r\n",
                                                  "log com2 rtcm1005b ontime 10\r\n"}));
  EXPECT_EQ(DiffLines(StartBase(7, 1, 2)),
            (Texts{"dgpstxid rtcmv3 1\r\n", "log com2 rtcm1004b ontime 1\r\n", "log com2 rtcm1012b ontime 1\r\n",
                   "log com2 rtcm1006b ontime 10\r\n", "log com2 rtcm1008b ontime 10\r\n",
                   "log com2 rtcm1033b ontime 10\r\n"}));
  const Texts compact = {"log com2 novatelxobsb ontime 1\r\n", "log com2 novatelxrefb  ontime 10\r\n"};
  EXPECT_EQ(DiffLines(StartBase(12)), compact);
  EXPECT_EQ(DiffLines(StartBase(13)), compact);
  EXPECT_EQ(DiffLines(StartBase(14)),
            (Texts{"interfacemode com2 novatel rtcmv3\r\n", "dgpstxid rtcmv3 1\r\n", "log com2 rtcm1074b ontime 1\r\n",
                   "log com2 rtcm1084b ontime 1\r\n", "log com2 rtcm1124b ontime 1\r\n",
                   "log com2 rtcm1005b ontime 10\r\n", "log com2 rtcm1033b ontime 10\r\n"}));
  EXPECT_TRUE(DiffLines(StartBase(99)).empty());
}

// The rover's source lines (after mask, iono and GLONASS mask).
Texts RoverSource(std::uint32_t format, std::uint32_t generation = 2) {
  const Texts t = Commands([&](NovAtelCommandSet& s, CommandList& c) {
    s.rover.diff_format = format;
    s.board_generation = generation;
    s.StartRover(c);
  });
  return Texts(t.begin() + 4, t.end());
}

TEST(NovAtelCommands, StartRover) {
  for (std::uint32_t iono = 0; iono < 4; ++iono) {
    const Texts t = Commands([&](NovAtelCommandSet& s, CommandList& c) {
      s.rover.iono = iono;
      s.StartRover(c);
    });
    const char* conditions[] = {"quiet", "normal", "disturbed"};
    Texts expected = {"ecutoff 5\r\n", "rtkelevmask user 5\r\n"};
    if (iono < 3) expected.push_back(std::string("ionocondition ") + conditions[iono] + "\r\n");
    for (const char* line : {"gloecutoff 5.0\r\n", "rtksource cmr any\r\n", "psrdiffsource cmr any\r\n",
                             "INTERFACEMODE COM2 CMR NOVATEL\r\n"})
      expected.push_back(line);
    EXPECT_EQ(t, expected) << iono;
  }
  EXPECT_EQ(RoverSource(4)[2], "INTERFACEMODE COM2 RTCM NOVATEL\r\n");
  EXPECT_EQ(RoverSource(5)[0], "rtksource rtca any\r\n");
  EXPECT_EQ(RoverSource(7, 1), (Texts{"rtksource rtcmv3 any\r\n", "psrdiffsource rtcmv3 any\r\n",
                                      "INTERFACEMODE COM2 RTCMV3 NOVATEL\r\n"}));
  EXPECT_EQ(RoverSource(14, 2)[2], "INTERFACEMODE COM2 AUTO NOVATEL\r\n");
  EXPECT_EQ(RoverSource(13), (Texts{"interfacemode com2 novatelx none\r\n", "log com2 novatelxgpsobsb ontime 1\r\n",
                                    "log com2 novatelxgloobsb ontime 1\r\n", "log com2 novatelxbdsobsb ontime 1\r\n",
                                    "log com2 novatelxrefb  ontime 10\r\n"}));
  for (std::uint32_t format : {6u, 12u, 0u})
    EXPECT_EQ(RoverSource(format), (Texts{"rtksource auto any\r\n", "psrdiffsource auto any\r\n",
                                          "INTERFACEMODE COM2 AUTO NOVATEL\r\n"}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
