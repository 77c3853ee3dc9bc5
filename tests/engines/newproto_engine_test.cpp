#include "engines/newproto_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "newproto/newproto_codec.h"
#include "newproto/newproto_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;
using Sim::NewProtoPacket;
using Sim::TransportFrame;

NewProtoItem Position(double x) { return {0x040A, ItemValue().F64(x).F64(2).F64(3).U32(4).bytes()}; }
NewProtoItem ElevMask(unsigned v) { return {0x0451, ItemValue().U8(v).bytes()}; }
const Message kPositionMsg = {MSG_NV_GNSS, 0x40};

// The packet cut into `parts` frames of nearly equal size.
std::vector<Bytes> Split(const Bytes& packet, std::size_t parts) {
  std::vector<Bytes> chunks;
  const std::size_t size = (packet.size() + parts - 1) / parts;
  for (std::size_t pos = 0; pos < packet.size(); pos += size)
    chunks.emplace_back(packet.begin() + pos, packet.begin() + std::min(packet.size(), pos + size));
  return chunks;
}

TEST(NewProtoEngineTest, PacketAcrossFramesIsDecodedOnceAfterItsLastFrame) {
  NewProtoReceiver r;
  const std::vector<Bytes> chunks = Split(NewProtoPacket(14, {Position(1.5)}, 0x0410), 3);
  r.Feed(TransportFrame(1, 7, chunks[0]));
  r.Feed(TransportFrame(1, 8, chunks[1]));
  EXPECT_TRUE(r.got.empty());
  r.Feed(TransportFrame(1, 9, chunks[2]));
  EXPECT_EQ(r.got, std::vector<Message>{kPositionMsg});
  POS_INFO pos;
  r.gnss.Get_Gnss_Pos(&pos);
  ExpectNear({pos.latitude, pos.longitude, pos.height, double(pos.solution)}, {1.5, 2, 3, 4});
  EXPECT_EQ(r.Store().response_tag, 0x0410u);
}

// Frames of one packet with the given (stream, sequence) pairs, then a whole
// packet in one frame with the last pair's successor.
struct SequenceCase {
  const char* name;
  std::vector<std::pair<int, int>> frames;
  std::vector<Message> want;
};

TEST(NewProtoEngineTest, LostOrForeignFramesDropThePacketTheyCut) {
  const SequenceCase cases[] = {
      {"consecutive", {{1, 5}, {1, 6}, {1, 7}}, {kPositionMsg, kPositionMsg}},
      {"any first number", {{1, 250}, {1, 0}, {1, 1}}, {kPositionMsg, kPositionMsg}},
      {"middle number skips", {{1, 5}, {1, 9}, {1, 10}}, {kPositionMsg}},
      {"middle number repeats", {{1, 5}, {1, 5}, {1, 6}}, {kPositionMsg}},
      {"stream changes", {{1, 5}, {2, 6}, {2, 7}}, {kPositionMsg}},
  };
  for (const SequenceCase& c : cases) {
    NewProtoReceiver r;
    const std::vector<Bytes> chunks = Split(NewProtoPacket(14, {Position(1)}), 3);
    for (std::size_t i = 0; i < 3; ++i)
      r.Feed(TransportFrame(static_cast<std::uint8_t>(c.frames[i].first),
                            static_cast<std::uint8_t>(c.frames[i].second), chunks[i]));
    const auto last = c.frames.back();
    r.Feed(TransportFrame(static_cast<std::uint8_t>(last.first), static_cast<std::uint8_t>((last.second + 1) % 251),
                          NewProtoPacket(14, {Position(1)})));
    EXPECT_EQ(r.got, c.want) << c.name;
  }
}

