// Reads back the new-protocol requests that commands appended: frames
// checked and glued together, packets split into items, each packet written
// as one line "<code> @<tag>: <id>=<value> ..." (hex; values longer than 8
// bytes as <id>[<length>]).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <ksparse/types.h>

namespace Kestrel {
namespace KsParse {
namespace Testing {

using Wire = std::vector<unsigned char>;
using Lines = std::vector<std::string>;

inline std::string HexOf(const unsigned char* p, std::size_t n) {
  std::string s;
  for (char b[3]; n-- > 0;) s += (std::snprintf(b, sizeof b, "%02X", *p++), b);
  return s;
}

inline unsigned Be(const unsigned char* p, unsigned n) {
  unsigned v = 0;
  while (n-- > 0) v = v << 8 | *p++;
  return v;
}

// The lines of the packets in `cmds`; `items` receives each packet's raw
// items (the code item first) when given.
inline Lines Packets(const CommandList& cmds, std::vector<std::vector<Wire>>* items = nullptr) {
  Wire bytes;
  for (std::size_t i = 0; i < cmds.size(); ++i) {
    const _STR_CMD& c = cmds[i];
    EXPECT_EQ(c.len, c.buf[4] + 7u);
    EXPECT_EQ(HexOf(c.buf, 3) + HexOf(c.buf + c.len - 2, 2), "2424010D0A");
    EXPECT_TRUE(i == 0 || c.buf[3] == (cmds[i - 1].buf[3] + 1) % 251) << "frame numbers run on";
    bytes.insert(bytes.end(), c.buf + 5, c.buf + 5 + c.buf[4]);
  }
  Lines out;
  for (std::size_t at = 0; at < bytes.size();) {
    const unsigned char* p = bytes.data() + at;
    const unsigned length = bytes.size() - at >= 19 ? Be(p + 11, 2) : 0;
    if (length < 10 || bytes.size() - at < length + 19u || Be(p, 2) != 0x0411 || Be(p + 17 + length, 2) != 0x0924 ||
        Be(p + 13, 4) != 0x00010002) {
      ADD_FAILURE() << "no whole packet, led by its code, at " << at;
      break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%u @%04X:", Be(p + 17, 2), Be(p + 3, 4));
    out.push_back(text);
    if (items != nullptr) items->emplace_back();
    for (unsigned i = 0; i + 4 <= length;) {
      const unsigned char* item = p + 13 + i;
      const unsigned id = Be(item, 2), n = Be(item + 2, 2);
      if (i + 4 + n > length) break;
      if (items != nullptr) items->back().emplace_back(item, item + 4 + n);
      if (i > 0) {
        std::snprintf(text, sizeof text, n > 8 ? " %04X[%u]" : " %04X=", id, n);
        out.back() += text + (n > 8 ? std::string() : HexOf(item + 4, n));
      }
      i += 4 + n;
    }
    at += length + 19;
  }
  return out;
}

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
