// Real-data cross-check of message 1004 against gpsd's gpsdecode, which
// prints RTCM 3 messages as JSON: same frames, same satellites, pseudoranges
// to 1 mm, carrier phases to 1e-3 cycles modulo whole 1500-cycle steps (the
// continuity adjustment). Skipped when the capture or the tool is absent.
#include <gtest/gtest.h>

#include <ksparse/rtcm.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "rtcm/bit_field.h"
#include "rtcm/crc24q.h"
#include "support/test_paths.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr const char* kGpsdecode = "/usr/bin/gpsdecode";
constexpr double kL1CyclesPerMetre = 1575420000.0 / 299792458.0;
constexpr double kL2CyclesPerMetre = 1227600000.0 / 299792458.0;
constexpr double kUnset = -1e300;

struct Reference {
  unsigned ident;
  double p1, delta1, pr21, delta2;
};

// The satellites of every 1004 line of gpsdecode's output, in order.
std::vector<std::vector<Reference>> RunGpsdecode(const std::string& capture) {
  std::vector<std::vector<Reference>> epochs;
  FILE* pipe = popen((std::string(kGpsdecode) + " < '" + capture + "'").c_str(), "r");
  if (pipe == nullptr) return epochs;
  static char line[1 << 16];
  while (std::fgets(line, sizeof(line), pipe) != nullptr) {
    if (std::strstr(line, "\"type\":1004,") == nullptr) continue;
    epochs.emplace_back();
    for (const char* at = std::strstr(line, "{\"ident\":"); at != nullptr; at = std::strstr(at + 1, "{\"ident\":")) {
      Reference r{};
      unsigned amb;
      if (std::sscanf(at,
                      "{\"ident\":%u,\"L1\":{\"ind\":%*u,\"prange\":%lf,\"delta\":%lf,\"lockt\":%*u,\"amb\":%u,"
                      "\"CNR\":%*f},\"L2\":{\"ind\":%*u,\"prange\":%lf,\"delta\":%lf,\"lockt\":%*u,\"CNR\":%*f}}",
                      &r.ident, &r.p1, &r.delta1, &amb, &r.pr21, &r.delta2) != 6) {
        continue;
      }
      r.p1 += amb * 299792.458;  // whole light milliseconds
      // gpsdecode prints the 14-bit L2-L1 difference unsigned; fold it back
      // to its signed range (+-163.84 m).
      if (r.pr21 >= 163.84) r.pr21 -= 327.68;
      epochs.back().push_back(r);
    }
  }
  pclose(pipe);
  return epochs;
}

// Distance of a phase difference from the nearest whole 1500-cycle step.
double PhaseError(double diff) { return std::fabs(diff - 1500.0 * std::round(diff / 1500.0)); }

TEST(RtcmInterop, Message1004AgreesWithGpsdecode) {
  const std::string capture = Testing::CapturePath("testglo.rtcm3");
  if (capture.empty()) GTEST_SKIP() << "capture testglo.rtcm3 not present";
  if (access(kGpsdecode, X_OK) != 0) GTEST_SKIP() << "gpsdecode not installed";
  const std::vector<std::vector<Reference>> reference = RunGpsdecode(capture);
  ASSERT_FALSE(reference.empty());

  const std::string bytes = Testing::ReadFile(capture);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  em_obsd_t records[64];
  obs_t list{0, 64, records};
  Em_TrsMtPrlRTCM rtcm(list);
  std::size_t frames = 0, satellites = 0;
  for (std::size_t i = 0; i + 6 <= bytes.size(); ++i) {
    const unsigned length = (data[i + 1] & 0x03u) << 8 | data[i + 2];
    if (data[i] != 0xD3 || i + length + 6 > bytes.size() ||
        !Rtcm::CheckCrc24q(data + i, static_cast<int>(length + 3),
                           static_cast<std::uint32_t>(Rtcm::ReadUnsigned(data + i, 8 * (length + 3), 24))) ||
        Rtcm::ReadUnsigned(data + i, 24, 12) != 1004) {
      continue;
    }
    ASSERT_LT(frames, reference.size()) << "more 1004 frames than gpsdecode printed";
    for (em_obsd_t& r : records) r.p[0] = kUnset;
    ASSERT_TRUE(rtcm.Decode_type1004(data + i, length + 3));
    i += length + 5;
    std::size_t next = 0;
    // No field of this capture carries an invalid marker: every satellite
    // gives two pseudoranges and two phases to compare.
    for (const Reference& ref : reference[frames++]) {
      if (ref.ident == 0 || (ref.ident > 32 && ref.ident < 40) || ref.ident > 58) continue;  // no record
      const em_obsd_t& got = records[next++];
      SCOPED_TRACE("frame " + std::to_string(frames) + " PRN field " + std::to_string(ref.ident));
      ++satellites;
      EXPECT_NEAR(+got.p[0], ref.p1, 1e-3);
      EXPECT_NEAR(+got.p[1], ref.p1 + ref.pr21, 1e-3);
      EXPECT_LT(PhaseError(got.l[0] - (ref.p1 + ref.delta1) * kL1CyclesPerMetre), 1e-3);
      EXPECT_LT(PhaseError(got.l[1] - (ref.p1 + ref.delta2) * kL2CyclesPerMetre), 1e-3);
    }
    EXPECT_TRUE(next == 64 || records[next].p[0] == kUnset) << "record written beyond the satellites";
  }
  EXPECT_EQ(frames, reference.size());
  EXPECT_GT(satellites, 0u);
  std::printf("compared %zu frames, %zu satellites\n", frames, satellites);
}

}  // namespace
}  // namespace KsParse
}  // namespace Kestrel
