#include "engines/protocol_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engines/standard_engine.h"

namespace Kestrel {
namespace KsParse {
namespace {

std::vector<unsigned int> PacketSizes(unsigned int length) {
  std::vector<unsigned char> data(length, 0x5A);
  CommandList cmds;
  ProtocolEngine::AppendRawPackets(cmds, data.data(), length, 50);
  std::vector<unsigned int> sizes;
  for (const _STR_CMD& c : cmds) {
    EXPECT_EQ(+c.wait, 50u);
    sizes.push_back(c.len);
  }
  return sizes;
}

TEST(ProtocolEngine, RawPacketsAreCutAt512Bytes) {
  EXPECT_EQ(PacketSizes(0), std::vector<unsigned int>{0});
  EXPECT_EQ(PacketSizes(512), std::vector<unsigned int>{512});
  EXPECT_EQ(PacketSizes(1024), (std::vector<unsigned int>{512, 512}));
  EXPECT_EQ(PacketSizes(1025), (std::vector<unsigned int>{512, 512, 1}));

  std::vector<unsigned char> data(600);
  for (unsigned i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i);
  CommandList cmds(1);  // records already there stay
  StandardEngine engine;
  engine.SendDiffData(cmds, data.data(), 600);
  ASSERT_EQ(cmds.size(), 3u);
  // The second packet starts at byte 512; the rest of the packet is zero.
  EXPECT_EQ((std::vector<unsigned>{cmds[1].wait, cmds[2].buf[0], cmds[2].buf[88]}), (std::vector<unsigned>{100, 0, 0}));
  engine.CustomPackets(cmds, data.data(), 1);
  EXPECT_EQ(+cmds.back().wait, 50u);
}
}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
