#include "tools/sim/novatel_sim.h"

#include <cmath>
#include <cstring>

#include "boards/novatel/novatel_wire.h"

namespace Kestrel {
namespace KsParse {
namespace Sim {
namespace {

using NovAtel::kAdrRollover;
using NovAtel::kWavelengthL1;
using NovAtel::kWavelengthL2;

// Little-endian byte appender.
class Bytes {
 public:
  void U8(std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
  void U16(std::uint32_t v) { Le(v, 2); }
  void U32(std::uint32_t v) { Le(v, 4); }
  void U64(std::uint64_t v) { Le(v, 8); }
  void F32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    U32(bits);
  }
  void F64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    U64(bits);
  }
  // A fixed-size text field, cut or NUL-padded.
  void Text(const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) U8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
  }
  void Raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  std::vector<std::uint8_t> out;

 private:
  void Le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
};

std::uint64_t Steps(double value, double per_unit) {
  return static_cast<std::uint64_t>(std::llround(value * per_unit));
}

}  // namespace

Frame NovAtelLog(unsigned id, const NovAtelHeader& h, const std::vector<std::uint8_t>& body) {
  Bytes b;
  b.U8(0xAA);
  b.U8(0x44);
  b.U8(0x12);
  b.U8(28);
  b.U16(id);
  b.U8(h.response ? 0x80 : 0x00);  // binary format
  b.U8(h.port);
  b.U16(static_cast<std::uint32_t>(body.size()));
  b.U16(h.sequence);
  b.U8(0);  // idle time
  b.U8(h.time_status);
  b.U16(h.week);
  b.U32(h.milliseconds);
  b.U32(h.receiver_status);
  b.U16(0);       // reserved
  b.U16(0x1234);  // receiver software build
  b.Raw(body.data(), body.size());
  b.U32(NovAtel::Crc32(b.out.data(), b.out.size()));
  return b.out;
}

Frame BestPos(const NovAtelHeader& header, const BestPosFields& f) {
  Bytes b;
  b.U32(f.solution_status);
  b.U32(f.position_type);
  b.F64(f.latitude);
  b.F64(f.longitude);
  b.F64(f.height);
  b.F32(f.undulation);
  b.U32(f.datum);
  b.F32(f.lat_sigma);
  b.F32(f.lon_sigma);
  b.F32(f.height_sigma);
  b.Raw(f.station, 4);
  b.F32(f.diff_age);
  b.F32(f.solution_age);
  b.U8(f.tracked);
  b.U8(f.in_solution);
  b.U8(f.in_solution_l1);
  b.U8(f.in_solution_multi);
  b.U8(0);
  b.U8(f.extended_status);
  b.U8(f.galileo_beidou_mask);
  b.U8(f.gps_glonass_mask);
  return NovAtelLog(42, header, b.out);
}

Frame PsrDop(const NovAtelHeader& header, const PsrDopFields& f) {
  Bytes b;
  b.F32(f.gdop);
  b.F32(f.pdop);
  b.F32(f.hdop);
  b.F32(f.htdop);
  b.F32(f.tdop);
  b.F32(f.cutoff);
  b.U32(static_cast<std::uint32_t>(f.prns.size()));
  for (std::uint32_t prn : f.prns) b.U32(prn);
  return NovAtelLog(174, header, b.out);
}

Frame RangeCmp(const NovAtelHeader& header, const std::vector<RangeCmpRecord>& records) {
  Bytes b;
  b.U32(static_cast<std::uint32_t>(records.size()));
  for (const RangeCmpRecord& r : records) {
    const std::uint32_t status = (r.channel & 0x1Fu) | (r.phase_locked ? 1u << 10 : 0) |
                                 (r.parity_known ? 1u << 11 : 0) | (r.code_locked ? 1u << 12 : 0) |
                                 ((r.system & 0x7u) << 16) | ((r.signal & 0x1Fu) << 21) |
                                 (r.half_cycle_added ? 1u << 28 : 0);
    b.U32(status);
    // Doppler (28 bits) and pseudorange (36 bits) share the next 8 bytes.
    const std::uint64_t doppler = Steps(r.doppler, 256.0) & 0x0FFFFFFFu;
    const std::uint64_t range = Steps(r.pseudorange, 128.0) & 0xFFFFFFFFFull;
    b.U64(doppler | (range << 28));
    // The carrier field: minus the phase, folded into +-half a roll-over.
    const double folded = -r.phase - kAdrRollover * std::round(-r.phase / kAdrRollover);
    b.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(std::llround(folded * 256.0))));
    b.U8((r.psr_std & 0xFu) | ((r.adr_std & 0xFu) << 4));
    b.U8(r.prn);
    const std::uint32_t lock = static_cast<std::uint32_t>(Steps(r.lock_time, 32.0)) & 0x1FFFFFu;
    const std::uint32_t cn0 = (r.cn0 - 20u) & 0x1Fu;
    b.U32(lock | (cn0 << 21));
    b.U16(0);  // reserved
  }
  return NovAtelLog(140, header, b.out);
}

