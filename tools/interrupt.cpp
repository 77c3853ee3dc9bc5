#include "tools/interrupt.h"

#include <csignal>

#include <signal.h>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action = {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns EINTR
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return g_stop != 0; }

void RequestStop(bool stop) { g_stop = stop ? 1 : 0; }

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
