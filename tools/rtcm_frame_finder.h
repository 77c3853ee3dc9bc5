// Finds CRC-valid RTCM 3 frames (0xD3, 6 reserved zero bits, 10-bit length,
// message, CRC-24Q) in a byte stream that arrives in pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrel {
namespace KsParse {
namespace Tool {

class RtcmFrameFinder {
 public:
  static constexpr std::size_t kMaxFrame = 3 + 1023 + 3;

  void Feed(const unsigned char* data, std::size_t length);
  // End of input: a candidate that can no longer complete is given up, and
  // the search resumes one byte after its preamble.
  void Finish() { finished_ = true; }
  // The next frame whose CRC matches and whose message number (when it has
  // one) is an assigned one; the pointer stays valid until the next Feed or
  // Next. A failed check counts the candidate as bad and resumes the search
  // one byte after its preamble, so a false preamble never hides a frame
  // that follows it.
  bool Next(const unsigned char** frame, std::size_t* length);

  std::uint64_t BadCrc() const { return bad_crc_; }
  // Bytes that belong to no valid frame.
  std::uint64_t SkippedBytes() const { return skipped_; }

 private:
  std::vector<unsigned char> buffer_;
  std::size_t pos_ = 0;  // first byte not yet examined
  bool finished_ = false;
  std::uint64_t bad_crc_ = 0;
  std::uint64_t skipped_ = 0;
};

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
