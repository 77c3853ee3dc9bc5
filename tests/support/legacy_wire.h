// Legacy-protocol frames and modem replies as an older receiver sends them,
// for the tests and the legacy engine's fuzz target.
#pragma once

#include <cstdint>
#include <string>


namespace Kestrel {
namespace KsParse {

inline std::string Le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// "$$", the two-letter id, route byte 0x18, the payload's length (payloads
// of at most 255 bytes), the payload, the XOR of everything after "$$", CR LF.
// Written here from the frame layout, independent of the library's encoder.
inline std::string Frame(const char* id, const std::string& payload) {
  std::string f = std::string("$$") + id[0] + id[1] + '\x18' + static_cast<char>(payload.size()) + payload;
  char check = 0;
  for (std::size_t i = 2; i < f.size(); ++i) check ^= f[i];
  return f + check + "\r\n";
}

// A modem or radio reply as VI frames carry it: 0x40, sub-code, complement,
// 32-bit length, data, XOR check, CR LF.
inline std::string Reply(unsigned char code, const std::string& data) {
  std::string p = "\x40" + std::string{static_cast<char>(code), static_cast<char>(~code)} +
                  Le32(static_cast<std::uint32_t>(data.size())) + data;
  char check = 0;
  for (char c : p) check ^= c;
  return p + check + "\r\n";
}

}  // namespace KsParse
}  // namespace Kestrel
