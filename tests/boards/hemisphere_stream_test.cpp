// A first-generation Hemisphere board behind Em_Gnss(1, 4): NMEA, "$BIN"
// messages and replies in one stream, fed in one block and byte by byte,
// give the same messages and the same decoded data.
#include <gtest/gtest.h>

#include <ksparse/em_gnss.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "board_test_support.h"
#include "tools/sim/hemisphere_sim.h"
#include "tools/sim/nmea_sim.h"

namespace Kestrel {
namespace KsParse {
namespace {

using namespace Testing;

struct Result {
  std::vector<std::pair<int, unsigned>> messages;
  POS_INFO pos;
  unsigned elev_mask = 0, gps_count = 0;
  SATLLITE_STR gps[32];
};

void Record(Msg_Type kind, unsigned int value, const void* context) {
  static_cast<Result*>(const_cast<void*>(context))->messages.emplace_back(kind, value);
}

Result Parse(std::string stream, std::size_t block) {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_HEMISPHERE);
  Result r;
  const _CALLBACKS_RECEIVER callbacks = {&Record, nullptr};
  gnss.Reg_Callbacks(&callbacks, &r);
  for (std::size_t at = 0; at < stream.size(); at += block) {
    const std::size_t n = std::min(block, stream.size() - at);
    gnss.RcvData(reinterpret_cast<unsigned char*>(&stream[at]), static_cast<unsigned>(n));
    for (int i = 0; i < 3; ++i) gnss.ParseData();  // a refused frame ends a call
  }
  gnss.Get_Gnss_Pos(&r.pos);
  r.elev_mask = gnss.Get_Gnss_ElevMask();
  gnss.Get_Gnss_SatInfo(1, &r.gps_count, r.gps);
  return r;
}

std::string Text(const Sim::Frame& f) { return std::string(f.begin(), f.end()); }

TEST(HemisphereStream, OneBlockAndByteByByteAgree) {
  Sim::NmeaFix fix;
  fix.latitude_deg = 31.5, fix.quality = 4, fix.gps = {{3, 45, 120, 44}, {7, 20, 200, 38}, {12, 10, 300, 25}};
  Sim::HemispherePositionFields p;
  p.latitude = 31.6, p.longitude = 121.3, p.height = 25.5f;
  Sim::Frame bad = Sim::HemispherePosition({});
  bad[20] ^= 1;
  // The NMEA reader takes a sentence once 306 bytes are buffered from its
  // start: the padding lets the last ones through.
  const std::string stream =
      Sim::NmeaEpoch(fix) + Text(Sim::HemisphereChannels(2400, 1, {{3, 0x40, 45, 120}, {7, 0, 20, 200}})) +
      Text(Sim::HemispherePosition(p)) + Text(bad) + Text(Sim::HemisphereDops({})) +
      Sim::HemisphereReply("JSHOW,ELEVMASK,10") + Sim::HemisphereReply("JI,1,2") + "\x55\xAA noise" +
      Sim::HemisphereReply("JUNKNOWN") + std::string(400, '\0');

  const Result whole = Parse(stream, stream.size()), bytes = Parse(stream, 1);
  EXPECT_EQ(whole.messages, (std::vector<std::pair<int, unsigned>>{{MSG_GNSS, MsgBit::kRmc},
                                                                   {MSG_GNSS, MsgBit::kGgaText},
                                                                   {MSG_GNSS, MsgBit::kGpsSats},
                                                                   {MSG_GNSS, MsgBit::kNmeaPosition},
                                                                   {MSG_GNSS, MsgBit::kElevMask}}));
  EXPECT_EQ((D{whole.pos.latitude, whole.pos.longitude, whole.pos.height, 1.0 * whole.pos.solution}),
            (D{31.6 * kDeg, 121.3 * kDeg, 25.5, 11}));
  EXPECT_EQ((U{whole.elev_mask, whole.gps_count, whole.gps[0].status, whole.gps[1].status, whole.gps[2].status}),
            (U{10, 3, 1, 0, 0}));
  EXPECT_EQ(bytes.messages, whole.messages);
  EXPECT_EQ((U{std::memcmp(&whole.pos, &bytes.pos, sizeof(POS_INFO)), bytes.elev_mask, bytes.gps_count,
               std::memcmp(whole.gps, bytes.gps, sizeof(SATLLITE_STR) * 3)}),
            (U{0, 10, 3, 0}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
