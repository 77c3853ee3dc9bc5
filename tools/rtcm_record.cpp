#include "tools/rtcm_record.h"

#include <cstring>

#include "rtcm/bit_field.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

// 1004 layout in frame bits: message header after the 24-bit frame header,
// then 125-bit satellite blocks from bit 88.
constexpr std::uint64_t kTowBit = 24 + 12 + 12;
constexpr unsigned kTowBits = 30;
constexpr std::uint64_t kFirstBlockBit = 88;
constexpr std::uint64_t kBlockBits = 125;

// The PRN of a block's 6-bit satellite field as the decoder numbers it: GPS
// 1-32 as is, SBAS 120-138 from field values 40-58; 0 for values the
// decoder skips without using a record.
unsigned BlockPrn(unsigned field) {
  if (field < 40) return field >= 1 && field <= 32 ? field : 0;
  return field + 80 <= 138 ? field + 80 : 0;
}

// 1021 leaves the rotation point as the caller set it (zero here).
Value Transformation(const trancood_t& t) {
  Value out = Value::Object();
  out.Set("lat0", t.lat0).Set("lon0", t.lon0).Set("dlat", t.ext_ns).Set("dlon", t.ext_ew)
      .Set("dx", t.dx).Set("dy", t.dy).Set("dz", t.dz).Set("r1", t.r1).Set("r2", t.r2).Set("r3", t.r3)
      .Set("ds", t.ds).Set("as", t.src_a).Set("bs", t.src_b).Set("at", t.tgt_a).Set("bt", t.tgt_b)
      .Set("xp", t.xp).Set("yp", t.yp).Set("zp", t.zp);
  return out;
}

Value Grid(const geoid_mdel_para& g) {
  Value points = Value::Array();
  for (unsigned i = 0; i < kResidualGridPoints; ++i)
    points.Push(Value::Array().Push(g.grid[i][0]).Push(g.grid[i][1]).Push(g.grid[i][2]));
  Value out = Value::Object();
  out.Set("origin", PairOf(g.origin1, g.origin2))
      .Set("spacing", PairOf(g.spacing1, g.spacing2))
      .Set("mean", Value::Array().Push(g.mean1).Push(g.mean2).Push(g.mean_height))
      .Set("points", std::move(points))
      .Set("hmethod", static_cast<unsigned>(g.horizontal_method))
      .Set("vmethod", static_cast<unsigned>(g.vertical_method))
      .Set("hquality", static_cast<unsigned>(g.horizontal_quality))
      .Set("vquality", static_cast<unsigned>(g.vertical_quality))
      .Set("mjd", g.mjd);
  return out;
}

Value Projection(int type, const projection_param& p) {
  Value out = Value::Object();
  out.Set("type", type).Set("lat0", p.lat_centre).Set("lon0", p.lon_centre).Set("azimuth", p.azimuth)
      .Set("scale_ppm", p.scale).Set("easting", p.easting).Set("northing", p.northing)
      .Set("skew", p.skew_angle).Set("rectified", static_cast<unsigned>(p.rectified));
  return out;
}

}  // namespace

RtcmRecorder::RtcmRecorder()
    : records_(new em_obsd_t[kObsCapacity]()), obs_{0, kObsCapacity, records_.get()}, decoder_(obs_) {}

RtcmRecorder::~RtcmRecorder() = default;

unsigned RtcmRecorder::MessageNumber(const unsigned char* frame, std::size_t length) {
  if (!Rtcm::FitsInFrame(static_cast<unsigned int>(length), 36)) return 0;
  return static_cast<unsigned>(Rtcm::ReadUnsigned(frame, 24, 12));
}

