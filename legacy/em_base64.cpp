#include <ksparse/base64.h>

namespace Kestrel {
namespace KsParse {

namespace {

// A constant table, ready before any static initialiser of the application
// may call the encoder.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

unsigned int IndexOf(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26u;
  if (c >= '0' && c <= '9') return c - '0' + 52u;
  return c == '+' ? 62u : 63u;
}

}  // namespace

bool Em_Base64::is_base64(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

std::string Em_Base64::base64_encode(const unsigned char* bytes, unsigned int length) {
  std::string out;
  if (bytes == nullptr) return out;
  out.reserve((length + 2) / 3 * 4);
  for (unsigned int i = 0; i < length; i += 3) {
    const unsigned int left = length - i;
    const unsigned int b0 = bytes[i], b1 = left > 1 ? bytes[i + 1] : 0, b2 = left > 2 ? bytes[i + 2] : 0;
    out += kAlphabet[b0 >> 2];
    out += kAlphabet[((b0 & 3) << 4) + (b1 >> 4)];
    out += left > 1 ? kAlphabet[((b1 & 15) << 2) + (b2 >> 6)] : '=';
    out += left > 2 ? kAlphabet[b2 & 63] : '=';
  }
  return out;
}

std::string Em_Base64::base64_decode(const std::string& text) {
  std::string out;
  unsigned int group[4];
  unsigned int gathered = 0;
  auto flush = [&](unsigned int count) {
    for (unsigned int k = count; k < 4; ++k) group[k] = 0;
    const unsigned char bytes[3] = {static_cast<unsigned char>((group[0] << 2) + ((group[1] & 0x30) >> 4)),
                                    static_cast<unsigned char>(((group[1] & 0xF) << 4) + ((group[2] & 0x3C) >> 2)),
                                    static_cast<unsigned char>(((group[2] & 0x3) << 6) + group[3])};
    out.append(reinterpret_cast<const char*>(bytes), count == 4 ? 3 : count - 1);
  };
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '=' || !is_base64(c)) break;
    group[gathered++] = IndexOf(c);
    if (gathered == 4) {
      flush(4);
      gathered = 0;
    }
  }
  // A single leftover character carries no whole byte.
  if (gathered >= 2) flush(gathered);
  return out;
}

}  // namespace KsParse
}  // namespace Kestrel
