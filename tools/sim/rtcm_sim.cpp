#include "tools/sim/rtcm_sim.h"

#include <algorithm>
#include <cmath>

#include "rtcm/crc24q.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {

namespace {

constexpr double kLightMillisecond = 299792.458;  // metres
constexpr std::int64_t kInvalidPhaseRange = -524288;
constexpr std::int64_t kInvalidL2Range = -8192;

BitWriter MessageStart(unsigned number) {
  BitWriter w;
  w.Put(number, 12);
  return w;
}

// Rounds `value / unit` to a signed field of `width` bits, or gives
// `invalid` when it does not fit beside the marker.
std::int64_t SignedUnits(double value, double unit, unsigned width, std::int64_t invalid) {
  const double units = std::round(value / unit);
  const double limit = std::ldexp(1.0, static_cast<int>(width) - 1) - 1.0;
  if (!(std::fabs(units) <= limit)) return invalid;
  return static_cast<std::int64_t>(units);
}

unsigned StrengthUnits(double dbhz) {
  return static_cast<unsigned>(std::clamp(std::round(dbhz * 4.0), 0.0, 255.0));
}

void PutName(BitWriter& w, const std::string& name) {
  const std::size_t n = std::min<std::size_t>(name.size(), 31);
  w.Put(n, 5);
  w.PutBytes(name.data(), n);
}

// Names and indicators up to the area of validity, shared by 1021 and 1022.
void PutHelmertHead(BitWriter& w, const RtcmHelmertFields& f) {
  PutName(w, f.source_name);
  PutName(w, f.target_name);
  w.Put(f.system_id, 8);
  w.Put(f.utilized, 10);
  w.Put(f.plate, 5);
  w.Put(f.computation, 4);
  w.Put(f.height, 2);
  w.PutSigned(f.lat0, 19);
  w.PutSigned(f.lon0, 20);
  w.Put(f.ext_ns, 14);
  w.Put(f.ext_ew, 14);
  w.PutSigned(f.dx, 23);
  w.PutSigned(f.dy, 23);
  w.PutSigned(f.dz, 23);
  w.PutSigned(f.r1, 32);
  w.PutSigned(f.r2, 32);
  w.PutSigned(f.r3, 32);
  w.PutSigned(f.ds, 25);
}

void PutHelmertTail(BitWriter& w, const RtcmHelmertFields& f) {
  w.Put(f.src_a, 24);
  w.Put(f.src_b, 25);
  w.Put(f.tgt_a, 24);
  w.Put(f.tgt_b, 25);
  w.Put(f.horizontal_quality, 3);
  w.Put(f.vertical_quality, 3);
}

// 1023 and 1024 differ only in the widths of the origin and mean fields.
Frame GridMessage(unsigned number, const RtcmGridFields& f, unsigned origin1_width, unsigned origin2_width,
                  unsigned mean_width) {
  BitWriter w = MessageStart(number);
  w.Put(f.system_id, 8);
  w.Put(f.horizontal_shift, 1);
  w.Put(f.vertical_shift, 1);
  w.PutSigned(f.origin1, origin1_width);
  w.PutSigned(f.origin2, origin2_width);
  w.Put(f.spacing1, 12);
  w.Put(f.spacing2, 12);
  w.PutSigned(f.mean1, mean_width);
  w.PutSigned(f.mean2, mean_width);
  w.PutSigned(f.mean_height, 15);
  for (const auto& point : f.residual) {
    for (std::int64_t residual : point) w.PutSigned(residual, 9);
  }
  w.Put(f.horizontal_method, 2);
  w.Put(f.vertical_method, 2);
  w.Put(f.horizontal_quality, 3);
  w.Put(f.vertical_quality, 3);
  w.Put(f.mjd, 16);
  return RtcmFrame(w);
}

// 1025 and 1026 differ only in what lies between the origin and the false
// easting: the scale (1025) or the two standard parallels (1026).
Frame ProjectionMessage(unsigned number, const RtcmProjectionFields& f) {
  BitWriter w = MessageStart(number);
  w.Put(f.system_id, 8);
  w.Put(f.projection_type, 6);
  w.PutSigned(f.lat_origin, 34);
  w.PutSigned(f.lon_origin, 35);
  if (number == 1025) {
    w.Put(f.scale, 30);
  } else {
    w.PutSigned(f.lat_parallel1, 34);
    w.PutSigned(f.lat_parallel2, 34);
  }
  w.Put(f.easting, 36);
  w.PutSigned(f.northing, 35);
  return RtcmFrame(w);
}

}  // namespace

