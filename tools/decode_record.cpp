#include "tools/decode_record.h"

#include <cstring>

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

Value Position(Em_Gnss& gnss) {
  // Zeroed first: the query leaves the time words untouched without a board.
  POS_INFO pos;
  std::memset(&pos, 0, sizeof(pos));
  gnss.Get_Gnss_Pos(&pos);
  Value time = Value::Array();
  time.Push(pos.year).Push(pos.month).Push(pos.day).Push(pos.hour).Push(pos.minute).Push(pos.second);
  Value out = Value::Object();
  out.Set("lat", pos.latitude * kDegreesPerRadian)
      .Set("lon", pos.longitude * kDegreesPerRadian)
      .Set("height", pos.height)
      .Set("solution", pos.solution)
      .Set("diff_age", pos.diff_age)
      .Set("time", std::move(time))
      .Set("hprec", pos.hprec)
      .Set("vprec", pos.vprec)
      .Set("rms", pos.rms);
  return out;
}

Value Dop(Em_Gnss& gnss) {
  Dops dops = {};
  gnss.Get_Gnss_Dops(&dops);
  Value out = Value::Object();
  out.Set("pdop", dops.pdop).Set("hdop", dops.hdop).Set("vdop", dops.vdop).Set("tdop", dops.tdop).Set("gdop", dops.gdop);
  return out;
}

Value Satellites(Em_Gnss& gnss, int system) {
  SATLLITE_STR sats[32];
  std::memset(sats, 0, sizeof(sats));
  unsigned int count = 0;
  gnss.Get_Gnss_SatInfo(system, &count, sats);
  if (count > 32) count = 32;
  Value out = Value::Array();
  for (unsigned int i = 0; i < count; ++i) {
    const SATLLITE_STR& s = sats[i];
    Value sat = Value::Object();
    sat.Set("prn", s.prn).Set("el", s.elevation).Set("az", static_cast<unsigned>(s.azimuth))
        .Set("snr", s.snr).Set("snr2", s.snr2).Set("status", s.status);
    out.Push(std::move(sat));
  }
  return out;
}

Value Observations(Em_Gnss& gnss, em_obs_t& obs) {
  std::memset(&obs, 0, sizeof(obs));
  gnss.Get_Gnss_Obs_t(&obs);
  const std::uint32_t n = obs.n < kObsRecordsPerQuery ? obs.n : kObsRecordsPerQuery;
  Value out = Value::Array();
  for (std::uint32_t i = 0; i < n; ++i) {
    const em_obsd_t& o = obs.data[i];
    Value record = Value::Object();
    record.Set("sat", static_cast<unsigned>(o.sat))
        .Set("time", static_cast<long long>(o.time))
        .Set("sec", o.sec)
        .Set("snr", PairOf(o.snr[0], o.snr[1]))
        .Set("lli", PairOf(o.lli[0], o.lli[1]))
        .Set("code", PairOf(o.code[0], o.code[1]))
        .Set("l", PairOf(o.l[0], o.l[1]))
        .Set("p", PairOf(o.p[0], o.p[1]))
        .Set("d", PairOf(o.d[0], o.d[1]));
    out.Push(std::move(record));
  }
  return out;
}

Value Ephemeris(Em_Gnss& gnss) {
  // Zeroed first: the query writes nothing for satellites it does not serve.
  unsigned int system = 0;
  em_eph_t e;
  std::memset(&e, 0, sizeof(e));
  gnss.Get_Gnss_Ephemeris(&system, &e);
  Value out = Value::Object();
  out.Set("system", system).Set("sat", e.sat).Set("iode", e.iode).Set("iodc", e.iodc).Set("week", e.week)
      .Set("toes", e.toes).Set("A", e.A).Set("e", e.e).Set("i0", e.i0).Set("OMG0", e.OMG0).Set("omg", e.omg)
      .Set("M0", e.M0).Set("deln", e.deln).Set("OMGd", e.OMGd).Set("idot", e.idot).Set("crc", e.crc)
      .Set("crs", e.crs).Set("cuc", e.cuc).Set("cus", e.cus).Set("cic", e.cic).Set("cis", e.cis)
      .Set("f0", e.f0).Set("f1", e.f1).Set("f2", e.f2).Set("tgd", e.tgd[0]);
  return out;
}

}  // namespace

Value DecodeRecord(Em_Gnss& gnss, Msg_Type kind, std::uint32_t flags, em_obs_t& obs) {
  Value record = Value::Object();
  record.Set("kind", static_cast<int>(kind)).Set("flags", flags);
  if (kind != MSG_GNSS && kind != MSG_NV_NMEA) return record;
  if (flags & Flag::kAnyPosition) record.Set("pos", Position(gnss));
  if (flags & Flag::kDop) record.Set("dop", Dop(gnss));
  static constexpr struct {
    std::uint32_t flag;
    int system;
    const char* key;
  } kSystems[] = {{Flag::kSatsSystem1, 1, "1"},
                  {Flag::kSatsSystem2, 2, "2"},
                  {Flag::kSatsSystem3, 3, "3"},
                  {Flag::kSatsSystem4, 4, "4"}};
  if (flags & (Flag::kSatsSystem1 | Flag::kSatsSystem2 | Flag::kSatsSystem3 | Flag::kSatsSystem4)) {
    Value sats = Value::Object();
    for (const auto& s : kSystems)
      if (flags & s.flag) sats.Set(s.key, Satellites(gnss, s.system));
    record.Set("sats", std::move(sats));
  }
  if (flags & Flag::kObservations) record.Set("obs", Observations(gnss, obs));
  if (flags & Flag::kEphemeris) record.Set("eph", Ephemeris(gnss));
  if (flags & Flag::kElevMask) record.Set("elev_mask", gnss.Get_Gnss_ElevMask());
  if (flags & Flag::kBase) {
    BASEINFO base = {};
    gnss.Get_Gnss_Baseinfo(base);
    record.Set("base", Value::Array().Push(base.x).Push(base.y).Push(base.z));
  }
  return record;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
