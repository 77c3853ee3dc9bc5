// Exact command texts, order and wait values of both Hemisphere command sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board_test_support.h"
#include "boards/hemisphere/hemisphere_commands.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Testing::CommandLines;
using Texts = std::vector<std::string>;

// The texts a call appends to a fresh command set; every packet waits 50.
template <typename Set, typename Call>
Texts Commands(Call call) {
  Set set;
  CommandList cmds;
  call(set, cmds);
  return Testing::CommandTexts(cmds, kWaitSetting);
}
template <typename Call>
Texts First(Call call) { return Commands<Hemisphere1CommandSet>(call); }
template <typename Call>
Texts Second(Call call) { return Commands<Hemisphere2CommandSet>(call); }

constexpr int kRates[] = {0, 1, 2, 3, 4, 5, 6, 11, 13, 255};
// The slots without a command on either board, then those both share.
void QuietAndShared(HemisphereCommandSet& s, CommandList& c) {
  s.SendEphemeris(c, GNSS_FRQ_1HZ);
  s.SendEphemSat(c, 3);
  s.SetSatUse(c, 7, true, 0);
  s.PassCom(c, 2);
  s.SetElevMask(c, 15, 4);
  s.QueryElevMask(c);
  s.Unlog(c);
  s.Reset(c);
}
const std::string kShared = "$JMASK,15|$JSHOW|$JOFF|$JRESET";

TEST(HemisphereCommands, FirstGeneration) {
  EXPECT_EQ(First([](auto& s, auto& c) { s.Init(c); }),
            CommandLines("$JOFF|$JASC,GPGGA,1|$JASC,GPGSA,1|$JASC,GPRMC,1|$JASC,GPGST,1|$JBIN,96,1|$JBIN,99,1|$JSHOW"));
  EXPECT_EQ(First([](auto& s, auto& c) {
              for (int r : kRates) s.SetPosRate(c, static_cast<GNSS_FRQ>(r));
              s.SendObs(c, GNSS_FRQ_1HZ);
              s.StartBase(c);
              QuietAndShared(s, c);
            }),
            CommandLines("$JASC,GPGGA,1|$JASC,GPGGA,10|$JASC,GPGGA,5|$JASC,GPGGA,1|$JASC,GPGGA,1|$JASC,GPGGA,1|"
                         "$JASC,GPGGA,1|$JASC,GPGGA,2|$JASC,GPGGA,1|$JASC,GPGGA,1|" + kShared));
  // Every sentence bit in this generation's order (ALM and RMB have no
  // command); the list sends every bit of each element.
  const std::vector<_set_nmea> list = {{0x101, 11}, {0x1800, 3}, {0x20000, 0}};
  EXPECT_EQ(First([&](auto& s, auto& c) {
              s.SetNmea(c, 0x3FFFF, GNSS_FRQ_5HZ, 2);
              s.SetNmeaList(c, list);
            }),
            CommandLines("$JASC,GPGGA,5|$JASC,GPGLL,5|$JASC,GPGRS,5|$JASC,GPGSA,5|$JASC,GPGST,5|$JASC,GPGSV,5|"
                         "$JASC,GPRMC,5|$JASC,GPVTG,5|$JASC,GPZDA,5|$JASC,GPGNS,5|$JASC,GPRRE,5|"
                         "$JASC,GPGGA,2|$JASC,GPRMC,2|$JASC,GPRRE,1"));
  const char* const sources[] = {"RTK", "WASS", "BEACON"};
  for (std::uint32_t source = 0; source < 4; ++source) {
    EXPECT_EQ(First([&](auto& s, auto& c) {
                s.rover.diff_source = source;
                s.StartRover(c);
              }),
              source < 3 ? CommandLines("$JDIFF,NONE|$JDIFF," + std::string(sources[source])) : Texts{});
  }
}

