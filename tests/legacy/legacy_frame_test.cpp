#include "legacy/legacy_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engines/legacy_engine.h"

namespace Kestrel {
namespace KsParse {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes Template(const std::string& text, unsigned int channel = 1, unsigned int class_code = 8) {
  unsigned char out[Legacy::kTemplateFrameMax];
  unsigned int length = 0;
  Legacy::BuildTemplateFrame(text.c_str(), out, sizeof out, &length, channel, class_code);
  return Bytes(out, out + length);
}

Bytes Frame(const char id[2], unsigned char route, const Bytes& payload) {
  Bytes f(payload.size() + 9);
  f[0] = f[1] = 0x24;
  f[2] = static_cast<unsigned char>(id[0]);
  f[3] = static_cast<unsigned char>(id[1]);
  f[4] = route;
  f[5] = static_cast<unsigned char>(payload.size());
  for (std::size_t i = 0; i < payload.size(); ++i) f[6 + i] = payload[i];
  for (std::size_t i = 2; i < payload.size() + 6; ++i) f[payload.size() + 6] ^= f[i];
  f[payload.size() + 7] = 0x0D;
  f[payload.size() + 8] = 0x0A;
  return f;
}

Bytes Of(const _STR_CMD& c) { return Bytes(c.buf, c.buf + c.len); }

_STR_CMD Record(const std::string& bytes, std::uint32_t wait = 7) {
  _STR_CMD c = {};
  std::memcpy(c.buf, bytes.data(), bytes.size());
  c.len = static_cast<std::uint32_t>(bytes.size());
  c.wait = wait;
  return c;
}

TEST(LegacyTemplate, FieldsIdsAndSeparators) {
  struct Case {
    std::string text;
    Bytes want;
  } cases[] = {
      {"RG,B200", {0x24, 0x24, 0x52, 0x47, 0x18, 0x01, 0xC8, 0xC4, 0x0D, 0x0A}},
      {"SI", {0x24, 0x24, 0x53, 0x49, 0x18, 0x00, 0x02, 0x0D, 0x0A}},
      {"RF,M258,B3", Frame("RF", 0x18, {0x01, 0x02, 0x03})},   // M: high byte first
      {"RF,W258", Frame("RF", 0x18, {0x02, 0x01})},            // W: low byte first
      {"rf b-1 m-2,l4294967295", Frame("rf", 0x18, {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"X,W258", Frame("XW", 0x18, {})},      // every non-letter is skipped in the id
      {"RF,B1B2", Frame("RF", 0x18, {0x01})},  // a letter without separator is not a field
      {"RG,B", Frame("RG", 0x18, {})},         // no number: no byte
      {"PA,B1,S a, b c", Frame("PA", 0x18, {0x01, ' ', 'a', ',', ' ', 'b', ' ', 'c'})},
      {"123", {0x24, 0x24, 0x00, 0x0D, 0x0A}},  // no letter at all
  };
  for (const Case& c : cases) EXPECT_EQ(Template(c.text), c.want) << c.text;
  EXPECT_EQ(Template("RG,B200", 3), (Bytes{0x24, 0x24, 0x52, 0x47, 0x38, 0x01, 0xC8, 0xE4, 0x0D, 0x0A}));
  EXPECT_EQ(Template("VM,B1", 3, 11)[4], 0x3B);
}

TEST(LegacyTemplate, LimitsOfFieldsAndTexts) {
  // A field may start at offset 255 and cross the 256 limit; none starts after.
  std::string text = "RF,B1";
  for (int i = 0; i < 64; ++i) text += ",L1";
  Bytes f = Template(text);
  ASSERT_EQ(f.size(), Legacy::kFieldFrameMax);
  EXPECT_EQ(f[5], 253);
  EXPECT_EQ(Bytes(f.end() - 7, f.end() - 3), (Bytes{1, 0, 0, 0}));
  // Only the first 1023 characters are read, and an S text is copied whole.
  const std::string long_text = "XX,S" + std::string(2000, 'a');
  f = Template(long_text);
  ASSERT_EQ(f.size(), 6u + 1019u + 3u);
  EXPECT_EQ(f[5], 1019 & 0xFF);  // the length byte wraps
  // An S text is cut at the output's capacity, and too small an output gets nothing.
  unsigned char small[Legacy::kFieldFrameMax];
  unsigned int length = 99;
  Legacy::BuildTemplateFrame(long_text.c_str(), small, sizeof small, &length, 1, 8);
  EXPECT_EQ(length, Legacy::kFieldFrameMax);
  EXPECT_EQ(small[length - 1], 0x0A);
  Legacy::BuildTemplateFrame("RG,B1", small, sizeof small - 1, &length, 1, 8);
  EXPECT_EQ(length, 0u);
}

TEST(LegacyFrames, ByteFramesAndModemPackets) {
  unsigned char out[Legacy::kFieldFrameMax];
  unsigned int length = 0;
  const unsigned char payload[] = {0x00, 0x24, 0x0D};
  Legacy::BuildByteFrame("RZ", payload, 3, out, &length, 3);
  EXPECT_EQ(Bytes(out, out + length), Frame("RZ", 0x38, {0x00, 0x24, 0x0D}));
  length = 5;
  Legacy::BuildByteFrame("RZ", nullptr, 3, out, &length, 1);
  EXPECT_EQ(length, 5u);

  LegacyEngine engine;
  Legacy::BuildModemPacket(engine, 101, out, &length, 0, nullptr);
  EXPECT_EQ(Bytes(out, out + length),
            (Bytes{0x24, 0x24, 0x56, 0x53, 0x1B, 0x06, 0x40, 0x65, 0x9A, 0x00, 0x00, 0xBF, 0x18, 0x0D, 0x0A}));
  const unsigned char data[] = {'A', 'T', 0xFF};
  engine.com_status = COM_STATUS_RELAYED;
  Legacy::BuildModemPacket(engine, 7, out, &length, 3, data);
  EXPECT_EQ(Bytes(out, out + length),
            Frame("VS", 0x3B, {0x40, 0x07, 0xF8, 0x03, 0x00, 'A', 'T', 0xFF, 0x40 ^ 0x07 ^ 0xF8 ^ 0x03 ^ 'A' ^ 'T' ^ 0xFF}));
  // A packet longer than a template carries is cut where the template ends,
  // never beyond the frame's bounds.
  const std::vector<unsigned char> big(400, 0xAB);
  Legacy::BuildModemPacket(engine, 7, out, &length, 400, big.data());
  EXPECT_LE(length, Legacy::kFieldFrameMax);
  engine.com_status = static_cast<Com_Status>(3);
  Legacy::BuildModemPacket(engine, 101, out, &length, 0, nullptr);
  EXPECT_EQ(length, 0u);
}

TEST(LegacyFrames, RecordsAndPassThroughSplitting) {
  LegacyEngine engine;
  // Pieces of 55 bytes: 55 stays one frame, 56 gives 55 + 1, 110 exactly two, 120 three.
  CommandList in = {Record(std::string(55, 'a')), Record(std::string(56, 'b')), Record(std::string(110, 'c')),
                    Record(std::string(120, 'd'))};
  CommandList out = {Record("kept")};
  Legacy::SplitAndFrame(engine, out, in, Legacy::PassThrough::kBoard);
  std::vector<std::uint32_t> payloads, waits;
  for (std::size_t i = 1; i < out.size(); ++i) {
    const _STR_CMD& c = out[i];
    ASSERT_EQ(Bytes(c.buf, c.buf + 4), (Bytes{0x24, 0x24, 'R', 'Z'}));
    payloads.push_back(c.buf[5]);
    waits.push_back(c.wait);
  }
  EXPECT_EQ(payloads, (std::vector<std::uint32_t>{55, 55, 1, 55, 55, 55, 55, 10}));
  EXPECT_EQ(waits, (std::vector<std::uint32_t>{7, 100, 100, 100, 100, 100, 100, 100}));
  EXPECT_EQ(Of(out[0]), Bytes({'k', 'e', 'p', 't'}));

  // The modem form carries the text verbatim, commas and blanks included.
  out.clear();
  Legacy::SplitAndFrame(engine, out, {Record("AT+CGDCONT=1,\"IP\", x")}, Legacy::PassThrough::kModem);
  ASSERT_EQ(out.size(), 1u);
  const std::string text = "AT+CGDCONT=1,\"IP\", x";
  EXPECT_EQ(Of(out[0]), Frame("VL", 0x1B, Bytes(text.begin(), text.end())));
  EXPECT_EQ(out[0].buf[out[0].len], 0);

  // Without a usable connection status every record is appended empty.
  engine.com_status = static_cast<Com_Status>(0);
  out.clear();
  Legacy::SplitAndFrame(engine, out, {Record("x"), Record(std::string(60, 'y'))}, Legacy::PassThrough::kModem);
  Legacy::AppendTemplateCommand(engine, out, "RG,B1", 5);
  ASSERT_EQ(out.size(), 4u);
  for (const _STR_CMD& c : out) EXPECT_TRUE(c.len == 0 && c.buf[0] == 0);
  // A record too long for its own frame is emptied rather than cut.
  engine.com_status = COM_STATUS_DIRECT;
  _STR_CMD r = Record(std::string(504, 'z'));
  Legacy::FrameRecord(engine, r, "RZ");
  EXPECT_EQ(r.len, 0u);
}

TEST(LegacyFrames, CatalogueCommandOver512BytesIsEmptied) {
  LegacyEngine engine;
  CommandList cmds;
  Legacy::AppendTemplateCommand(engine, cmds, ("PA,S" + std::string(600, 'q')).c_str(), 1);
  ASSERT_EQ(cmds.size(), 1u);
  EXPECT_EQ(cmds[0].len, 0u);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
