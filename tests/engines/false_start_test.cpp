// How the older receivers' and the new-protocol engines pass over bytes and
// false starts that begin no frame: whatever precedes a frame (random bytes,
// runs of "$", a false start that claims the frame, unended GGA lines) and
// however the bytes arrive, the frame is decoded once.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engines/legacy_receiver.h"
#include "newproto/newproto_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

class LegacySkip : public LegacyReceiver {
 protected:
  // Reports of the whole stream handed over in pieces of `piece` bytes,
  // ParseData called after each while it consumes bytes.
  Reports FeedInPieces(const std::string& bytes, std::size_t piece) {
    Reports all;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      Feed(bytes.substr(at, piece));
      all.insert(all.end(), reports.begin(), reports.end());
      for (unsigned held = gnss.Get_BufferedBytes(), now; held > 0; held = now) {
        reports.clear();
        gnss.ParseData();
        all.insert(all.end(), reports.begin(), reports.end());
        now = gnss.Get_BufferedBytes();
        if (now >= held) break;
      }
    }
    return all;
  }
};

TEST_F(LegacySkip, FramesBehindGarbageAreFoundWhateverThePieces) {
  std::mt19937 random(3);
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>(random() & 0xFF);
  const std::string frame = Frame("SC", "");
  // Random bytes, a run of "$" (each reads as the start of a frame named
  // "$$"), a "$" with a frame's first bytes, then the frame.
  const std::string stream = garbage + frame + std::string(600, '$') + frame + "$$S" + frame;
  for (std::size_t piece : {std::size_t{1}, std::size_t{13}, stream.size()}) {
    EXPECT_EQ(FeedInPieces(stream, piece), (Reports{{2, 0x80000}, {2, 0x80000}, {2, 0x80000}})) << piece;
    gnss.Data_Clear();
  }
}

// A "$" frame whose identifier is not two capital letters is no frame the
// receiver sends: only its "$" is passed over, so a frame that its claimed
// length covers is still decoded (such a frame used to be taken whole and
// ignored, the frame inside lost with it).
TEST_F(LegacySkip, FalseIdentifierDoesNotHideTheFrameItCovers) {
  const std::string inner = Frame("SC", "");
  EXPECT_EQ(Feed(Frame("s1", inner)), (Reports{{2, 0x80000}}));
  // A named frame of no interest is still taken whole with what it covers.
  EXPECT_EQ(Feed(Frame("ZZ", inner)), Reports{});
}

// "$GPGGA,1," without a line end, each lead losing its $GPGGA once the
// line can no longer end within 251 bytes; runs of '$' read as transport
// leads ("$$", length 36, no CR LF where it should be).
TEST(NewProtoFalseStarts, FramesBehindFloodsAreDecoded) {
  using Testing::Message;
  const std::string gga_open = [] {
    std::string s;
    for (int i = 0; i < 60; ++i) s += "$GPGGA,1,";
    return s;
  }();
  const std::string floods = gga_open + std::string(700, '$') + "\r\n";
  for (std::size_t block : {std::size_t{0}, std::size_t{9}}) {
    Testing::NewProtoReceiver r;
    const Testing::Bytes packet = r.link.Frames(Sim::NewProtoPacket(14, {{0x0451, Sim::ItemValue().U8(7).bytes()}}));
    Testing::Bytes stream(floods.begin(), floods.end());
    stream.insert(stream.end(), packet.begin(), packet.end());
    r.Feed(stream, block);
    // Each refused GGA lead ends a ParseData call: call on while bytes go.
    for (unsigned held = r.gnss.Get_BufferedBytes(), now; held > 0; held = now) {
      r.gnss.ParseData();
      now = r.gnss.Get_BufferedBytes();
      if (now >= held) break;
    }
    EXPECT_EQ(r.got, (std::vector<Message>{{MSG_NV_GNSS, 0x4}})) << "block " << block;
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