TEST(HemisphereCommands, SecondGeneration) {
  EXPECT_EQ(Second([](auto& s, auto& c) { s.Init(c); }),
            CommandLines("$JASC,RTCM,0|$JASC,RTCM3,0|$JASC,CMR,0|$JASC,ROX,0|$JASC,GPGGA,1|$JASC,GPRMC,1|"
                         "$JASC,GPGST,1|$JNMEA,GGAALLGNSS,YES|$JMODE,BASE,NO|$JDIFF,EXCLUDE,SBAS|"
                         "$JDIFF,EXCLUDE,EDIF|$JAGE,60|$JBIN,3,1|$JBIN,209,1"));
  EXPECT_EQ(Second([](auto& s, auto& c) {
              s.SetPosRate(c, GNSS_FRQ_STOP);
              s.SetPosRate(c, GNSS_FRQ_2HZ);
              QuietAndShared(s, c);
              s.rover.elev_mask = 7;
              s.StartRover(c);
            }),
            CommandLines("$JASC,GPGGA,0|$JASC,GPRMC,0|$JASC,GPGST,0|$JASC,GPGGA,2|$JASC,GPRMC,2|$JASC,GPGST,2|" +
                         kShared + "|$JMODE,BASE,NO|$JDIFF,this|$JMASK,7"));
  Texts rates;
  for (int r : kRates) rates.push_back(Second([&](auto& s, auto& c) { s.SendObs(c, static_cast<GNSS_FRQ>(r)); })[0]);
  EXPECT_EQ(rates, CommandLines("$JBIN,36,0.0|$JBIN,36,10.0|$JBIN,36,1.0|$JBIN,36,1.0|$JBIN,36,1.0|$JBIN,36,0.2|"
                                "$JBIN,36,1.0|$JBIN,36,2.0|$JBIN,36,20.0|$JBIN,36,1.0"));
  // One sentence per list element: the first of its bits in this order.
  const std::vector<_set_nmea> list = {{0x141, 1}, {0x1800, 3}, {0x2010, 5}, {0x30000, 0}};
  EXPECT_EQ(Second([&](auto& s, auto& c) {
              s.SendObs(c, GNSS_FRQ_0_2HZ);
              s.SetNmea(c, 0x3FFFF, GNSS_FRQ_10HZ, 0);
              s.SetNmeaList(c, list);
            }),
            CommandLines("$JBIN,36,0.2|$JBIN,66,0.2|$JBIN,76,0.2|$JASC,GPGGA,10|$JASC,GPRMC,10|$JASC,GPGST,10|"
                         "$JASC,GPGSV,10|$JASC,GPGLL,10|$JASC,GPGRS,10|$JASC,GPGSA,10|$JASC,GPVTG,10|"
                         "$JASC,GPZDA,10|$JASC,GPGNS,10|$JASC,GPRRE,10|$JASC,GPGGA,10|$JASC,GPGRS,1|$JASC,GPGNS,0"));
}

TEST(HemisphereCommands, SecondGenerationBaseByFormat) {
  const std::pair<std::uint32_t, std::string> formats[] = {
      {3, "$JASC,CMR,1"},  {6, "$JASC,CMR+,1"}, {14, "$JASC,RTCM3,1|$JRTCM3,INCLUDE,MSM4"},
      {15, "$JASC,ROX,1"}, {7, "$JASC,RTCM3,1|$JRTCM3,EXCLUDE,MSM4"}, {4, "$JASC,RTCM3,1|$JRTCM3,EXCLUDE,MSM4"},
  };
  for (const auto& f : formats) {
    EXPECT_EQ(Second([&](auto& s, auto& c) {
                s.base.diff_format = f.first;
                s.StartBase(c);
              }),
              CommandLines("$JMODE,BASE,YES|$JRTK,1,31.17485043,121.39823174,37.512|" + f.second +
                           "|$JMASK,10|$JDIFF,THIS|$JSAVE"))
        << f.first;
  }
  // Southern and western positions keep their sign.
  const Texts south = Second([](auto& s, auto& c) {
    s.base.latitude = -0.5, s.base.longitude = -2.0, s.base.height = -12.3456, s.base.elev_mask = 0;
    s.StartBase(c);
  });
  EXPECT_EQ(Texts({south[1], south[3]}), CommandLines("$JRTK,1,-28.64788976,-114.59155903,-12.346|$JMASK,0"));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
