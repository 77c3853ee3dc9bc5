#include "tools/report_data.h"

#include <cstring>

#include "boards/gnss_utils.h"
#include "tools/decode_record.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr unsigned kListCapacity = 32;

// The system of a satellite from its list (1 GPS, 2 GLONASS, 3 and 4
// BeiDou or SBAS) and its number (SBAS 33-64 or 120-158, GLONASS 65-96 in
// NMEA numbering).
char SystemOf(int list, unsigned prn) {
  if (list == 2 || (prn >= 65 && prn <= 96 && list == 1)) return 'R';
  if ((prn >= 120 && prn <= 158) || (list == 1 && prn >= 33 && prn <= 64)) return 'S';
  return list == 1 ? 'G' : 'C';
}

}  // namespace

const char* SolutionName(unsigned code) {
  switch (code) {
    case 1: return "fixed position";
    case 2: return "fixed position, unverified";
    case 3: return "no fix";
    case 4: return "single";
    case 5: return "pseudorange differential";
    case 6: return "RTK float";
    case 7: return "SBAS";
    case 10: return "DGPS";
    case 11: return "RTK fixed";
    default: return "unknown";
  }
}

void ReportCollector::OnCallback(Em_Gnss& gnss, Msg_Type kind, unsigned int flags) {
  if (kind != MSG_GNSS && kind != MSG_NV_NMEA) return;
  static constexpr std::uint32_t kLists[4] = {Flag::kSatsSystem1, Flag::kSatsSystem2, Flag::kSatsSystem3,
                                              Flag::kSatsSystem4};
  for (int list = 1; list <= 4; ++list) {
    if ((flags & kLists[list - 1]) == 0) continue;
    SATLLITE_STR sats[kListCapacity];
    unsigned int count = 0;
    gnss.Get_Gnss_SatInfo(list, &count, sats);
    used_in_list_[list - 1] = 0;
    for (unsigned i = 0; i < count && i < kListCapacity; ++i) {
      const SATLLITE_STR& s = sats[i];
      // NMEA boards mark a usable satellite with 1, the binary boards a used
      // one with bit 15.
      if (s.status == 1 || (s.status & 0x8000u) != 0) ++used_in_list_[list - 1];
      // A satellite without a place in the sky (elevation and azimuth 0,
      // or out of range) is not drawn.
      if ((s.elevation == 0 && s.azimuth == 0) || s.elevation < 0 || s.elevation > 90 || s.azimuth >= 360 ||
          s.prn <= 0)
        continue;
      const unsigned prn = static_cast<unsigned>(s.prn);
      const char system = SystemOf(list, prn);
      satellites_[{system, prn}] =
          ReportSatellite{system, prn, double(s.azimuth), double(s.elevation), double(s.snr)};
    }
  }
  if (flags & Flag::kDop) {
    Dops dops = {};
    gnss.Get_Gnss_Dops(&dops);
    dop_[0] = dops.pdop, dop_[1] = dops.hdop, dop_[2] = dops.vdop;
  }
  if (flags & Flag::kAnyPosition) {
    POS_INFO pos = {};
    gnss.Get_Gnss_Pos(&pos);
    if (pos.latitude == 0.0 && pos.longitude == 0.0) return;
    SAT_USE use = {};
    gnss.Get_Gnss_SatUse(0, &use);
    const em_gtime_t t = Gnss::EpochToTime(pos.year, pos.month, pos.day, pos.hour, pos.minute, pos.second);
    // The board's count of satellites in the solution; boards that give
    // none (NMEA) are counted from their satellite lists.
    unsigned used = use.second;
    if (used == 0) used = used_in_list_[0] + used_in_list_[1] + used_in_list_[2] + used_in_list_[3];
    ReportEpoch e = {static_cast<double>(t.time) + t.sec, pos.latitude, pos.longitude, pos.height, pos.solution,
                     used, dop_[0], dop_[1], dop_[2], pos.hprec, pos.vprec};
    // A receiver with its own position messages often sends GGA besides,
    // stamped in UTC rather than GPS time: the two are kept apart and the
    // board's own positions drawn when there are any. A position reported
    // twice for one time is one epoch, the later report winning.
    std::vector<ReportEpoch>& list = (flags & Flag::kGga) ? nmea_epochs_ : board_epochs_;
    if (!list.empty() && list.back().time == e.time) {
      list.back() = e;
    } else {
      list.push_back(e);
    }
  }
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
