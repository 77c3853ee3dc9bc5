// ksgnss: decode receiver streams, RTCM 3 and command packets from the
// command line.
#include <cstdio>

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#define KSGNSS_NULL_DEVICE "NUL"
#define KSGNSS_OPEN_FLAGS (O_WRONLY | O_NOINHERIT)
#else
#include <unistd.h>
#define KSGNSS_NULL_DEVICE "/dev/null"
#define KSGNSS_OPEN_FLAGS (O_WRONLY | O_CLOEXEC)
#endif

#include "tools/commands.h"
#include "tools/interrupt.h"

namespace {

// The library writes a trace line to the process's standard output for every
// RTCM 3 message it classifies. The tool's own output goes to a duplicate of
// the original standard output, and descriptor 1 is pointed at /dev/null, so
// those lines can never interleave with records or a binary stream.
std::FILE* TakeStandardOutput() {
  std::fflush(stdout);
#if defined(_WIN32)
  // Records and simulated streams are bytes: no CR before every LF, and
  // standard input read as it is.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const int own = dup(STDOUT_FILENO);
  if (own < 0) return stdout;
  std::FILE* out = fdopen(own, "wb");
  if (out == nullptr) {
    close(own);
    return stdout;
  }
  const int null = open(KSGNSS_NULL_DEVICE, KSGNSS_OPEN_FLAGS);
  if (null >= 0) {
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace Kestrel::KsParse::Tool;
  InstallInterruptHandlers();
  const Io io = {stdin, TakeStandardOutput(), stderr};
  const int status = RunKsgnss(Arguments(argv + 1, argv + argc), io);
  if (std::fflush(io.out) != 0 && status == kExitOk) {
    std::fputs("ksgnss: cannot write the output\n", stderr);
    return kExitFailure;
  }
  return status;
}
