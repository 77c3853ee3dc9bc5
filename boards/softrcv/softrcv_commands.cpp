#include "boards/softrcv/softrcv_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// "$$IM" frames with one byte: 1 opens, 2 closes a command group.
constexpr unsigned char kBegin[] = {0x24, 0x24, 0x49, 0x4D, 0x18, 0x01, 0x01, 0x1C, 0x0D, 0x0A};
constexpr unsigned char kEnd[] = {0x24, 0x24, 0x49, 0x4D, 0x18, 0x01, 0x02, 0x1F, 0x0D, 0x0A};

void Begin(CommandList& cmds) { AppendBytes(cmds, kBegin, sizeof kBegin, kWaitSetting); }
void End(CommandList& cmds) { AppendBytes(cmds, kEnd, sizeof kEnd, kWaitSetting); }
void Text(CommandList& cmds, const char* text) { AppendText(cmds, text, kWaitSetting); }

// One group: begin, the texts, end.
void Group(CommandList& cmds, std::initializer_list<const char*> texts) {
  Begin(cmds);
  for (const char* t : texts) Text(cmds, t);
  End(cmds);
}

}  // namespace

void SoftReceiverCommandSet::Init(CommandList& cmds) {
  Group(cmds, {"unlogall\r\n", "log bestposb ontime 1\r\n", "log satmsgb ontime 5\r\n", "log psrdopb ontime 5\r\n"});
}

void SoftReceiverCommandSet::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  // The positioning software cannot stop its solution: "stop" asks for 1 Hz.
  NovAtelCommandSet::SetPosRate(cmds, rate == GNSS_FRQ_STOP ? GNSS_FRQ_1HZ : rate);
}

void SoftReceiverCommandSet::SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) {
  Begin(cmds);
  AppendFormatted(cmds, kWaitSetting, system == 1 ? "ecutoff %u\r\n" : "gloecutoff %u\r\n", degrees);
  End(cmds);
}

void SoftReceiverCommandSet::QueryElevMask(CommandList& cmds) { Group(cmds, {"log psrdopb\r\n"}); }

void SoftReceiverCommandSet::Unlog(CommandList& cmds) { Group(cmds, {"unlogall\r\n"}); }

void SoftReceiverCommandSet::Reset(CommandList& cmds) { Group(cmds, {"freset\r\n"}); }

void SoftReceiverCommandSet::StartRover(CommandList& cmds) {
  const std::uint32_t format = rover.diff_format;
  Group(cmds, {format == 3   ? "rtksource cmr\r\n"
               : format == 4 ? "rtksource rtcm\r\n"
                             : "rtksource rtcmv3\r\n",
               "unlogall\r\n", "set diffmatchmode asynch\r\n", "log rawephemb onchanged\r\n",
               "log diffmsgb ontime 1\r\n", "log refstationb ontime 5\r\n"});
}

void SoftReceiverCommandSet::StartBase(CommandList& cmds) {
  const unsigned int mask = base.elev_mask;
  const unsigned int port = base.port + 1;
  AppendFormatted(cmds, kWaitSetting, "ecutoff %u\r\n", mask);
  AppendFormatted(cmds, kWaitSetting, "rtkelevmask user %u\r\n", mask);
  Text(cmds, "gloecutoff 5.0");  // the receiver takes it without a line end
  AppendFormatted(cmds, kWaitSetting, "fix position %.8lf %.8lf %.3lf\r\n", base.latitude * kRadToDeg,
                  base.longitude * kRadToDeg, base.height);
  Begin(cmds);
  AppendFormatted(cmds, kWaitSetting, "unlogall com%u\r\n", port);

  // The two logs of each differential format, first the reference station's.
  const char* logs[2] = {nullptr, nullptr};
  switch (base.diff_format) {
    case 3:
    case 6: logs[0] = "cmrdatarefb ontime 5", logs[1] = "cmrdataobsb ontime 1"; break;
    case 4: logs[0] = "rtcmdata3b ontime 5", logs[1] = "rtcmdata1819b ontime 1"; break;
    case 7: logs[0] = "rtcmdata1004b ontime 1", logs[1] = "rtcmdata1005b ontime 5"; break;
    default: return;
  }
  const std::uint32_t route = base.output_route;
  if (route == 0 || route == 2)
    for (const char* log : logs) AppendFormatted(cmds, kWaitSetting, "log com%u %s\r\n", port, log);
  if (route == 1 || route == 2)
    for (const char* log : logs) AppendFormatted(cmds, kWaitSetting, "log gprs %s\r\n", log);
}

}  // namespace KsParse
}  // namespace Kestrel
