// How the older receivers' engine passes over bytes that begin no frame:
// whatever precedes a frame (random bytes, runs of "$", a false "$" that
// claims the frame) and however the bytes arrive, the frame is decoded once.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engines/legacy_receiver.h"

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

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