TEST(NewProtoEngineTest, DamagedFramesAndPacketsAreSkippedAndTheNextOneDecoded) {
  const Bytes good = NewProtoPacket(14, {Position(1)});
  Bytes short_length = NewProtoPacket(14, {});  // payload of 6 bytes: below the minimum
  Bytes bad_end = good;
  bad_end.back() = 0x25;
  Bytes huge_length = good;
  huge_length[11] = 0x50, huge_length[12] = 0x01;  // 20481 bytes
  Bytes no_crlf = TransportFrame(1, 0, good);
  no_crlf[no_crlf.size() - 1] = 'x';
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"chunk over 250", TransportFrame(1, 0, Bytes(251, 0x04))},
      {"frame without CR LF", no_crlf},
      {"payload below 10", TransportFrame(1, 0, short_length)},
      {"payload over 20480", TransportFrame(1, 0, huge_length)},
      {"wrong end bytes", TransportFrame(1, 0, bad_end)},
      {"noise", Text("$$$G$GPGSV,1,1*55\r\n\x04\x11$")},
      // A GGA line cut short by noise ends at the next '$'; one that cannot
      // end within 251 bytes costs one byte. Neither swallows the frame.
      {"GGA line cut short", Text("$GPGGA,1,2")},
      {"GGA line too long", Text(("$GPGGA," + std::string(260, 'x')).c_str())},
  };
  for (const auto& c : cases) {
    NewProtoReceiver r;
    r.Feed(Cat({c.second, TransportFrame(1, 1, NewProtoPacket(14, {Position(1)}))}));
    r.gnss.ParseData();  // a refused GGA line ends the first call
    EXPECT_EQ(r.got, std::vector<Message>{kPositionMsg}) << c.first;
  }
}

TEST(NewProtoEngineTest, ItemLoopStopsAtAnItemThatRunsPastThePayload) {
  NewProtoReceiver r;
  Bytes packet = NewProtoPacket(22, {{0x0704, ItemValue().U32(9).bytes()}, {0x0709, ItemValue().U32(8).bytes()}});
  packet[13 + 17] = 0x09;  // the second radio item claims 9 value bytes
  r.Feed(r.link.Frames(Cat({packet, NewProtoPacket(22, {{0x070B, ItemValue().U32(7).bytes()}})})));
  EXPECT_EQ(r.got, (std::vector<Message>{{MSG_NV_RADIO_LINK, 0x8}}));
  EXPECT_EQ((U{r.Store().radio_power, r.Store().radio_stepper, r.Store().radio_air_baud}), (U{9, 0, 7}));
}

TEST(NewProtoEngineTest, MinimalPayloadIsAPacketWithNothingToDecode) {
  NewProtoReceiver r;
  r.FeedPacket(14, {{0x0451, {}}});  // code item and one empty item: 10 bytes
  EXPECT_EQ(r.Engine().last_kind, MSG_NV_GNSS);
  EXPECT_TRUE(r.got.empty());
  EXPECT_EQ(r.Engine().header.length, 10u);
}

TEST(NewProtoEngineTest, MessageKindFollowsTheMessageCode) {
  const std::vector<std::pair<std::uint16_t, Msg_Type>> codes = {
      {2, MSG_NV_SYSTEM},      {11, MSG_NV_SYSTEM},     {39, MSG_NV_SYSTEM},   {14, MSG_NV_GNSS},
      {16, MSG_NV_GNSS},       {22, MSG_NV_RADIO_LINK}, {47, MSG_NV_RADIO_LINK}, {51, MSG_NV_RADIO_LINK},
      {34, MSG_NV_WIFI_MODEM}, {43, MSG_NV_WIFI_MODEM}, {12, MSG_NONE},          {1000, MSG_NONE}};
  NewProtoReceiver r;
  std::vector<Message> want;
  for (const auto& c : codes) {
    r.FeedPacket(c.first, {{0x0002, ItemValue().U16(3).bytes()}});
    want.push_back({c.second, 0x80000000u});
  }
  EXPECT_EQ(r.got, want);
  EXPECT_EQ(r.Store().response_status, 3);
}

