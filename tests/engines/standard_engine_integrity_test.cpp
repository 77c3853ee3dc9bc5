// What the standard engine refuses and what it keeps room for: corrupted
// NMEA sentences, and the buffer space of bytes that no reader takes.
#include <gtest/gtest.h>

#include <string>

#include "tests/engines/nmea_receiver.h"

namespace Kestrel {
namespace KsParse {
namespace {

// The DOP sentence of the NMEA 0183 standard's example, checksum 0x39.
const std::string kGsa = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
constexpr unsigned kDop = 0x80000000u;

struct Dop {
  unsigned flags;
  double pdop, hdop, vdop;
  bool operator==(const Dop& o) const {
    return flags == o.flags && pdop == o.pdop && hdop == o.hdop && vdop == o.vdop;
  }
};

std::vector<Dop> DopMessages(const std::string& stream) {
  NmeaReceiver r(OEM_NMEA_SECOND);
  r.Feed(stream + kNmeaTail, {4096});
  std::vector<Dop> dops;
  for (const Snapshot& s : r.messages) dops.push_back({s.flags, s.dops.pdop, s.dops.hdop, s.dops.vdop});
  return dops;
}

TEST(StandardEngineIntegrity, NmeaChecksumAndCutSentences) {
  const std::vector<Dop> right = {{kDop, 2.5, 1.3, 2.1}};
  EXPECT_EQ(DopMessages(kGsa), right);
  // A wrong checksum is refused, and so is a corrupted value under the
  // right one.
  EXPECT_TRUE(DopMessages("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*00\r\n").empty());
  EXPECT_TRUE(DopMessages("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*3a\r\n").empty());
  EXPECT_TRUE(DopMessages("$GPGSA,A,3,04,05,,09,12,,,24,,,,,9.5,1.3,2.1*39\r\n").empty());
  // A sentence without a checksum is still taken, unless it holds a byte
  // outside printable ASCII (noise reaching a line end in binary data).
  EXPECT_EQ(DopMessages("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1\r\n"), right);
  EXPECT_TRUE(DopMessages(std::string("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1\x01\r\n")).empty());
  // A sentence cut by noise ends at the next '$': the whole sentence behind
  // it is decoded, the cut one gives nothing (not a record of zeros).
  EXPECT_EQ(DopMessages("$GPGSA,1,2" + kGsa), right);
  EXPECT_EQ(DopMessages("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3" + kGsa + kGsa), (std::vector<Dop>{right[0], right[0]}));
}

TEST(StandardEngineIntegrity, SkippedBytesLeaveRoomForTheNextBlock) {
  // More than 18480 bytes that no reader takes arrive before a ParseData
  // call; passing over them in that one call reclaims their room, so the
  // next 2000-byte block fits and its sentence is decoded.
  NmeaReceiver r(OEM_NMEA_SECOND);
  std::string filler(18490, 'x');
  r.gnss.RcvData(reinterpret_cast<unsigned char*>(&filler[0]), static_cast<unsigned>(filler.size()));
  r.gnss.ParseData();
  EXPECT_LE(r.Buffer().Fill(), 2);
  std::string block = kGsa;
  block.resize(2000, '\n');
  r.Feed(block, {2000});
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].flags, kDop);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
