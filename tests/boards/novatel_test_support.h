// Helpers of the NovAtel tests: a NovAtel adapter fed whole frames, and a
// recording split into its logs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boards/adapter_factory.h"
#include "boards/novatel/novatel_decoder.h"
#include "tools/sim/novatel_sim.h"

namespace Kestrel {
namespace KsParse {
namespace Testing {

// The logs of a NovAtel recording, found by their sync bytes and the body
// length in their headers. Bytes between logs are skipped; a log cut by the
// end of the recording is left out.
inline std::vector<std::string> SplitNovAtelLogs(const std::string& bytes) {
  std::vector<std::string> logs;
  std::size_t i = 0;
  while (i + 28 <= bytes.size()) {
    if (bytes.compare(i, 3, "\xAA\x44\x12") != 0) {
      ++i;
      continue;
    }
    const std::size_t body = static_cast<unsigned char>(bytes[i + 8]) |
                             (static_cast<std::size_t>(static_cast<unsigned char>(bytes[i + 9])) << 8);
    const std::size_t total = 28 + body + 4;
    if (i + total > bytes.size()) break;
    logs.push_back(bytes.substr(i, total));
    i += total;
  }
  return logs;
}

inline unsigned LogId(const std::string& log) {
  return static_cast<unsigned char>(log[4]) | (static_cast<unsigned>(static_cast<unsigned char>(log[5])) << 8);
}

// A NovAtel adapter as the standard engine sets it up (satellite groups
// held for the observation logs).
struct NovAtelBoard {
  NovAtelBoard() {
    decoder().gps_sat_hold = decoder().glo_sat_hold = decoder().bds_sat_hold = 1;
  }
  NovAtelDecoder& decoder() { return *static_cast<NovAtelDecoder*>(adapter->decoder); }
  FrameBuffer& frame() { return *adapter->frame; }

  // Appends the bytes to the frame buffer and runs ProcessFrame.
  bool Feed(const void* bytes, std::size_t n) {
    adapter->frame->Append(bytes, static_cast<std::uint32_t>(n));
    return adapter->ProcessFrame();
  }
  bool Feed(const std::string& s) { return Feed(s.data(), s.size()); }
  bool Feed(const Sim::Frame& f) { return Feed(f.data(), f.size()); }
  // An NMEA sentence straight into the decoder's dispatch.
  void Sentence(int code, const std::string& text) {
    decoder().DecodeSentence(code, text.c_str(), static_cast<unsigned>(text.size()));
  }

  std::unique_ptr<BoardAdapter> adapter{CreateNovAtelAdapter(0)};
};

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