TEST(NewProtoEngineTest, GgaLinesArePassedToTheBoardBetweenFrames) {
  NewProtoReceiver r;
  const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  r.Feed(Cat({Text("$GPGSV,1,1,00*79\r\n"), Text(gga.c_str()), r.link.Frames(NewProtoPacket(14, {Position(1)}))}));
  // A line too long to be a sentence loses its $GPGGA and ends the parse call.
  r.Feed(Cat({Text(("$GPGGA," + std::string(260, 'x') + "\r\n").c_str()), r.link.Frames(NewProtoPacket(14, {ElevMask(12)}))}));
  r.gnss.ParseData();
  EXPECT_EQ(r.got, (std::vector<Message>{{MSG_NV_NMEA, 0x1}, kPositionMsg, {MSG_NV_GNSS, 0x4}}));
  const NewProtoBoardData& s = r.Store();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.text_reply), s.text_reply_length), gga);
}

// A stream with every kind of content: packets of several families cut
// over frames, garbage, a GGA line and damaged frames.
Bytes MixedStream() {
  Sim::NewProtoLink link{0x01, 240};
  Bytes s = link.Frames(NewProtoPacket(14, {Position(1), ElevMask(3)}), 17);
  s = Cat({s, Text("garbage$$\xFF"), link.Frames(NewProtoPacket(22, {{0x0716, {4}}, {0x0717, {5}}}), 9)});
  s = Cat({s, Text("$GPGGA,1,2,3*4A\r\n"), TransportFrame(1, 3, Bytes(20, 0x04))});
  link.sequence = 99;
  return Cat({s, link.Frames(Cat({NewProtoPacket(43, {{0x140D, {0, 6}}}), NewProtoPacket(11, {{0x0308, {1}}})}), 31)});
}

TEST(NewProtoEngineTest, SameCallbacksWhateverTheBlockSize) {
  const Bytes stream = MixedStream();
  NewProtoReceiver whole;
  whole.Feed(stream);
  EXPECT_EQ(whole.got.size(), 5u);
  for (std::size_t block : {1, 2, 7, 64}) {
    NewProtoReceiver r;
    r.Feed(stream, block);
    EXPECT_EQ(r.got, whole.got) << "block " << block;
  }
}

TEST(NewProtoEngineTest, LongStreamOfPacketsLosesNone) {
  NewProtoReceiver r;
  Bytes stream;
  // Small packets with a long one now and then, which must fit beside
  // what the reassembly buffer already holds.
  const NewProtoItem block = {0x0408, ItemValue().U32(4500).Text("", 4500).bytes()};
  for (int i = 0; i < 600; ++i)
    stream = Cat({stream, r.link.Frames(NewProtoPacket(14, {i % 50 == 49 ? block : Position(i)}), 50)});
  ASSERT_GT(stream.size(), 2u * RecvBuffer::kCapacity);
  r.Feed(stream, 4000);
  EXPECT_EQ(r.got.size(), 600u);
  EXPECT_EQ(r.Store().latitude, 598);
}

TEST(NewProtoEngineTest, CommandPacketsDecodeOnTheReceiveSide) {
  // Both directions share one wire format: what the codec builds, the
  // engine takes apart.
  NV_GNSS_BASE_SET_STRUCT base = {3, {10.5, -20.25, 30}};
  const std::uint16_t code = 14;
  CommandList cmds;
  NewProto::BuildPacket(cmds, {{NewProto::kItemMessageCode, &code}, {0x0452, &base}}, 0x0452);
  NewProtoReceiver r;
  for (const _STR_CMD& c : cmds) r.Feed(Bytes(c.buf, c.buf + c.len));
  EXPECT_EQ(r.got, (std::vector<Message>{{MSG_NV_GNSS, 0x8}}));
  BASEINFO got;
  r.gnss.Get_Gnss_Baseinfo(got);
  ExpectNear({got.x, got.y, got.z, double(r.Store().base_set_mode)}, {10.5, -20.25, 30, 3});
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
