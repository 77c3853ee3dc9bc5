// Em_Gnss: logging in to a correction caster through the GPRS modem of one of
// the maker's older receivers. The library composes the NTRIP request that
// the modem sends and hands it over in VL text frames; the credentials for
// the modem's automatic login travel in a modem packet. A receiver of the
// new protocol takes the caster's mount point and the account as network-link
// settings and connects by itself.
#include <cstring>
#include <string>

#include <ksparse/base64.h>
#include <ksparse/em_gnss.h>

#include "engines/protocol_engine.h"
#include "legacy/legacy_frame.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kWaitLogin = 100;
constexpr std::uint32_t kWaitCredentials = 200;
constexpr unsigned char kModemStoreLogin = 107;
constexpr unsigned char kModemReadLogin = 108;
// The modem keeps the three texts in one 50-byte area.
constexpr std::size_t kCredentialsLimit = 50;

// A text of a fixed field: up to its NUL, or the whole field without one.
template <std::size_t N>
std::string Field(const char (&field)[N]) {
  const void* nul = std::memchr(field, 0, N);
  return std::string(field, nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N);
}

std::string NtripRequest(const cors_info& info) {
  std::string text = "GET /" + Field(info.mount_point) +
                     " HTTP/1.0\r\nUser-Agent: NTRIP GNSSInternetRadio/1.4.5\r\nConnection: Keep-Alive\r\n"
                     "Accept: */*\r\nAuthorization: Basic";
  const std::string user = Field(info.user), password = Field(info.password);
  if (!user.empty() && !password.empty()) {
    const std::string credentials = user + ":" + password;
    text += " " + Em_Base64::base64_encode(reinterpret_cast<const unsigned char*>(credentials.data()),
                                           static_cast<unsigned int>(credentials.size()));
  }
  return text + "\r\n\r\n";
}

// The caster's mount point and the account in the new protocol's records
// (the same field widths as cors_info).
NV_CORS_DATA_SOURCE_STRUCT SourceOf(const cors_info& info) {
  NV_CORS_DATA_SOURCE_STRUCT source;
  static_assert(sizeof source.source == sizeof info.mount_point, "mount point field");
  std::memcpy(source.source, info.mount_point, sizeof source.source);
  return source;
}

NV_ACCOUNT_STRUCT AccountOf(const cors_info& info) {
  NV_ACCOUNT_STRUCT account;
  static_assert(sizeof account.user == sizeof info.user && sizeof account.password == sizeof info.password,
                "account fields");
  std::memcpy(account.user, info.user, sizeof account.user);
  std::memcpy(account.password, info.password, sizeof account.password);
  return account;
}

}  // namespace

// A newer receiver: the mount point, the account, then the connection.
void Em_Gnss::Set_Cors_Login(std::vector<_STR_CMD>& cmds, const cors_info& info) {
  if (IsNorvikNewProtocolReceiver()) {
    const NV_CORS_DATA_SOURCE_STRUCT source = SourceOf(info);
    const NV_ACCOUNT_STRUCT account = AccountOf(info);
    Get_Cmd_NetLink_Data_Source(cmds, &source);
    Get_Cmd_NetLink_Account(cmds, &account);
    Get_Cmd_NetLink_Connect(cmds, true);
    return;
  }
  if (!IsNorvikOldProtocolReceiver()) return;
  const std::string text = NtripRequest(info);
  CommandList whole(1);
  _STR_CMD& record = whole[0];
  record.len = static_cast<std::uint32_t>(text.size());
  record.wait = kWaitLogin;
  std::memcpy(record.buf, text.data(), text.size());  // at most 232 characters
  Legacy::SplitAndFrame(*engine, cmds, whole, Legacy::PassThrough::kModem);
}

// A newer receiver: the mount point and the account, then automatic
// connection on for modes 1 and 2 (kept as the value) and off for any other.
void Em_Gnss::Set_Cors_Info_Auto(std::vector<_STR_CMD>& cmds, const cors_info& info, unsigned int mode) {
  if (IsNorvikNewProtocolReceiver()) {
    const NV_CORS_DATA_SOURCE_STRUCT source = SourceOf(info);
    const NV_ACCOUNT_STRUCT account = AccountOf(info);
    const unsigned char automatic = mode == 1 || mode == 2 ? static_cast<unsigned char>(mode) : 0;
    Get_Cmd_NetLink_Data_Source(cmds, &source);
    Get_Cmd_NetLink_Account(cmds, &account);
    Get_Cmd_NetLink_Auto_Open(cmds, &automatic);
    return;
  }
  if (!IsNorvikOldProtocolReceiver()) return;
  const std::string mount = Field(info.mount_point), user = Field(info.user), password = Field(info.password);
  if (mount.size() + user.size() + password.size() >= kCredentialsLimit) return;
  std::string data = mount;
  data += '\0';
  data += mode == 1 ? 'M' : mode == 2 ? 'm' : '-';
  data += '\0';
  data += user;
  data += '\0';
  data += password;
  data += '\0';
  Legacy::AppendModemCommand(*engine, cmds, kModemStoreLogin, reinterpret_cast<const unsigned char*>(data.data()),
                             static_cast<unsigned int>(data.size()), kWaitCredentials);
}

// A newer receiver: asks for the three settings that Set_Cors_Info_Auto sends.
void Em_Gnss::Send_Cors_Info_Auto(std::vector<_STR_CMD>& cmds) {
  if (IsNorvikOldProtocolReceiver()) {
    Legacy::AppendModemCommand(*engine, cmds, kModemReadLogin, nullptr, 0, kWaitCredentials);
  } else if (IsNorvikNewProtocolReceiver()) {
    Get_Cmd_NetLink_Data_Source(cmds, nullptr);
    Get_Cmd_NetLink_Account(cmds, nullptr);
    Get_Cmd_NetLink_Auto_Open(cmds, nullptr);
  }
}

}  // namespace KsParse
}  // namespace Kestrel
