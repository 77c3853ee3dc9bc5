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
template <typename Sink>
void Transformation(Sink& out, const trancood_t& t) {
  out.Object("trans");
  out.Field("lat0", t.lat0);
  out.Field("lon0", t.lon0);
  out.Field("dlat", t.ext_ns);
  out.Field("dlon", t.ext_ew);
  out.Field("dx", t.dx);
  out.Field("dy", t.dy);
  out.Field("dz", t.dz);
  out.Field("r1", t.r1);
  out.Field("r2", t.r2);
  out.Field("r3", t.r3);
  out.Field("ds", t.ds);
  out.Field("as", t.src_a);
  out.Field("bs", t.src_b);
  out.Field("at", t.tgt_a);
  out.Field("bt", t.tgt_b);
  out.Field("xp", t.xp);
  out.Field("yp", t.yp);
  out.Field("zp", t.zp);
  out.End();
}

template <typename Sink>
void Grid(Sink& out, const geoid_mdel_para& g) {
  out.Object("grid");
  WritePair(out, "origin", g.origin1, g.origin2);
  WritePair(out, "spacing", g.spacing1, g.spacing2);
  out.Array("mean");
  out.Field(nullptr, g.mean1);
  out.Field(nullptr, g.mean2);
  out.Field(nullptr, g.mean_height);
  out.End();
  out.Array("points");
  for (unsigned i = 0; i < kResidualGridPoints; ++i) {
    out.Array(nullptr);
    for (unsigned j = 0; j < 3; ++j) out.Field(nullptr, g.grid[i][j]);
    out.End();
  }
  out.End();
  out.Field("hmethod", static_cast<unsigned>(g.horizontal_method));
  out.Field("vmethod", static_cast<unsigned>(g.vertical_method));
  out.Field("hquality", static_cast<unsigned>(g.horizontal_quality));
  out.Field("vquality", static_cast<unsigned>(g.vertical_quality));
  out.Field("mjd", g.mjd);
  out.End();
}

template <typename Sink>
void Projection(Sink& out, int type, const projection_param& p) {
  out.Object("proj");
  out.Field("type", type);
  out.Field("lat0", p.lat_centre);
  out.Field("lon0", p.lon_centre);
  out.Field("azimuth", p.azimuth);
  out.Field("scale_ppm", p.scale);
  out.Field("easting", p.easting);
  out.Field("northing", p.northing);
  out.Field("skew", p.skew_angle);
  out.Field("rectified", static_cast<unsigned>(p.rectified));
  out.End();
}

}  // namespace

RtcmRecorder::RtcmRecorder()
    : records_(new em_obsd_t[kObsCapacity]()), obs_{0, kObsCapacity, records_.get()}, decoder_(obs_) {}

RtcmRecorder::~RtcmRecorder() = default;

unsigned RtcmRecorder::MessageNumber(const unsigned char* frame, std::size_t length) {
  if (!Rtcm::FitsInFrame(static_cast<unsigned int>(length), 36)) return 0;
  return static_cast<unsigned>(Rtcm::ReadUnsigned(frame, 24, 12));
}

template <typename Sink>
void RtcmRecorder::Observations(Sink& out, const unsigned char* frame, std::size_t length) {
  // Zeroed first, as far as the frame's blocks can fill: the decoder leaves
  // the fields it does not decode untouched.
  const std::uint64_t bits = Rtcm::FrameBits(static_cast<unsigned int>(length));
  const std::uint64_t blocks = bits > kFirstBlockBit ? (bits - kFirstBlockBit) / kBlockBits : 0;
  const std::size_t filled = blocks < kObsCapacity ? static_cast<std::size_t>(blocks) : kObsCapacity;
  std::memset(static_cast<void*>(records_.get()), 0, sizeof(em_obsd_t) * filled);
  decoder_.Decode_type1004(frame, static_cast<unsigned int>(length));
  out.Array("obs");
  unsigned r = 0;
  for (std::uint64_t b = kFirstBlockBit; b + kBlockBits <= bits && r < kObsCapacity; b += kBlockBits) {
    const unsigned prn = BlockPrn(static_cast<unsigned>(Rtcm::ReadUnsigned(frame, b, 6)));
    if (prn == 0) continue;
    const em_obsd_t& o = records_[r++];
    out.Object(nullptr);
    out.Field("prn", prn);
    WritePair(out, "p", o.p[0], o.p[1]);
    WritePair(out, "l", o.l[0], o.l[1]);
    WritePair(out, "snr", o.snr[0], o.snr[1]);
    WritePair(out, "lli", o.lli[0], o.lli[1]);
    WritePair(out, "code", o.code[0], o.code[1]);
    out.End();
  }
  out.End();
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

template <typename Sink>
unsigned RtcmRecorder::Write(Sink& out, const unsigned char* frame, std::size_t length) {
  const unsigned number = MessageNumber(frame, length);
  const unsigned int n = static_cast<unsigned int>(length);
  // The decoder's interface takes a mutable pointer; it does not write.
  const bool accepted = decoder_.Prc_Prtcl_ID(number, const_cast<unsigned char*>(frame), n);
  out.Object(nullptr);
  out.Field("msg", number);
  out.Field("len", static_cast<unsigned long long>(length));
  out.Field("accepted", accepted);
  switch (number) {
    case 1004:
      if (Rtcm::FitsInFrame(n, kTowBit + kTowBits))
        out.Field("tow_ms", static_cast<unsigned long long>(Rtcm::ReadUnsigned(frame, kTowBit, kTowBits)));
      Observations(out, frame, length);
      break;
    case 1021: {
      int system_id = 0, computation = 0, height = 0;
      unsigned int utilized = 0;
      trancood_t t = {};
      if (decoder_.Decode_type1021(frame, n, system_id, computation, height, utilized, t)) {
        Transformation(out, t);
        out.Field("system_id", system_id);
        out.Field("computation", computation);
        out.Field("height_ind", height);
        out.Field("utilized", utilized);
      }
      break;
    }
    case 1022: {
      trancood_t t = {};
      if (decoder_.Decode_type1022(frame, n, t)) Transformation(out, t);
      break;
    }
    case 1023:
    case 1024: {
      geoid_mdel_para g = {};
      const bool ok = number == 1023 ? decoder_.Decode_type1023(frame, n, g) : decoder_.Decode_type1024(frame, n, g);
      if (ok) Grid(out, g);
      break;
    }
    case 1027: {
      int type = 0;
      projection_param p = {};
      if (decoder_.Decode_type1027(frame, n, type, p)) Projection(out, type, p);
      break;
    }
    default:
      break;
  }
  out.End();
  return number;
}

Value RtcmRecorder::Record(const unsigned char* frame, std::size_t length) {
  ValueBuilder builder;
  Write(builder, frame, length);
  return builder.Take();
}

unsigned RtcmRecorder::Record(const unsigned char* frame, std::size_t length, JsonWriter& writer) {
  return Write(writer, frame, length);
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
