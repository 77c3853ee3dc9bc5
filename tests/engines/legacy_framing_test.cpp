// The legacy engine's framing step: "$", identifier, route, length L, L
// payload bytes, an exclusive-or check over them, CR LF. Frames are written
// out byte for byte here; SC reports device flag 0x80000, SX 0x40000.
#include <gtest/gtest.h>

#include <string>

#include "tests/engines/legacy_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

// Check bytes: 'S' ^ 'C' ^ 0x18 ^ 0 = 0x08; 'S' ^ 'X' ^ 0x18 ^ 0 = 0x13.
const std::string kSc("$$SC\x18\x00\x08\r\n", 9);
const std::string kSx("$$SX\x18\x00\x13\r\n", 9);
const Reports kScReport = {{MSG_DEVICE, 0x80000}};
const Reports kBoth = {{MSG_DEVICE, 0x80000}, {MSG_DEVICE, 0x40000}};

using LegacyFraming = LegacyReceiver;

TEST_F(LegacyFraming, FrameSplitAtEveryByte) {
  const std::string two = kSc + kSx;
  for (std::size_t cut = 1; cut < two.size(); ++cut) {
    Reports seen = Feed(two.substr(0, cut));
    const Reports rest = Feed(two.substr(cut));
    seen.insert(seen.end(), rest.begin(), rest.end());
    EXPECT_EQ(seen, kBoth) << cut;
  }
  // One byte at a time.
  Reports seen;
  for (char c : two) {
    const Reports r = Feed(std::string(1, c));
    seen.insert(seen.end(), r.begin(), r.end());
  }
  EXPECT_EQ(seen, kBoth);
}

TEST_F(LegacyFraming, GarbageBetweenFramesIsPassedOver) {
  EXPECT_EQ(Feed(std::string("\x00\xFFxyz\x13\x01", 7) + kSc + "\r\n\xAA\x44" + kSx), kBoth);
}

TEST_F(LegacyFraming, BadCheckValueReportsNothingAndTheNextFrameIsFound) {
  std::string bad = kSc;
  bad[6] ^= 0x01;
  // The bytes after let the false start at the bad frame's second "$"
  // (length 9) complete and fail.
  EXPECT_EQ(Feed(bad + kSx + std::string(10, 'z')), (Reports{{MSG_DEVICE, 0x40000}}));
}

TEST_F(LegacyFraming, FrameFoundAgainInsideACorruptedOne) {
  // An RK frame claiming 20 payload bytes that hold a whole SC frame; its
  // own check is wrong, so only the SC frame inside it counts. The bytes
  // after it let the false start at its second "$" (length 36) complete
  // and fail too.
  const std::string outer = std::string("$$RK\x18\x14", 6) + kSc + std::string(11, 'p') + "\x55\r\n";
  EXPECT_EQ(Feed(outer + std::string(40, 'z')), kScReport);
}

TEST_F(LegacyFraming, LengthPromisingMoreThanArrivesWaits) {
  // A false start whose length byte claims 200 bytes: nothing is taken and
  // nothing consumed while the claimed bytes are missing.
  const std::string false_start("$$RG\x18\xC8", 6);
  EXPECT_TRUE(Feed(false_start + kSc).empty());
  EXPECT_EQ(engine().rx->Mark(), 0);
  // Once the claimed frame is complete its check fails, and the frame
  // behind the false start is found.
  EXPECT_EQ(Feed(std::string(200, 'z')), kScReport);
}

// A first-generation Hemisphere board's reply without its line end, in one
// RG frame, and a GGA in the next: the reply is taken as it is, and the
// GGA's last field ("0001") is not read as the mask.
class LegacyHemisphereReply : public LegacyReceiver {
 protected:
  explicit LegacyHemisphereReply(MAINBD_OEM_TYPE board = OEM_HEMISPHERE) : LegacyReceiver(board) {}
};
class LegacyHemisphere2Reply : public LegacyHemisphereReply {
 protected:
  LegacyHemisphere2Reply() : LegacyHemisphereReply(OEM_HEMISPHERE2) {}
};

const char kGga[] = "$GPGGA,120000.00,3110.4906,N,12118.8685,E,4,12,0.9,10.0,M,0.0,M,1.0,0001*4F\r\n";

TEST_F(LegacyHemisphereReply, ReplyWithoutLineEndDoesNotSwallowTheNextSentence) {
  Feed("RG", "$>JSHOW,ELEVMASK,10");
  EXPECT_EQ(gnss.Get_Gnss_ElevMask(), 10u);
  const Reports gga = Feed("RG", kGga);
  ASSERT_EQ(gga.size(), 1u);
  EXPECT_NE(gga[0].second & 0x1000, 0u);  // the GGA's own message
  EXPECT_EQ(gnss.Get_Gnss_ElevMask(), 10u);
}

TEST_F(LegacyHemisphere2Reply, ReplyWithoutLineEndDoesNotSwallowTheNextSentence) {
  Feed("RG", "$>JSHOW,MASK,12");
  EXPECT_EQ(gnss.Get_Gnss_ElevMask(), 12u);
  const Reports gga = Feed("RG", kGga);
  ASSERT_EQ(gga.size(), 1u);
  EXPECT_NE(gga[0].second & 0x1000, 0u);
  EXPECT_EQ(gnss.Get_Gnss_ElevMask(), 12u);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
