// Base64 (RFC 4648 alphabet, "=" padding, no line breaks), as used for the
// HTTP Basic credentials of a caster login.
#pragma once

#include <string>

#include <ksparse/export.h>

namespace Kestrel {
namespace KsParse {

class KSPARSE_API Em_Base64 {
 public:
  // Every 3 bytes give 4 characters; a last group of 1 or 2 bytes gives 2 or
  // 3 characters followed by "==" or "=".
  static std::string base64_encode(const unsigned char* bytes, unsigned int length);
  // Decodes up to the first "=" or the first character outside the
  // alphabet; a last group of k characters (2 or 3) gives k - 1 bytes.
  // Never fails.
  static std::string base64_decode(const std::string& text);

 private:
  static bool is_base64(unsigned char c);
};

}  // namespace KsParse
}  // namespace Kestrel
