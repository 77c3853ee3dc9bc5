// The Windows half of InputSource: files and standard input through the C
// runtime in binary mode, serial ports (COMn or \\.\COMn) through the
// communications API.
#if defined(_WIN32)
#include "tools/input_source.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "tools/interrupt.h"
#include "tools/options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

// A quiet port returns from a read after this long, so that a stop request
// is seen.
constexpr DWORD kReadTimeoutMilliseconds = 200;

constexpr long kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

std::string Reason(const std::string& what, const std::string& path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

std::string SystemReason(const std::string& what, const std::string& path) {
  return what + " '" + path + "': system error " + std::to_string(GetLastError());
}

bool IsDigits(const std::string& text, std::size_t from) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool StartsWithCom(const std::string& text, std::size_t at) {
  return text.size() >= at + 3 && (text[at] | 0x20) == 'c' && (text[at + 1] | 0x20) == 'o' &&
         (text[at + 2] | 0x20) == 'm';
}

// "COM7" or "\\.\COM7"; the device name to open is always the second form,
// which also reaches ports above COM9.
bool ComPortDevice(const std::string& path, std::string* device) {
  if (StartsWithCom(path, 0) && IsDigits(path, 3)) {
    *device = "\\\\.\\" + path;
    return true;
  }
  if (path.rfind("\\\\.\\", 0) == 0 && StartsWithCom(path, 4) && IsDigits(path, 7)) {
    *device = path;
    return true;
  }
  return false;
}

std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

// 8 data bits, no parity, one stop bit, no flow control, at `baud`; reads
// return what has arrived, or nothing after the timeout.
void ConfigureSerial(HANDLE port, long baud, const std::string& path) {
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) throw RunError(SystemReason("cannot read the settings of", path));
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  if (!SetCommState(port, &dcb)) throw RunError(SystemReason("cannot configure", path));
  COMMTIMEOUTS timeouts = {};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = kReadTimeoutMilliseconds;
  if (!SetCommTimeouts(port, &timeouts)) throw RunError(SystemReason("cannot configure", path));
}

}  // namespace

bool IsSupportedBaud(long baud) {
  for (long b : kBauds)
    if (b == baud) return true;
  return false;
}

InputSource::InputSource(int fd, bool owned, bool serial, std::string name)
    : fd_(fd), owned_(owned), serial_(serial), name_(std::move(name)) {}

InputSource::~InputSource() {
  if (owned_) _close(fd_);
}

std::unique_ptr<InputSource> InputSource::Open(const std::string& path, long baud, int stdin_fd) {
  if (path == "-") {
    _setmode(stdin_fd, _O_BINARY);
    return std::unique_ptr<InputSource>(new InputSource(stdin_fd, false, false, "standard input"));
  }
  std::string device;
  if (!ComPortDevice(path, &device)) {
    // The runtime's stat refuses a folder named with a trailing separator.
    std::string bare = path;
    while (bare.size() > 3 && (bare.back() == '\\' || bare.back() == '/')) bare.pop_back();
    struct _stat64 info = {};
    if (_stat64(bare.c_str(), &info) != 0) throw RunError(Reason("cannot open", path));
    if ((info.st_mode & _S_IFMT) == _S_IFDIR) throw RunError("cannot read '" + path + "': it is a directory");
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) throw RunError(Reason("cannot open", path));
    return std::unique_ptr<InputSource>(new InputSource(fd, true, false, path));
  }
  if (!IsSupportedBaud(baud)) throw UsageError("unsupported baud rate " + std::to_string(baud));
  HANDLE port = CreateFileW(Widen(device).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) throw RunError(SystemReason("cannot open device", path));
  try {
    ConfigureSerial(port, baud, path);
  } catch (...) {
    CloseHandle(port);
    throw;
  }
  // The handle becomes a runtime descriptor, which owns and closes it.
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(port), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(port);
    throw RunError(Reason("cannot open device", path));
  }
  return std::unique_ptr<InputSource>(new InputSource(fd, true, true, path));
}

std::size_t InputSource::Read(unsigned char* buffer, std::size_t capacity) {
  const unsigned chunk = capacity > 0x10000000u ? 0x10000000u : static_cast<unsigned>(capacity);
  for (;;) {
    if (StopRequested()) return 0;
    if (serial_) {
      // An empty read is the timeout of a quiet port, not the end: a serial
      // port ends with a stop request (Ctrl-C) or when it fails (unplugged).
      DWORD got = 0;
      if (!ReadFile(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), buffer, chunk, &got, nullptr)) return 0;
      if (got > 0) return got;
      continue;
    }
    const int n = _read(fd_, buffer, chunk);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    throw RunError(Reason("cannot read", name_));
  }
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel

#endif  // _WIN32
