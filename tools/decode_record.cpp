#include "tools/decode_record.h"

#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

template <typename Sink>
void Position(Sink& out, Em_Gnss& gnss) {
  // Zeroed first: the query leaves the time words untouched without a board.
  POS_INFO pos;
  std::memset(&pos, 0, sizeof(pos));
  gnss.Get_Gnss_Pos(&pos);
  out.Object("pos");
  out.Field("lat", pos.latitude * kDegreesPerRadian);
  out.Field("lon", pos.longitude * kDegreesPerRadian);
  out.Field("height", pos.height);
  out.Field("solution", pos.solution);
  out.Field("diff_age", pos.diff_age);
  out.Array("time");
  out.Field(nullptr, pos.year);
  out.Field(nullptr, pos.month);
  out.Field(nullptr, pos.day);
  out.Field(nullptr, pos.hour);
  out.Field(nullptr, pos.minute);
  out.Field(nullptr, pos.second);
  out.End();
  out.Field("hprec", pos.hprec);
  out.Field("vprec", pos.vprec);
  out.Field("rms", pos.rms);
  out.End();
}

template <typename Sink>
void Dop(Sink& out, Em_Gnss& gnss) {
  Dops dops = {};
  gnss.Get_Gnss_Dops(&dops);
  out.Object("dop");
  out.Field("pdop", dops.pdop);
  out.Field("hdop", dops.hdop);
  out.Field("vdop", dops.vdop);
  out.Field("tdop", dops.tdop);
  out.Field("gdop", dops.gdop);
  out.End();
}

template <typename Sink>
void Satellites(Sink& out, Key key, Em_Gnss& gnss, int system) {
  SATLLITE_STR sats[32];
  std::memset(sats, 0, sizeof(sats));
  unsigned int count = 0;
  gnss.Get_Gnss_SatInfo(system, &count, sats);
  if (count > 32) count = 32;
  out.Array(key);
  for (unsigned int i = 0; i < count; ++i) {
    const SATLLITE_STR& s = sats[i];
    out.Object(nullptr);
    out.Field("prn", s.prn);
    out.Field("el", s.elevation);
    out.Field("az", static_cast<unsigned>(s.azimuth));
    out.Field("snr", s.snr);
    out.Field("snr2", s.snr2);
    out.Field("status", s.status);
    out.End();
  }
  out.End();
}

template <typename Sink>
void Observations(Sink& out, Em_Gnss& gnss, em_obs_t& obs) {
  std::memset(&obs, 0, sizeof(obs));
  gnss.Get_Gnss_Obs_t(&obs);
  const std::uint32_t n = obs.n < kObsRecordsPerQuery ? obs.n : kObsRecordsPerQuery;
  out.Array("obs");
  for (std::uint32_t i = 0; i < n; ++i) {
    const em_obsd_t& o = obs.data[i];
    out.Object(nullptr);
    out.Field("sat", static_cast<unsigned>(o.sat));
    out.Field("time", static_cast<long long>(o.time));
    out.Field("sec", o.sec);
    WritePair(out, "snr", o.snr[0], o.snr[1]);
    WritePair(out, "lli", o.lli[0], o.lli[1]);
    WritePair(out, "code", o.code[0], o.code[1]);
    WritePair(out, "l", o.l[0], o.l[1]);
    WritePair(out, "p", o.p[0], o.p[1]);
    WritePair(out, "d", o.d[0], o.d[1]);
    out.End();
  }
  out.End();
}

template <typename Sink>
void Ephemeris(Sink& out, Em_Gnss& gnss) {
  // Zeroed first: the query writes nothing for satellites it does not serve.
  unsigned int system = 0;
  em_eph_t e;
  std::memset(&e, 0, sizeof(e));
  gnss.Get_Gnss_Ephemeris(&system, &e);
  out.Object("eph");
  out.Field("system", system);
  out.Field("sat", e.sat);
  out.Field("iode", e.iode);
  out.Field("iodc", e.iodc);
  out.Field("week", e.week);
  out.Field("toes", e.toes);
  out.Field("A", e.A);
  out.Field("e", e.e);
  out.Field("i0", e.i0);
  out.Field("OMG0", e.OMG0);
  out.Field("omg", e.omg);
  out.Field("M0", e.M0);
  out.Field("deln", e.deln);
  out.Field("OMGd", e.OMGd);
  out.Field("idot", e.idot);
  out.Field("crc", e.crc);
  out.Field("crs", e.crs);
  out.Field("cuc", e.cuc);
  out.Field("cus", e.cus);
  out.Field("cic", e.cic);
  out.Field("cis", e.cis);
  out.Field("f0", e.f0);
  out.Field("f1", e.f1);
  out.Field("f2", e.f2);
  out.Field("tgd", e.tgd[0]);
  out.End();
}

template <typename Sink>
void Write(Sink& out, Em_Gnss& gnss, Msg_Type kind, std::uint32_t flags, em_obs_t& obs) {
  out.Object(nullptr);
  out.Field("kind", static_cast<int>(kind));
  out.Field("flags", flags);
  if (kind == MSG_GNSS || kind == MSG_NV_NMEA) {
    if (flags & Flag::kAnyPosition) Position(out, gnss);
    if (flags & Flag::kDop) Dop(out, gnss);
    static constexpr struct {
      std::uint32_t flag;
      int system;
      Key key;
    } kSystems[] = {{Flag::kSatsSystem1, 1, "1"},
                    {Flag::kSatsSystem2, 2, "2"},
                    {Flag::kSatsSystem3, 3, "3"},
                    {Flag::kSatsSystem4, 4, "4"}};
    if (flags & (Flag::kSatsSystem1 | Flag::kSatsSystem2 | Flag::kSatsSystem3 | Flag::kSatsSystem4)) {
      out.Object("sats");
      for (const auto& s : kSystems)
        if (flags & s.flag) Satellites(out, s.key, gnss, s.system);
      out.End();
    }
    if (flags & Flag::kObservations) Observations(out, gnss, obs);
    if (flags & Flag::kEphemeris) Ephemeris(out, gnss);
    if (flags & Flag::kElevMask) out.Field("elev_mask", gnss.Get_Gnss_ElevMask());
    if (flags & Flag::kBase) {
      BASEINFO base = {};
      gnss.Get_Gnss_Baseinfo(base);
      out.Array("base");
      out.Field(nullptr, base.x);
      out.Field(nullptr, base.y);
      out.Field(nullptr, base.z);
      out.End();
    }
  }
  out.End();
}

}  // namespace

Value DecodeRecord(Em_Gnss& gnss, Msg_Type kind, std::uint32_t flags, em_obs_t& obs) {
  ValueBuilder builder;
  Write(builder, gnss, kind, flags, obs);
  return builder.Take();
}

void WriteDecodeRecord(JsonWriter& writer, Em_Gnss& gnss, Msg_Type kind, std::uint32_t flags, em_obs_t& obs) {
  Write(writer, gnss, kind, flags, obs);
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
