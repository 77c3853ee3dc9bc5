#include "tools/sim/noise.h"

#include <algorithm>

#include "tools/sim/novatel_sim.h"
#include "tools/sim/rtcm_sim.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

// Bytes that start a frame of some reader ('$', 0xD3, 0xAA, 0x02) or end an
// NMEA sentence ('*', CR, LF) never appear in filler.
bool IsSpecial(std::uint8_t b) {
  return b == '$' || b == 0xD3 || b == 0xAA || b == 0x02 || b == '*' || b == '\r' || b == '\n';
}

// An NMEA reader scans at most 300 bytes for the end of a sentence.
constexpr unsigned kUnendedLength = 310;

}  // namespace

NoiseSource::NoiseSource(std::uint64_t seed, double probability, std::vector<NoiseKind> kinds)
    : random_(seed ^ 0x6E6F697365ull), probability_(probability), kinds_(std::move(kinds)) {}

std::uint8_t NoiseSource::Filler() {
  for (;;) {
    const auto b = static_cast<std::uint8_t>(random_.Below(256));
    if (!IsSpecial(b)) return b;
  }
}

void NoiseSource::AppendFiller(std::vector<std::uint8_t>& out, unsigned count) {
  for (unsigned i = 0; i < count; ++i) out.push_back(Filler());
}

void NoiseSource::MaybeAppend(std::vector<std::uint8_t>& out) {
  if (probability_ <= 0.0 || random_.Uniform() >= probability_) return;
  ++bursts_;
  AppendFiller(out, 1 + random_.Below(24));
  if (kinds_.empty()) return;
  switch (kinds_[random_.Below(static_cast<std::uint32_t>(kinds_.size()))]) {
    case NoiseKind::kFiller:
      break;
    case NoiseKind::kFalseRtcm:
      out.push_back(0xD3);
      out.push_back(static_cast<std::uint8_t>(0x04 + random_.Below(0xFC)));
      break;
    case NoiseKind::kFalseNmea:
      out.push_back('$');
      out.push_back(static_cast<std::uint8_t>('a' + random_.Below(26)));
      break;
    case NoiseKind::kFalseNovAtel:
      out.push_back(0xAA);
      out.push_back(0x44);
      out.push_back(0x13);
      break;
    case NoiseKind::kBadCrcRtcm: {
      // Redrawn until no byte after the preamble is 0xD3, so that a finder
      // that resumes inside the frame meets no second candidate.
      Frame frame;
      do {
        BitWriter message;
        message.Put(1005 + random_.Below(30), 12);
        message.Put(0, 4);
        const unsigned length = 4 + random_.Below(40);
        for (unsigned i = 0; i < length; ++i) message.Put(Filler(), 8);
        frame = RtcmFrame(message);
        frame.back() ^= 0x01;
      } while (std::find(frame.begin() + 1, frame.end(), 0xD3) != frame.end());
      out.insert(out.end(), frame.begin(), frame.end());
      ++bad_frames_;
      break;
    }
    case NoiseKind::kBadCrcNovAtel: {
      std::vector<std::uint8_t> body(8 + random_.Below(40));
      for (std::uint8_t& b : body) b = Filler();
      Frame frame = NovAtelLog(42, NovAtelHeader(), body);
      frame.back() ^= 0x01;
      out.insert(out.end(), frame.begin(), frame.end());
      ++bad_frames_;
      break;
    }
    case NoiseKind::kUnendedNmea: {
      static const char kStart[] = "$GPGGA,";
      out.insert(out.end(), kStart, kStart + sizeof(kStart) - 1);
      AppendFiller(out, kUnendedLength - (sizeof(kStart) - 1));
      ++bad_frames_;
      break;
    }
  }
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
