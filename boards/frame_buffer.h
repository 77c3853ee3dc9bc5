// One complete frame handed from an engine to its board adapter.
#pragma once

#include <cstdint>
#include <cstring>

namespace Kestrel {
namespace KsParse {

struct FrameBuffer {
  static constexpr std::uint32_t kCapacity = 2048;

  unsigned char data[kCapacity];
  std::uint32_t read_pos;  // where peeks start (always 0 in practice)
  std::uint32_t length;    // bytes held
  // Set by the engine, for the length of one frame step, when it has
  // already run that step's own integrity checks on exactly the bytes held
  // (ProtocolEngine::HandToAdapter), so that the step need not run them again.
  bool checked;

  FrameBuffer() : read_pos(0), length(0), checked(false) { std::memset(data, 0, kCapacity); }

  // A block that would not fit drops the whole frame (and the block).
  void Append(const void* bytes, std::uint32_t n) {
    if (n > kCapacity - length) {
      Clear();
      return;
    }
    if (n != 0) std::memcpy(data + length, bytes, n);
    length += n;
  }

  bool Peek(void* dest, int n) const {
    if (dest == nullptr || n < 1 || read_pos + static_cast<std::uint32_t>(n) > length) return false;
    std::memcpy(dest, data + read_pos, static_cast<std::uint32_t>(n));
    return true;
  }

  // Gives up a candidate that failed its check: drops its first byte and
  // every byte up to the next one listed in `starts` (the bytes that begin a
  // frame of the board), which becomes the new first byte. Nothing left:
  // the buffer is cleared. A false start in the board's stream then costs
  // one byte, not the frames collected behind it.
  void DropFalseStart(const char* starts) {
    std::uint32_t next = 1;
    while (next < length && (data[next] == 0 || std::strchr(starts, static_cast<char>(data[next])) == nullptr)) ++next;
    if (next >= length) {
      Clear();
      return;
    }
    const std::uint32_t kept = length - next;
    std::memmove(data, data + next, kept);
    std::memset(data + kept, 0, next);
    length = kept;
    read_pos = 0;
  }

  // Forgets the frame. Only the bytes held are zeroed: the rest is zero
  // already, since every byte beyond `length` was zeroed when it was last
  // given up.
  void Clear() {
    std::memset(data, 0, length <= kCapacity ? length : kCapacity);
    read_pos = 0;
    length = 0;
  }
};

}  // namespace KsParse
}  // namespace Kestrel