RangeCmpRecord RangeCmpObservation(unsigned prn, unsigned system, unsigned signal, double range,
                                   double range_rate, unsigned cn0, double lock_time) {
  const double wavelength = signal == 0 ? kWavelengthL1 : kWavelengthL2;
  RangeCmpRecord r;
  r.prn = prn;
  r.system = system;
  r.signal = signal;
  r.pseudorange = range;
  r.phase = range / wavelength;
  r.doppler = -range_rate / wavelength;
  r.cn0 = cn0;
  r.lock_time = lock_time;
  return r;
}

Frame Range(const NovAtelHeader& header, const std::vector<RangeRecord>& records) {
  Bytes b;
  b.U32(static_cast<std::uint32_t>(records.size()));
  for (const RangeRecord& r : records) {
    b.U16(r.prn);
    b.U16(r.glonass_frequency);
    b.F64(r.pseudorange);
    b.F32(r.pseudorange_std);
    b.F64(r.carrier);
    b.F32(r.carrier_std);
    b.F32(r.doppler);
    b.F32(r.cn0);
    b.F32(r.lock_time);
    b.U32(r.status);
  }
  return NovAtelLog(43, header, b.out);
}

Frame RawEphem(const NovAtelHeader& header, unsigned prn, const GpsEphemerisFields& f) {
  Bytes b;
  b.U32(prn);
  b.U32(f.week);
  b.U32(static_cast<std::uint32_t>(f.toe));
  const std::array<std::uint8_t, 90> subframes = GpsEphemerisSubframes(f);
  b.Raw(subframes.data(), subframes.size());
  return NovAtelLog(41, header, b.out);
}

Frame GpsEphem(const NovAtelHeader& header, unsigned prn, const GpsEphemerisFields& f, unsigned id) {
  Bytes b;
  b.U32(prn);
  b.F64(f.tow);
  b.U32(f.health);
  b.U32(f.iode);
  b.U32(f.iode);
  b.U32(f.week);
  b.U32(f.week);
  b.F64(f.toe);
  b.F64(f.A);
  b.F64(f.deln);
  b.F64(f.M0);
  b.F64(f.e);
  b.F64(f.omg);
  b.F64(f.cuc);
  b.F64(f.cus);
  b.F64(f.crc);
  b.F64(f.crs);
  b.F64(f.cic);
  b.F64(f.cis);
  b.F64(f.i0);
  b.F64(f.idot);
  b.F64(f.OMG0);
  b.F64(f.OMGd);
  b.U32(f.iodc);
  b.F64(f.toc);
  b.F64(f.tgd);
  b.F64(f.f0);
  b.F64(f.f1);
  b.F64(f.f2);
  b.U32(0);  // anti-spoofing
  b.F64(std::sqrt(3.986005e14 / (f.A * f.A * f.A)) + f.deln);  // corrected mean motion
  b.F64(0);  // URA variance
  if (id != 7) b.U32(0);
  return NovAtelLog(id, header, b.out);
}

Frame RefStation(const NovAtelHeader& header, const RefStationFields& f) {
  Bytes b;
  b.U32(f.status);
  b.F64(f.x);
  b.F64(f.y);
  b.F64(f.z);
  b.U32(f.health);
  b.U32(f.station_type);
  b.Text(f.station_id, 5);
  b.Text("", 3);  // padding to a 4-byte boundary
  return NovAtelLog(175, header, b.out);
}

Frame Version(const NovAtelHeader& header, const std::vector<VersionComponent>& components) {
  Bytes b;
  b.U32(static_cast<std::uint32_t>(components.size()));
  for (const VersionComponent& c : components) {
    b.U32(c.type);
    b.Text(c.model, 16);
    b.Text(c.serial, 16);
    b.Text(c.hardware, 16);
    b.Text(c.software, 16);
    b.Text(c.boot, 16);
    b.Text(c.date, 12);
    b.Text(c.time, 12);
  }
  return NovAtelLog(37, header, b.out);
}

}  // namespace Sim
}  // namespace KsParse
}  // namespace Kestrel
