// Legacy-protocol frames and modem replies as an older receiver sends them,
// for the tests and the legacy engine's fuzz target.
#pragma once

#include <cstdint>
#include <string>

#include "legacy/legacy_frame.h"

namespace Kestrel {
namespace KsParse {

inline std::string Le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

inline std::string Frame(const char* id, const std::string& payload) {
  unsigned char out[300];
  unsigned length = 0;
  Legacy::BuildByteFrame(id, reinterpret_cast<const unsigned char*>(payload.data()),
                         static_cast<unsigned>(payload.size()), out, &length, 1);
  return std::string(reinterpret_cast<const char*>(out), length);
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
