#include "boards/board_command_set.h"

#include <cstring>

namespace Kestrel {
namespace KsParse {

void AppendBytes(CommandList& cmds, const void* bytes, std::uint32_t length, std::uint32_t wait) {
  if (bytes == nullptr || length == 0 || length > sizeof(_STR_CMD::buf)) return;
  _STR_CMD cmd;
  std::memset(&cmd, 0, sizeof(cmd));
  std::memcpy(cmd.buf, bytes, length);
  cmd.wait = wait;
  cmd.len = length;
  cmds.push_back(cmd);
}

void AppendText(CommandList& cmds, const char* text, std::uint32_t wait) {
  if (text == nullptr) return;
  AppendBytes(cmds, text, static_cast<std::uint32_t>(std::strlen(text)), wait);
}

void BoardCommandSet::SetNmeaList(CommandList&, const std::vector<_set_nmea>&) {}
void BoardCommandSet::PassCom(CommandList&, unsigned int) {}

}  // namespace KsParse
}  // namespace Kestrel
