#include <ksparse/base64.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace Kestrel {
namespace KsParse {
namespace {

std::string Encode(const std::string& s) {
  return Em_Base64::base64_encode(reinterpret_cast<const unsigned char*>(s.data()), static_cast<unsigned int>(s.size()));
}

TEST(Base64, KnownTextsAndPadding) {
  // RFC 4648 test vectors.
  const char* pairs[][2] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                            {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
                            {"user:pass", "dXNlcjpwYXNz"}};
  for (const auto& p : pairs) {
    EXPECT_EQ(Encode(p[0]), p[1]);
    EXPECT_EQ(Em_Base64::base64_decode(p[1]), p[0]);
  }
  EXPECT_EQ(Em_Base64::base64_encode(nullptr, 5), "");
}

TEST(Base64, DecodingStopsAtTheFirstForeignCharacter) {
  EXPECT_EQ(Em_Base64::base64_decode("Zm!9v"), "f");      // two characters: one byte
  EXPECT_EQ(Em_Base64::base64_decode("Zm9vY"), "foo");    // a lone last character carries no byte
  EXPECT_EQ(Em_Base64::base64_decode("Zm8=Zm9v"), "fo");  // nothing after the padding
  std::mt19937 random(7);
  for (int n = 0; n < 200; ++n) {
    std::string bytes(n % 40, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    EXPECT_EQ(Em_Base64::base64_decode(Encode(bytes)), bytes);
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
