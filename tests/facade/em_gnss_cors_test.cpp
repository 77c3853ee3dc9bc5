// Caster login through an older receiver's modem: the request text, its VL
// pieces and the credential packets.
#include <ksparse/em_gnss.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace {

// Texts as long as their field are stored without a NUL.
template <std::size_t N>
void Put(char (&field)[N], const char* text) {
  std::memcpy(field, text, std::min(std::strlen(text), N));
}

cors_info Info(const char* mount, const char* user, const char* password) {
  cors_info info = {};
  Put(info.mount_point, mount);
  Put(info.user, user);
  Put(info.password, password);
  return info;
}

// The texts of the VL frames, joined, and each piece's length.
std::string Joined(const CommandList& cmds, std::vector<int>* pieces) {
  std::string text;
  for (const _STR_CMD& c : cmds) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.buf), 4), "$$VL");
    EXPECT_EQ(c.wait, 100u);
    pieces->push_back(c.buf[5]);
    text.append(reinterpret_cast<const char*>(c.buf + 6), c.buf[5]);
  }
  return text;
}

TEST(CasterLogin, RequestTravelsInVlPieces) {
  Em_Gnss g(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  const std::string head =
      "HTTP/1.0\r\nUser-Agent: NTRIP GNSSInternetRadio/1.4.5\r\nConnection: Keep-Alive\r\nAccept: */*\r\n"
      "Authorization: Basic";
  CommandList cmds;
  std::vector<int> pieces;
  g.Set_Cors_Login(cmds, Info("RTCM32", "user", "pass"));
  EXPECT_EQ(Joined(cmds, &pieces), "GET /RTCM32 " + head + " dXNlcjpwYXNz\r\n\r\n");
  // Without a password there are no credentials and no blank after "Basic":
  // a 10-character mount point makes 130 characters, cut 55 + 55 + 20.
  cmds.clear();
  pieces.clear();
  g.Set_Cors_Login(cmds, Info("MOUNT67890", "user", ""));
  EXPECT_EQ(Joined(cmds, &pieces), "GET /MOUNT67890 " + head + "\r\n\r\n");
  EXPECT_EQ(pieces, (std::vector<int>{55, 55, 20}));
  // A mount point that fills its field without a NUL is taken whole.
  cmds.clear();
  cors_info full = Info("", "", "");
  std::memset(full.mount_point, 'A', sizeof full.mount_point);
  g.Set_Cors_Login(cmds, full);
  EXPECT_EQ(Joined(cmds, &pieces).substr(0, 26), "GET /" + std::string(20, 'A') + " ");
}

TEST(CasterLogin, CredentialPacketsForTheModem) {
  Em_Gnss g(GNSS_MNFCTR_NORVIK, OEM_NOVATEL);
  CommandList cmds;
  g.Set_Cors_Info_Auto(cmds, Info("MP", "u", "pw"), 2);
  g.Send_Cors_Info_Auto(cmds);
  ASSERT_EQ(cmds.size(), 2u);
  // VS frame, modem packet 40 6B 94 len: "MP" 0 'm' 0 "u" 0 "pw" 0.
  const std::string data("MP\0m\0u\0pw\0", 10);
  const _STR_CMD& store = cmds[0];
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(store.buf + 2), 2), "VS");
  EXPECT_EQ(std::vector<unsigned char>(store.buf + 6, store.buf + 11), (std::vector<unsigned char>{0x40, 107, 0x94, 10, 0}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(store.buf + 11), 10), data);
  EXPECT_EQ(store.wait, 200u);
  EXPECT_EQ(std::vector<unsigned char>(cmds[1].buf + 6, cmds[1].buf + 12),
            (std::vector<unsigned char>{0x40, 108, 0x93, 0, 0, 0xBF}));
  // Three texts of 50 characters together are more than the modem keeps.
  cmds.clear();
  g.Set_Cors_Info_Auto(cmds, Info("0123456789", "01234567890123456789", "01234567890123456789"), 1);
  EXPECT_TRUE(cmds.empty());
  g.Set_Cors_Info_Auto(cmds, Info("0123456789", "01234567890123456789", "0123456789012345678"), 1);
  EXPECT_EQ(cmds.size(), 1u);
}

// A new-protocol receiver gets packets of its own protocol for the three
// operations; receivers of other makers get nothing.
TEST(CasterLogin, OtherReceiverFamilies) {
  Em_Gnss newer(GNSS_MNFCTR_NORVIK, OEM_NORVIK_NEWPROTO), other(GNSS_MNFCTR_OEM_BOARD, OEM_NOVATEL);
  for (Em_Gnss* g : {&newer, &other}) {
    CommandList login, store, ask;
    g->Set_Cors_Login(login, Info("MP", "u", "pw"));
    g->Set_Cors_Info_Auto(store, Info("MP", "u", "pw"), 1);
    g->Send_Cors_Info_Auto(ask);
    for (const CommandList* c : {&login, &store, &ask}) {
      if (g == &other) {
        EXPECT_TRUE(c->empty());
      } else {
        ASSERT_FALSE(c->empty());
        const unsigned char* b = (*c)[0].buf;
        EXPECT_EQ(std::vector<unsigned char>(b, b + 3), (std::vector<unsigned char>{0x24, 0x24, 0x01}));
      }
    }
  }
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