Frame RtcmFrame(const BitWriter& message) {
  BitWriter body = message;
  body.AlignToByte();
  const auto& bytes = body.Bytes();
  BitWriter frame;
  frame.Put(0xD3, 8);
  frame.Put(0, 6);
  frame.Put(bytes.size(), 10);
  frame.PutBytes(bytes.data(), bytes.size());
  Frame out = frame.Bytes();
  const std::uint32_t crc = Rtcm::Crc24q(out.data(), static_cast<unsigned int>(out.size()));
  out.push_back(static_cast<std::uint8_t>(crc >> 16));
  out.push_back(static_cast<std::uint8_t>(crc >> 8));
  out.push_back(static_cast<std::uint8_t>(crc));
  return out;
}

Rtcm1004Satellite Rtcm1004Observation(unsigned prn, double pseudorange_l1, double pseudorange_l2,
                                      double phase_l1_minus_p1, double phase_l2_minus_p1, double cn0_l1,
                                      double cn0_l2) {
  Rtcm1004Satellite s;
  s.prn = prn;
  const double amb = std::floor(pseudorange_l1 / kLightMillisecond);
  s.amb = static_cast<unsigned>(std::clamp(amb, 0.0, 255.0));
  const double rest = pseudorange_l1 - s.amb * kLightMillisecond;
  s.pr1 = static_cast<std::uint64_t>(std::clamp(std::round(rest / 0.02), 0.0, 16777215.0));
  const double p1 = s.amb * kLightMillisecond + static_cast<double>(s.pr1) * 0.02;
  s.pr21 = SignedUnits(pseudorange_l2 - p1, 0.02, 14, kInvalidL2Range);
  s.ppr1 = SignedUnits(phase_l1_minus_p1, 0.0005, 20, kInvalidPhaseRange);
  s.ppr2 = SignedUnits(phase_l2_minus_p1, 0.0005, 20, kInvalidPhaseRange);
  s.lock1 = s.lock2 = 127;
  s.cnr1 = StrengthUnits(cn0_l1);
  s.cnr2 = StrengthUnits(cn0_l2);
  s.l2_code = 1;
  return s;
}

Frame Rtcm1004(const Rtcm1004Header& header, const std::vector<Rtcm1004Satellite>& satellites) {
  BitWriter w = MessageStart(1004);
  w.Put(header.station_id, 12);
  w.Put(header.tow_ms, 30);
  w.Put(header.synchronous ? 1 : 0, 1);
  w.Put(std::min<std::size_t>(satellites.size(), 31), 5);
  w.Put(header.smoothing ? 1 : 0, 1);
  w.Put(header.smoothing_interval, 3);
  for (const Rtcm1004Satellite& s : satellites) {
    w.Put(s.prn, 6);
    w.Put(s.l1_code, 1);
    w.Put(s.pr1, 24);
    w.PutSigned(s.ppr1, 20);
    w.Put(s.lock1, 7);
    w.Put(s.amb, 8);
    w.Put(s.cnr1, 8);
    w.Put(s.l2_code, 2);
    w.PutSigned(s.pr21, 14);
    w.PutSigned(s.ppr2, 20);
    w.Put(s.lock2, 7);
    w.Put(s.cnr2, 8);
  }
  return RtcmFrame(w);
}

Frame Rtcm1021(const RtcmHelmertFields& fields) {
  BitWriter w = MessageStart(1021);
  PutHelmertHead(w, fields);
  PutHelmertTail(w, fields);
  return RtcmFrame(w);
}

Frame Rtcm1022(const RtcmHelmertFields& fields) {
  BitWriter w = MessageStart(1022);
  PutHelmertHead(w, fields);
  w.PutSigned(fields.xp, 35);
  w.PutSigned(fields.yp, 35);
  w.PutSigned(fields.zp, 35);
  PutHelmertTail(w, fields);
  return RtcmFrame(w);
}

Frame Rtcm1023(const RtcmGridFields& fields) { return GridMessage(1023, fields, 21, 22, 8); }

Frame Rtcm1024(const RtcmGridFields& fields) { return GridMessage(1024, fields, 25, 26, 10); }

Frame Rtcm1027(const Rtcm1027Fields& f) {
  BitWriter w = MessageStart(1027);
  w.Put(f.system_id, 8);
  w.Put(f.projection_type, 6);
  w.Put(f.rectified, 1);
  w.PutSigned(f.lat_centre, 34);
  w.PutSigned(f.lon_centre, 35);
  w.Put(f.azimuth, 35);
  w.PutSigned(f.skew_angle, 26);
  w.Put(f.scale, 30);
  w.Put(f.easting, 36);
  w.PutSigned(f.northing, 35);
  return RtcmFrame(w);
}

Frame Rtcm1025(const RtcmProjectionFields& fields) { return ProjectionMessage(1025, fields); }

Frame Rtcm1026(const RtcmProjectionFields& fields) { return ProjectionMessage(1026, fields); }

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