Value RtcmRecorder::Observations(const unsigned char* frame, std::size_t length) {
  std::memset(static_cast<void*>(records_.get()), 0, sizeof(em_obsd_t) * kObsCapacity);
  decoder_.Decode_type1004(frame, static_cast<unsigned int>(length));
  Value out = Value::Array();
  const std::uint64_t bits = Rtcm::FrameBits(static_cast<unsigned int>(length));
  unsigned r = 0;
  for (std::uint64_t b = kFirstBlockBit; b + kBlockBits <= bits && r < kObsCapacity; b += kBlockBits) {
    const unsigned prn = BlockPrn(static_cast<unsigned>(Rtcm::ReadUnsigned(frame, b, 6)));
    if (prn == 0) continue;
    const em_obsd_t& o = records_[r++];
    Value record = Value::Object();
    record.Set("prn", prn)
        .Set("p", PairOf(o.p[0], o.p[1]))
        .Set("l", PairOf(o.l[0], o.l[1]))
        .Set("snr", PairOf(o.snr[0], o.snr[1]))
        .Set("lli", PairOf(o.lli[0], o.lli[1]))
        .Set("code", PairOf(o.code[0], o.code[1]));
    out.Push(std::move(record));
  }
  return out;
}

unsigned RtcmRecorder::Decode(const unsigned char* frame, std::size_t length) {
  const unsigned number = MessageNumber(frame, length);
  const unsigned int n = static_cast<unsigned int>(length);
  decoder_.Prc_Prtcl_ID(number, const_cast<unsigned char*>(frame), n);
  int a = 0, b = 0, c = 0;
  unsigned int utilized = 0;
  trancood_t t;
  geoid_mdel_para g;
  projection_param p;
  switch (number) {
    case 1004: decoder_.Decode_type1004(frame, n); break;
    case 1021: decoder_.Decode_type1021(frame, n, a, b, c, utilized, t); break;
    case 1022: decoder_.Decode_type1022(frame, n, t); break;
    case 1023: decoder_.Decode_type1023(frame, n, g); break;
    case 1024: decoder_.Decode_type1024(frame, n, g); break;
    case 1027: decoder_.Decode_type1027(frame, n, a, p); break;
    default: break;
  }
  return number;
}

Value RtcmRecorder::Record(const unsigned char* frame, std::size_t length) {
  const unsigned number = MessageNumber(frame, length);
  const unsigned int n = static_cast<unsigned int>(length);
  // The decoder's interface takes a mutable pointer; it does not write.
  const bool accepted = decoder_.Prc_Prtcl_ID(number, const_cast<unsigned char*>(frame), n);
  Value record = Value::Object();
  record.Set("msg", number).Set("len", static_cast<unsigned long long>(length)).Set("accepted", accepted);
  switch (number) {
    case 1004:
      if (Rtcm::FitsInFrame(n, kTowBit + kTowBits))
        record.Set("tow_ms", static_cast<unsigned long long>(Rtcm::ReadUnsigned(frame, kTowBit, kTowBits)));
      record.Set("obs", Observations(frame, length));
      break;
    case 1021: {
      int system_id = 0, computation = 0, height = 0;
      unsigned int utilized = 0;
      trancood_t t = {};
      if (decoder_.Decode_type1021(frame, n, system_id, computation, height, utilized, t)) {
        record.Set("trans", Transformation(t))
            .Set("system_id", system_id)
            .Set("computation", computation)
            .Set("height_ind", height)
            .Set("utilized", utilized);
      }
      break;
    }
    case 1022: {
      trancood_t t = {};
      if (decoder_.Decode_type1022(frame, n, t)) record.Set("trans", Transformation(t));
      break;
    }
    case 1023:
    case 1024: {
      geoid_mdel_para g = {};
      const bool ok = number == 1023 ? decoder_.Decode_type1023(frame, n, g) : decoder_.Decode_type1024(frame, n, g);
      if (ok) record.Set("grid", Grid(g));
      break;
    }
    case 1027: {
      int type = 0;
      projection_param p = {};
      if (decoder_.Decode_type1027(frame, n, type, p)) record.Set("proj", Projection(type, p));
      break;
    }
    default:
      break;
  }
  return record;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
