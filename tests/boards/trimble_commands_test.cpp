// Exact packets, order and wait values of the Trimble command set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "boards/trimble/trimble_commands.h"

namespace Kestrel {
namespace KsParse {
namespace {

// One packet as "type:data bytes/wait", data in hex. The framing (STX,
// status 0, length, checksum, ETX) is checked here for every packet.
std::string Describe(const _STR_CMD& c) {
  const unsigned n = c.len >= 6 ? c.buf[3] : 0;
  unsigned sum = 0;
  for (unsigned i = 1; i < n + 4; ++i) sum += c.buf[i];
  EXPECT_TRUE(c.len == n + 6 && c.buf[0] == 0x02 && c.buf[1] == 0 && c.buf[n + 4] == (sum & 0xFF) &&
              c.buf[n + 5] == 0x03);
  char text[8];
  std::snprintf(text, sizeof text, "%02X:", c.buf[2]);
  std::string out = text;
  for (unsigned i = 0; i < n; ++i) {
    std::snprintf(text, sizeof text, i == 0 ? "%02X" : " %02X", c.buf[4 + i]);
    out += text;
  }
  return out + "/" + std::to_string(c.wait);
}

using Packets = std::vector<std::string>;

Packets Commands(const std::function<void(TrimbleCommandSet&, CommandList&)>& call) {
  TrimbleCommandSet set;
  CommandList cmds;
  call(set, cmds);
  Packets out;
  for (const _STR_CMD& c : cmds) out.push_back(Describe(c));
  return out;
}

// Application-file header with factory flag 0 or 1.
const std::string kApp0 = "64:00 00 00 03 06 01 00";
const std::string kApp1 = "64:00 00 00 03 06 01 01";
// The raw-observation record at the default interval and port 0, with the
// flag of a second-generation board.
const std::string kRawObs = " 07 08 04 00 03 00 07 01 00 00";
const std::string kInit = kApp1 + kRawObs +
                          " 07 08 0A 00 03 00 01 00 00 00 07 08 0A 00 03 00 03 00 00 00 07 08 0A 00 03 00 06 00 00 00"
                          " 07 08 0A 00 03 00 09 00 00 00 07 08 0A 00 03 00 02 00 00 00 07 08 0A 00 03 00 0C 00 00 00"
                          " 07 08 0A 00 05 00 22 00 00 00 07 04 08 01 03 00/100";

TEST(TrimbleCommands, SinglePacketsByteExact) {
  TrimbleCommandSet set;
  CommandList cmds;
  set.SendEphemSat(cmds, 0);
  set.SendEphemSat(cmds, 33);
  EXPECT_TRUE(cmds.empty());
  set.SendEphemSat(cmds, 5);
  set.Reset(cmds);
  set.QueryElevMask(cmds);
  set.SetSatUse(cmds, 3, true, 0);
  set.PassCom(cmds, 1);
  std::string bytes;
  for (const _STR_CMD& c : cmds) bytes.append(reinterpret_cast<const char*>(c.buf), c.len);
  EXPECT_EQ(bytes, std::string("\x02\x00\x54\x03\x01\x05\x00\x5D\x03"
                               "\x02\x00\x58\x07\xFF\x03RESET\xE4\x03"
                               "\x02\x00\x4A\x00\x4A\x03",
                               28));

  const Packets all = Commands([](auto& s, auto& c) { s.SendEphemeris(c, GNSS_FRQ_1HZ); });
  ASSERT_EQ(all.size(), 32u);
  EXPECT_EQ(all[0] + all[31], "54:01 01 00/10054:01 20 00/100");
}

TEST(TrimbleCommands, OutputRatesFollowPortIntervalAndGeneration) {
  EXPECT_EQ(Commands([](auto& s, auto& c) { s.Init(c); }), Packets{kInit});
  // The legacy engine's port 1, a 15 s interval and a first-generation
  // board; the position rate is written as given.
  EXPECT_EQ(Commands([](auto& s, auto& c) {
              s.relayed = 1, s.obs_interval = 15, s.gen1_word = 1;
              s.SetPosRate(c, GNSS_FRQ_2HZ);
              s.SendObs(c, GNSS_FRQ_STOP);
              s.Unlog(c);
            }),
            (Packets{kApp0 + " 07 08 04 01 0C 00 07 00 00 00 07 08 0A 01 0B 00 01 00 00 00 07 08 0A 01 0B 00 03 00 00 00"
                             " 07 08 0A 01 0B 00 06 00 00 00 07 08 0A 01 0B 00 09 00 00 00 07 08 0A 01 0B 00 02 00 00 00"
                             " 07 08 0A 01 0B 00 0C 00 00 00/100",
                     kApp0 + " 07 08 04 01 0C 00 07 00 00 00/100", kApp0 + " 07 04 FF 01 00 00/100"}));
}

TEST(TrimbleCommands, MasksAndNmeaOutputs) {
  EXPECT_EQ(Commands([](auto& s, auto& c) {
              s.SetElevMask(c, 0x10F, 4);  // the low byte only
              s.SetNmea(c, 0xFFFFFFFF, GNSS_FRQ_5HZ, 3);
              s.SetNmeaList(c, {{0x41, 3}, {0x1880, 1}, {0x2002, 0}, {0xC000, 6}});
            }),
            (Packets{kApp0 + " 01 08 0F 01 5F 00 00 00 00 00/500",
                     kApp0 + " 07 04 06 00 02 00 07 04 2C 00 02 00 07 04 2D 00 02 00 07 04 26 00 02 00 07 04 0D 00 02 00"
                             " 07 04 12 00 02 00 07 04 28 00 02 00 07 04 0C 00 02 00 07 04 08 00 02 00 07 04 0E 00 02 00"
                             " 07 04 0F 00 02 00/100",
                     kApp0 + " 07 04 06 00 03 00 07 04 2C 00 00 00 07 04 0E 00 06 00/100"}));
  // A list too long for one packet keeps the records that fit.
  EXPECT_EQ(Commands([](auto& s, auto& c) { s.SetNmeaList(c, std::vector<_set_nmea>(60, {1, 3})); })[0].size(),
            std::string(kApp0 + "/100").size() + 41 * 18);
}

TEST(TrimbleCommands, StartBase) {
  TrimbleCommandSet set;
  set.base.port = 0, set.base.baud = 9600, set.base.station_id = 1057;  // 1057 % 1024 = 33, % 32 = 1
  std::memcpy(set.base.name, "LONGNAME1", 10);
  set.base.latitude = 1.0, set.base.longitude = -2.0, set.base.height = 0.5;
  CommandList cmds;
  set.StartBase(cmds);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(Describe(cmds[0]), kApp1 + " 01 08 0A 01 5F 00 00 00 00 00 02 04 01 05 00 00"
                                       " 03 25 00 00 4C 4F 4E 47 4E 41 4D 45 3F F0 00 00 00 00 00 00"
                                       " C0 00 00 00 00 00 00 00 3F E0 00 00 00 00 00 00 00 21 01"
                                       " 07 08 04 01 03 00 07 01 00 00 07 05 02 01 03 00 02/100");
  EXPECT_EQ((std::vector<unsigned>{set.base.port, set.base.baud}), (std::vector<unsigned>{1, 38400}));

  // The short default name is blank-padded; the differential record follows the format.
  const std::string msm = Commands([](auto& s, auto& c) {
                            s.base.diff_format = 14;
                            s.StartBase(c);
                          })[0];
  EXPECT_NE(msm.find("62 61 73 65 20 20 20 20"), std::string::npos);
  EXPECT_EQ(msm.substr(msm.size() - 24), "07 05 03 01 03 00 31/100");
}

TEST(TrimbleCommands, StartRover) {
  // CMR from any station.
  const Packets cmr = Commands([](auto& s, auto& c) {
    s.rover.port = 0;
    std::memcpy(s.rover.ref_station, "ANY", 4);
    s.StartRover(c);
  });
  EXPECT_EQ(cmr, (Packets{"4A:/100", kApp0 + " 01 08 05 01 5F 00 00 00 00 00 19 03 FF 00 00/100", "84:84 82/50",
                          "59:00 02 00/50", "49:02 01 17 00 01 00/50", "A3:00 00 00/50", "A3:04 78 00/50",
                          "A3:04 7A 00/50", "A3:04 7C 00/50", "A3:04 7E 00/50", "A3:04 83 00/50", "A3:04 86 00/500",
                          kInit}));
  // RTCM 2 from station 300 (low byte first), on a first-generation board.
  const Packets rtcm = Commands([](auto& s, auto& c) {
    s.rover.diff_format = 4, s.gen1_word = 1, s.rover.elev_mask = 12, s.rover.aux_mask = 90;
    std::memcpy(s.rover.ref_station, "300", 4);
    s.StartRover(c);
  });
  ASSERT_EQ(rtcm.size(), 10u);
  EXPECT_EQ(Packets(rtcm.begin() + 1, rtcm.end() - 1),
            (Packets{kApp0 + " 01 08 0C 01 5A 00 00 00 00 00 10 06 00 03 0D 40 2C 01/100", "84:84 82/50",
                     "59:00 02 00/50", "4E:01 05 00 0A 04 00 61/50", "4E:02 00 02 00 00 00 00 00 00/50",
                     "49:02 01 05 00 01 00/50", "24:02 01 05 00 01 00/50", "53:0E 00 00/500"}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
