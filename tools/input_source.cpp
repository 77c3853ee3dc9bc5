// The POSIX half; input_source_win.cpp serves Windows.
#if !defined(_WIN32)
#include "tools/input_source.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "tools/interrupt.h"
#include "tools/options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

// How often a quiet serial port checks for a stop request.
constexpr int kPollMilliseconds = 200;

struct BaudEntry {
  long baud;
  speed_t speed;
};

constexpr BaudEntry kBauds[] = {
    {1200, B1200},       {2400, B2400},       {4800, B4800},       {9600, B9600},
    {19200, B19200},     {38400, B38400},     {57600, B57600},     {115200, B115200},
    {230400, B230400},   {460800, B460800},   {921600, B921600},
};

bool SpeedOf(long baud, speed_t* speed) {
  for (const BaudEntry& entry : kBauds)
    if (entry.baud == baud) {
      *speed = entry.speed;
      return true;
    }
  return false;
}

std::string Reason(const std::string& what, const std::string& path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

// Raw 8N1 without flow control; reads return as soon as one byte is there.
void ConfigureSerial(int fd, speed_t speed, const std::string& path) {
  termios tio = {};
  if (tcgetattr(fd, &tio) != 0) throw RunError(Reason("cannot read the settings of", path));
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 || tcsetattr(fd, TCSANOW, &tio) != 0)
    throw RunError(Reason("cannot configure", path));
}

}  // namespace

bool IsSupportedBaud(long baud) {
  speed_t speed;
  return SpeedOf(baud, &speed);
}

InputSource::InputSource(int fd, bool owned, bool serial, std::string name)
    : fd_(fd), owned_(owned), serial_(serial), name_(std::move(name)) {}

InputSource::~InputSource() {
  if (owned_) close(fd_);
}

std::unique_ptr<InputSource> InputSource::Open(const std::string& path, long baud, int stdin_fd) {
  if (path == "-") return std::unique_ptr<InputSource>(new InputSource(stdin_fd, false, false, "standard input"));
  struct stat info = {};
  if (stat(path.c_str(), &info) != 0) throw RunError(Reason("cannot open", path));
  if (S_ISDIR(info.st_mode)) throw RunError("cannot read '" + path + "': it is a directory");
  if (!S_ISCHR(info.st_mode)) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw RunError(Reason("cannot open", path));
    return std::unique_ptr<InputSource>(new InputSource(fd, true, false, path));
  }
  speed_t speed = B0;
  if (!SpeedOf(baud, &speed)) throw UsageError("unsupported baud rate " + std::to_string(baud));
  // Non-blocking open: a port without carrier must not hang the open.
  const int fd = open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw RunError(Reason("cannot open device", path));
  std::unique_ptr<InputSource> source(new InputSource(fd, true, isatty(fd) != 0, path));
  // A character device that is no terminal (/dev/null, /dev/zero) is read
  // like a file.
  if (source->serial_) ConfigureSerial(fd, speed, path);
  return source;
}

std::size_t InputSource::Read(unsigned char* buffer, std::size_t capacity) {
  for (;;) {
    if (StopRequested()) return 0;
    const ssize_t n = read(fd_, buffer, capacity);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == 0) return 0;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd waiting = {fd_, POLLIN, 0};
      poll(&waiting, 1, kPollMilliseconds);
      continue;
    }
    // A terminal whose other end hung up reports EIO: the end of input.
    if (serial_ && errno == EIO) return 0;
    throw RunError(Reason("cannot read", name_));
  }
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel

#endif  // !_WIN32
