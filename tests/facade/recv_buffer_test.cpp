#include "facade/recv_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace {

// Discard, commit, rollback and compaction at every position are what the
// engines' block-size tests go through; here the buffer's limits.
void AppendText(RecvBuffer& rx, const std::string& text) {
  rx.Append(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
}

// Fill, cursor and mark.
std::vector<int> State(const RecvBuffer& rx) { return {rx.Fill(), rx.Cursor(), rx.Mark()}; }

TEST(RecvBuffer, FillsToCapacityAndEmptiesOnOverflow) {
  RecvBuffer rx;
  std::vector<unsigned char> block(RecvBuffer::kCapacity - 1, 'x');
  rx.Append(block.data(), static_cast<unsigned>(block.size()));
  rx.Append(block.data(), 1);
  EXPECT_EQ(rx.Fill(), RecvBuffer::kCapacity);

  unsigned char byte;
  ASSERT_TRUE(rx.Read(&byte, 1));
  rx.Commit();
  rx.Append(block.data(), 1);  // one byte too many: everything goes
  EXPECT_EQ(State(rx), (std::vector<int>{0, 0, 0}));
  EXPECT_FALSE(rx.Peek(&byte, 1));
}

TEST(RecvBuffer, ReadAndPeekCounts) {
  RecvBuffer rx;
  AppendText(rx, "abc");
  unsigned char out[4] = {};
  EXPECT_TRUE(rx.Peek(out, 0));  // Peek of 0 succeeds, Read of 0 fails
  EXPECT_FALSE(rx.Read(out, 0) || rx.Read(out, -1) || rx.Peek(out, -1) || rx.Peek(nullptr, 1) ||
               rx.Read(nullptr, 1) || rx.Read(out, 4));
  EXPECT_TRUE(rx.Peek(out, 3));
  EXPECT_EQ(rx.Cursor(), 0);
  EXPECT_TRUE(rx.Read(out, 2) && std::memcmp(out, "ab", 2) == 0 && rx.Cursor() == 2);
  EXPECT_TRUE(rx.Read(out, 1) && !rx.Read(out, 1));
  rx.Discard(4);  // beyond the filled bytes, or negative: ignored
  rx.Discard(-1);
  EXPECT_EQ(rx.Mark(), 0);
}

TEST(RecvBuffer, ReadLineReportsLengthOnFailureToo) {
  RecvBuffer rx;
  char line[300];
  int length = 0;
  AppendText(rx, "abc\r");
  EXPECT_FALSE(rx.ReadLine(line, sizeof(line), &length));
  EXPECT_EQ((std::vector<int>{length, rx.Cursor()}), (std::vector<int>{6, 0}));  // a CR in the last byte ends nothing

  rx.Reset();
  AppendText(rx, std::string(250, 'x') + "\r\n");
  EXPECT_FALSE(rx.ReadLine(line, sizeof(line), &length));
  EXPECT_EQ(length, 252);

  rx.Reset();
  AppendText(rx, std::string(249, 'y') + "\r\nzz");
  ASSERT_TRUE(rx.ReadLine(line, sizeof(line), &length));
  EXPECT_EQ(std::string(line + 247, 4), "yy\r\n");
  EXPECT_EQ((std::vector<int>{length, rx.Cursor()}), (std::vector<int>{251, 249}));  // on the CR, not past the LF

  // Any line longer than 252 is reported as 253, found or not.
  for (const std::string& tail : {std::string("\r\n"), std::string("x")}) {
    rx.Reset();
    AppendText(rx, std::string(400, 'z') + tail);
    EXPECT_FALSE(rx.ReadLine(line, sizeof(line), &length));
    EXPECT_EQ((std::vector<int>{length, rx.Cursor()}), (std::vector<int>{253, 0}));
  }
}

TEST(RecvBuffer, BeginStepCompactsOnlyAboveThreshold) {
  RecvBuffer rx;
  std::vector<unsigned char> block(RecvBuffer::kCompactThreshold, 'x');
  rx.Append(block.data(), static_cast<unsigned>(block.size()));
  rx.Discard(10);
  rx.BeginStep();  // at the threshold: left in place
  EXPECT_EQ(State(rx), (std::vector<int>{RecvBuffer::kCompactThreshold, 10, 10}));
  rx.Append(block.data(), 1);
  rx.BeginStep();
  EXPECT_EQ(State(rx), (std::vector<int>{RecvBuffer::kCompactThreshold + 1 - 10, 0, 0}));
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
