// Helpers of the board tests: an adapter fed whole frames as an engine hands
// them over, and a NovAtel recording split into its logs.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "boards/adapter_factory.h"
#include "boards/gnss_utils.h"
#include "boards/novatel/novatel_decoder.h"
#include "support/values.h"
#include "tools/sim/gps_subframe_sim.h"
#include "tools/sim/novatel_sim.h"

namespace Kestrel {
namespace KsParse {
namespace Testing {

constexpr double kDeg = 0.017453292519943295;  // radians per degree

// A little-endian value at `offset` of a recorded log.
template <typename T>
T At(const std::string& bytes, std::size_t offset) {
  T v;
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

inline unsigned LogId(const std::string& log) { return At<std::uint16_t>(log, 4); }

// The logs of a NovAtel recording, found by their sync bytes and the body
// length in their headers. Bytes between logs are passed over; a log cut by
// the end of the recording is left out.
inline std::vector<std::string> SplitNovAtelLogs(const std::string& bytes) {
  std::vector<std::string> logs;
  for (std::size_t at = bytes.find("\xAA\x44\x12"); at != std::string::npos && at + 28 <= bytes.size();) {
    const std::size_t total = 28 + At<std::uint16_t>(bytes, at + 8) + 4;
    if (at + total > bytes.size()) break;
    logs.push_back(bytes.substr(at, total));
    at = bytes.find("\xAA\x44\x12", at + total);
  }
  return logs;
}

// Ephemeris fields at their sign and width extremes (the rest distinctive),
// in values the broadcast scales hold exactly, so that a wrong width, sign or
// position shows.
inline Sim::GpsEphemerisFields ExtremeEphemeris() {
  const auto P = [](int n) { return std::ldexp(1.0, n); };
  constexpr double kSc = 3.1415926535898;
  Sim::GpsEphemerisFields f;
  f.week = 1000, f.tow = 299994, f.l2_code = 2, f.ura = 7, f.health = 63, f.iodc = 0x25A, f.l2p_flag = 1;
  f.tgd = -128 * P(-31), f.toc = 604784, f.f2 = -P(-55), f.f1 = -32768 * P(-43), f.f0 = 0x1FFFFF * P(-31);
  f.iode = 0x5A, f.crs = -2.0 / 32, f.deln = 32767 * P(-43) * kSc, f.M0 = -kSc, f.cuc = -P(-29);
  f.e = 4294967295.0 * P(-33), f.cus = P(-29), f.A = std::pow(2701970637 * P(-19), 2), f.toe = 302400, f.fit = 1;
  f.cic = -3 * P(-29), f.OMG0 = 2147483647 * P(-31) * kSc, f.cis = 4 * P(-29), f.i0 = -5 * P(-31) * kSc;
  f.crc = -1024, f.omg = 123456789 * P(-31) * kSc, f.OMGd = -8388608 * P(-43) * kSc, f.idot = -8192 * P(-43) * kSc;
  return f;
}

// The orbit, clock and issue fields of a decoded ephemeris against the
// values it was encoded from (held exactly by the broadcast scales); toe
// and toc in the ephemeris's own week.
inline void ExpectEphemeris(const em_eph_t& e, const Sim::GpsEphemerisFields& f) {
  const std::pair<double, double> values[] = {
      {e.toes, f.toe}, {e.A, f.A},     {e.e, f.e},     {e.i0, f.i0},     {e.OMG0, f.OMG0}, {e.omg, f.omg},
      {e.M0, f.M0},    {e.deln, f.deln}, {e.OMGd, f.OMGd}, {e.idot, f.idot}, {e.crc, f.crc}, {e.crs, f.crs},
      {e.cuc, f.cuc},  {e.cus, f.cus}, {e.cic, f.cic}, {e.cis, f.cis},   {e.f0, f.f0},     {e.f1, f.f1},
      {e.f2, f.f2},    {e.tgd[0], f.tgd}, {e.fit, 1.0 * f.fit}, {1.0 * e.iode, 1.0 * f.iode},
      {1.0 * e.iodc, 1.0 * f.iodc}};
  for (const auto& v : values) EXPECT_DOUBLE_EQ(v.first, v.second) << &v - values;
  const std::uint32_t week = static_cast<std::uint32_t>(e.week);
  EXPECT_EQ((U{e.toe.time, e.toc.time}), (U{Gnss::GpsToTime(week, f.toe).time, Gnss::GpsToTime(week, f.toc).time}));
}

// Expected commands written as one text, '|' between them; each ends in CR LF.
inline std::vector<std::string> CommandLines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = text.find('|', start);
    out.push_back(text.substr(start, end - start) + "\r\n");
  }
  return out;
}

// The texts of appended commands, each packet's wait value checked.
inline std::vector<std::string> CommandTexts(const CommandList& cmds, std::uint32_t wait) {
  std::vector<std::string> out;
  for (const _STR_CMD& c : cmds) {
    EXPECT_EQ(+c.wait, wait);
    out.emplace_back(reinterpret_cast<const char*>(c.buf), c.len);
  }
  return out;
}

// Owns an adapter and hands it frames the way an engine does.
struct Board {
  explicit Board(BoardAdapter* a) : adapter(a) {}
  BoardDecoder& decoder() { return *adapter->decoder; }
  FrameBuffer& frame() { return *adapter->frame; }

  // Appends the bytes to the frame buffer and runs ProcessFrame.
  bool Feed(const void* bytes, std::size_t n) {
    adapter->frame->Append(bytes, static_cast<std::uint32_t>(n));
    return adapter->ProcessFrame();
  }
  bool Feed(const std::string& s) { return Feed(s.data(), s.size()); }
  bool Feed(const Sim::Frame& f) { return Feed(f.data(), f.size()); }

  // Feeds a candidate that the frame step must refuse at its first byte:
  // true when it is refused and the buffer keeps exactly the bytes from the
  // next byte listed in `starts` on (nothing when none follows), so that a
  // frame behind a false start is still found. The buffer is emptied
  // afterwards for the next case.
  bool Refused(const std::string& bytes, const char* starts) {
    const std::size_t next = bytes.find_first_of(starts, 1);
    const std::string kept = next == std::string::npos ? std::string() : bytes.substr(next);
    const bool refused = !Feed(bytes);
    const bool as_expected = frame().length == kept.size() &&
                             std::memcmp(frame().data, kept.data(), kept.size()) == 0;
    frame().Clear();
    return refused && as_expected;
  }
  bool Refused(const Sim::Frame& f, const char* starts) { return Refused(std::string(f.begin(), f.end()), starts); }

  std::unique_ptr<BoardAdapter> adapter;
};

// A NovAtel adapter as the standard engine sets it up (satellite groups
// held for the observation logs).
struct NovAtelBoard : Board {
  NovAtelBoard() : Board(CreateNovAtelAdapter(0)) {
    decoder().gps_sat_hold = decoder().glo_sat_hold = decoder().bds_sat_hold = 1;
  }
  NovAtelDecoder& decoder() { return *static_cast<NovAtelDecoder*>(adapter->decoder); }
  // An NMEA sentence straight into the decoder's dispatch.
  void Sentence(int code, const std::string& text) {
    decoder().DecodeSentence(code, text.c_str(), static_cast<unsigned>(text.size()));
  }
};

}  // namespace Testing
}  // namespace KsParse
}  // namespace Kestrel
