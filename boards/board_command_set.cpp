#include "boards/board_command_set.h"

#include <cstdarg>
#include <cstdio>
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

void AppendFormatted(CommandList& cmds, std::uint32_t wait, const char* format, ...) {
  char text[sizeof(_STR_CMD::buf) + 1];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (n > 0 && static_cast<std::size_t>(n) < sizeof(text)) AppendText(cmds, text, wait);
}

void BoardCommandSet::SetNmeaList(CommandList&, const std::vector<_set_nmea>&) {}
void BoardCommandSet::PassCom(CommandList&, unsigned int) {}

}  // namespace KsParse
}  // namespace Kestrel
