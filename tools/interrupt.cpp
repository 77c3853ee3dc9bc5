#include "tools/interrupt.h"

#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

#if defined(_WIN32)
// Ctrl-C, Ctrl-Break and closing the console window. The handler runs on a
// thread of its own; the reading loop sees the request within one read
// timeout.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    g_stop = 1;
    return TRUE;
  }
  return FALSE;
}
#endif

}  // namespace

#if defined(_WIN32)
void InstallInterruptHandlers() {
  SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
  std::signal(SIGTERM, &OnSignal);
}
#else
void InstallInterruptHandlers() {
  struct sigaction action = {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns EINTR
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}
#endif

bool StopRequested() { return g_stop != 0; }

void RequestStop(bool stop) { g_stop = stop ? 1 : 0; }

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
