#include "newproto/newproto_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

namespace Kestrel {
namespace KsParse {
namespace {

using namespace NewProto;

std::string Hex(const unsigned char* p, std::size_t n) {
  std::string s;
  char b[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, i == 0 ? "%02X" : " %02X", p[i]);
    s += b;
  }
  return s;
}

// The item as encoded, in hex, after checking that sizing alone agrees.
std::string Item(std::uint16_t id, const void* value) {
  unsigned char out[1024] = {};
  const std::uint16_t n = EncodeItem(out, id, value);
  EXPECT_EQ(EncodeItem(nullptr, id, value), n);
  return Hex(out, n);
}

// The packets carried by a list of frames, glued back together.
std::vector<unsigned char> Unframe(const CommandList& cmds) {
  std::vector<unsigned char> bytes;
  for (const _STR_CMD& c : cmds) {
    EXPECT_EQ(c.len, c.buf[4] + 7u);
    EXPECT_EQ(Hex(c.buf, 3) + " " + Hex(c.buf + c.len - 2, 2), "24 24 01 0D 0A");
    bytes.insert(bytes.end(), c.buf + 5, c.buf + 5 + c.buf[4]);
  }
  return bytes;
}

// Scalar items, the period pair and data blocks are read back from the
// catalogue's requests in the catalogue tests; here the layouts of the other
// composite values.
TEST(NewProtoCodecTest, ItemsFollowTheirIdsValueLayout) {
  const std::uint16_t code = 14;
  NV_GNSS_BASE_SET_STRUCT base = {3, {1.0, -2.0, 0.5}};
  NV_RADIO_CALLSIGN_STRUCT call = {1, 2, {}};
  std::memset(call.callsign, 'C', sizeof call.callsign);
  const NV_BASE_POS_ENTRY_STRUCT entries[1] = {{1.0, 2.0, 7, 0xFFFFFFFF}};
  const BasePosListValue list = {0.5, 4, 1, entries};

  EXPECT_EQ(Item(0x0001, &code), "00 01 00 02 00 0E");
  EXPECT_EQ(Item(0x0001, nullptr), "00 01 00 02 00 00");
  EXPECT_EQ(Item(0x0452, &base), "04 52 00 1A 00 03 3F F0 00 00 00 00 00 00 C0 00 00 00 00 00 00 00 3F E0 00 00 00 00 00 00");
  EXPECT_EQ(Item(0x0452, nullptr), "04 52 00 00");
  EXPECT_EQ(Item(0x0718, &call), "07 18 00 13 01 02 43 43 43 43 43 43 43 43 43 43 43 43 43 43 43 43 00");
  EXPECT_EQ(Item(0x0457, &list),
            "04 57 00 22 3F E0 00 00 00 00 00 00 04 01 3F F0 00 00 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 07 00 00 00 00");
}

TEST(NewProtoCodecTest, FileRecordSettingsLeaveTheirAlignmentGaps) {
  NV_FILE_RECORD_CONFIG_STRUCT c = {"name", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(Item(0x0B06, &c),
            "0B 06 00 2B 6E 61 6D 65 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 02 00 00 00 03 00 00 "
            "00 04 05 06 07 00 08 09 00 00 00 0A");
  NV_RADIO_PROPERTY_EX_STRUCT p = {1, 2, 3, 4, {}};
  std::memset(p.text, 'T', sizeof p.text);
  EXPECT_EQ(Item(0x0714, &p), "07 14 00 1A 00 00 00 01 02 03 00 00 00 04 54 54 54 54 54 54 54 54 54 54 54 54 54 54 54 00");
}

TEST(NewProtoCodecTest, PacketsOutsideTheLimitsAreNotBuilt) {
  const std::uint16_t code = 50;
  std::vector<unsigned char> bytes(70000, 0xAB);
  const NV_BLOCK_DATA_STRUCT fits = {65266, bytes.data()};  // payload 65280
  const NV_BLOCK_DATA_STRUCT one_more = {65267, bytes.data()};
  const NV_BLOCK_DATA_STRUCT wraps = {70000, bytes.data()};
  CommandList cmds;
  BuildPacket(cmds, {{kItemMessageCode, &code}}, 0);
  BuildPacket(cmds, {{0x0303, nullptr}, {0x0305, nullptr}}, 0);  // payload 8
  BuildPacket(cmds, {{kItemMessageCode, &code}, {0x1504, &one_more}}, 0);
  BuildPacket(cmds, {{kItemMessageCode, &code}, {0x1504, &wraps}}, 0);
  FramePacket(cmds, nullptr, 10);
  FramePacket(cmds, bytes.data(), 0);
  EXPECT_TRUE(cmds.empty());
  EXPECT_EQ(EncodeItem(nullptr, 0x1504, &wraps), 4);

  BuildPacket(cmds, {{kItemMessageCode, &code}, {0x1504, &fits}}, 0);
  const std::vector<unsigned char> packet = Unframe(cmds);
  ASSERT_EQ(packet.size(), 65280u + 19);
  EXPECT_EQ(Hex(packet.data() + 11, 2), "FF 00");
}

TEST(NewProtoCodecTest, ChunksNeverPass250Bytes) {
  const std::vector<std::vector<std::uint16_t>> examples = {{249}, {250}, {125, 126}, {250, 250}, {200, 200, 200}};
  const std::uint32_t lengths[] = {249, 250, 251, 500, 600};
  for (std::size_t i = 0; i < examples.size(); ++i) EXPECT_EQ(ChunkSizes(lengths[i]), examples[i]) << lengths[i];
  EXPECT_EQ(ChunkSizes(749), (std::vector<std::uint16_t>{249, 250, 250}));
  for (std::uint32_t n = 1; n <= 65535; ++n) {
    std::uint32_t sum = 0, largest = 0;
    for (std::uint16_t c : ChunkSizes(n)) sum += c, largest = std::max<std::uint32_t>(largest, c);
    ASSERT_TRUE(sum == n && largest <= 250) << n;
  }
  EXPECT_TRUE(ChunkSizes(0).empty());
}

TEST(NewProtoCodecTest, FramesAreNumberedAcrossPacketsAndWrapAfter250) {
  const unsigned char one = 0x55;
  CommandList cmds;
  const std::uint8_t first = TransmitSequence();
  for (int i = 0; i < 260; ++i) FramePacket(cmds, &one, 1);
  for (std::size_t i = 0; i < cmds.size(); ++i) ASSERT_EQ(cmds[i].buf[3], (first + i) % 251) << i;
  EXPECT_EQ(TransmitSequence(), (first + 260) % 251);
}

TEST(NewProtoCodecTest, DifferentialDataTravelsAsADataLinkPacket) {
  Em_Gnss gnss(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO);
  unsigned char rtcm[] = {0xD3, 0x00, 0x01, 0x02};
  CommandList cmds;
  gnss.Send_DiffDataToGnss(cmds, nullptr, 4);
  gnss.Send_DiffDataToGnss(cmds, rtcm, 0);
  EXPECT_TRUE(cmds.empty());
  gnss.Send_DiffDataToGnss(cmds, rtcm, 4);
  const std::vector<unsigned char> packet = Unframe(cmds);
  EXPECT_EQ(Hex(packet.data(), packet.size()),
            "04 11 00 00 00 00 00 00 00 00 01 00 12 00 01 00 02 00 32 15 04 00 08 00 00 00 04 D3 00 01 02 00 00 00 00 09 24");
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
