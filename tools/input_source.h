// Where decode and rtcm read their bytes: a file, standard input, or a serial
// device, which the tool opens itself (the library never opens ports).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace Kestrel {
namespace KsParse {
namespace Tool {

class InputSource {
 public:
  // "-" reads from `stdin_fd`. A character device that is a terminal is
  // opened as a serial port: raw mode, 8 data bits, no parity, one stop
  // bit, no flow control, at `baud`; it is read until end of input (hang-up)
  // or a stop request. Other paths are read as plain files. Throws
  // RunError when the input cannot be opened, UsageError for a baud rate
  // the system does not offer.
  static std::unique_ptr<InputSource> Open(const std::string& path, long baud, int stdin_fd);
  ~InputSource();
  InputSource(const InputSource&) = delete;
  InputSource& operator=(const InputSource&) = delete;

  // Up to `capacity` bytes; 0 at the end of input or on a stop request.
  // Throws RunError on a read error.
  std::size_t Read(unsigned char* buffer, std::size_t capacity);
  bool IsSerialPort() const { return serial_; }
  const std::string& Name() const { return name_; }

 private:
  InputSource(int fd, bool owned, bool serial, std::string name);

  int fd_;
  bool owned_;
  bool serial_;
  std::string name_;
};

// Whether the system offers this baud rate.
bool IsSupportedBaud(long baud);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
