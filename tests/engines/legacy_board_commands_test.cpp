// Board commands through an older receiver: the board's commands in RZ
// frames, the receiver's own frames around them, and the receiver's stored
// answers.
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

// "XX wait" for a receiver frame, "-" for an empty record; a run of RZ
// frames, or of records taken as they are ("board"), is one entry.
std::vector<std::string> Shape(const CommandList& cmds) {
  std::vector<std::string> out;
  for (const _STR_CMD& c : cmds) {
    std::string id = c.len == 0                              ? "-"
                     : c.len >= 9 && c.buf[0] == '$' && c.buf[1] == '$' ? std::string(reinterpret_cast<const char*>(c.buf + 2), 2)
                                                             : "board";
    if (id == "RZ" || id == "board") {
      if (out.empty() || out.back() != id) out.push_back(id);
      continue;
    }
    out.push_back(id + " " + std::to_string(c.wait));
  }
  return out;
}

std::vector<unsigned char> Payload(const _STR_CMD& c) { return {c.buf + 6, c.buf + 6 + c.buf[5]}; }

struct Receiver {
  explicit Receiver(MAINBD_OEM_TYPE board) : gnss(GNSS_MNFCTR_NORVIK, board) {
    engine = dynamic_cast<LegacyEngine*>(EmGnssTestAccess::Engine(gnss));
  }
  Em_Gnss gnss;
  LegacyEngine* engine;
};

TEST(LegacyBoardCommands, BaseStartsAroundTheBoardsCommands) {
  _STR_CMD earlier = {};
  earlier.len = 1;
  earlier.wait = 1;
  Receiver novatel(OEM_NOVATEL), hemisphere(OEM_HEMISPHERE2);
  CommandList cmds = {earlier};
  novatel.gnss.Get_Gnss_StartBase(cmds);
  // The reset goes before what the vector held; ST only for a base on the first port.
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"RK 3000", "board", "RZ", "SJ 3000", "ST 3000"}));
  EXPECT_EQ(Payload(cmds.back()), (std::vector<unsigned char>{1}));
  novatel.engine->base_port = 1;
  cmds = {earlier};
  novatel.gnss.Get_Gnss_StartBase(cmds);
  EXPECT_EQ(Shape(cmds).back(), "SJ 3000");
  EXPECT_EQ(Payload(cmds.back()), (std::vector<unsigned char>{96, 3}));
  cmds = {earlier};
  hemisphere.gnss.Get_Gnss_StartBase(cmds);
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"RG 100", "board", "SJ 100", "RZ"}));
}

TEST(LegacyBoardCommands, RoverResetAndElevationMask) {
  Receiver novatel(OEM_NOVATEL), soft(OEM_SOFT_RECEIVER), hemisphere(OEM_HEMISPHERE);
  // A NovAtel rover is started by the receiver: mask 95 is out of range, 13 is used.
  Rover_Config rover = *novatel.gnss.Get_Gnss_RvCfg();
  rover.elev_mask = 95;
  rover.diff_format = 7;
  novatel.gnss.Set_Gnss_RvCfg(rover);
  CommandList cmds;
  novatel.gnss.Get_Gnss_StartRover(cmds);
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"SJ 200", "RZ", "SW 200", "RM 2000"}));
  EXPECT_EQ(Payload(cmds.front()), (std::vector<unsigned char>{0x38, 13}));
  EXPECT_EQ(Payload(cmds[cmds.size() - 2]), (std::vector<unsigned char>{1, 13}));
  EXPECT_EQ(Payload(cmds.back()), (std::vector<unsigned char>{96 | 13}));
  cmds.clear();
  hemisphere.gnss.Get_Gnss_StartRover(cmds);
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"RZ", "SJ 200", "RZ", "SW 200"}));

  // The software receiver takes its own records, and its mask is for its first system.
  cmds.clear();
  soft.gnss.Set_Gnss_ElevDgre(12, cmds);
  ASSERT_EQ(cmds.size(), 5u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(cmds[2].buf), cmds[2].len), "ecutoff 12\r\n");
  cmds.clear();
  soft.gnss.Get_Gnss_Reset(cmds);
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"RK 3000", "IM 50", "board", "IM 50"}));  // inside its brackets
  cmds.clear();
  novatel.gnss.Get_Gnss_Reset(cmds);
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"RZ"}));
}

TEST(LegacyBoardCommands, InitDiffDataAndStoredAnswers) {
  Receiver r(OEM_NOVATEL);
  r.engine->device_info.rec40_50[DEVICE_STR::kObsIntervalIndex] = 7;
  CommandList cmds;
  r.gnss.Get_Gnss_Inite(cmds);
  EXPECT_EQ(EmGnssTestAccess::Engine(r.gnss)->adapter->commands->obs_interval, 7);

  cmds.clear();
  std::vector<unsigned char> diff(120, 0x5A);
  r.gnss.Send_DiffDataToGnss(cmds, diff.data(), 120);
  EXPECT_EQ(Shape(cmds), (std::vector<std::string>{"VD 10", "VD 10", "VD 10"}));
  EXPECT_EQ(Payload(cmds[2]).size(), 10u);

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
  cmds.clear();
  r.gnss.Get_Cmd_Read_BasePosition_List(cmds);
  r.gnss.Get_BasePosition_List(out, length);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(Payload(cmds[0]), (std::vector<unsigned char>{1}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
