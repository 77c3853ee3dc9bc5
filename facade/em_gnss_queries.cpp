// Em_Gnss: the navigation queries, which copy decoded data out of the board
// adapter's store into the caller's records.
#include <ksparse/em_gnss.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "engines/legacy_engine.h"
#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr int kDefaultTimeZone = 8;
constexpr unsigned int kStageRecords = 32;

BoardDecoder* DecoderOf(ProtocolEngine* engine) {
  return engine != nullptr ? engine->Decoder() : nullptr;
}

// The time words of POS_INFO (year .. second) are laid out as Time_Str.
static_assert(offsetof(POS_INFO, second) - offsetof(POS_INFO, year) ==
                  offsetof(Time_Str, second) - offsetof(Time_Str, year) &&
                  offsetof(POS_INFO, status_word) - offsetof(POS_INFO, year) == sizeof(Time_Str),
              "POS_INFO time words");

Time_Str TimeOf(const BoardDecoder& d) {
  Time_Str t;
  t.year = static_cast<std::int32_t>(d.year);
  t.month = static_cast<std::int32_t>(d.month);
  t.day = static_cast<std::int32_t>(d.day);
  t.hour = static_cast<std::int32_t>(d.hour);
  t.minute = static_cast<std::int32_t>(d.minute);
  t.second = d.second;
  return t;
}

}  // namespace

void Em_Gnss::Get_Gnss_Pos(POS_INFO* pos) {
  if (pos == nullptr) return;
  ProtocolEngine* e = engine;
  pos->latitude = e != nullptr ? e->Latitude() : 0.0;
  pos->longitude = e != nullptr ? e->Longitude() : 0.0;
  pos->height = e != nullptr ? e->Height() : 0.0;
  pos->solution = e != nullptr ? e->SolutionCode() : 0;
  pos->diff_age = e != nullptr ? e->DiffAge() : -1.0;
  if (const BoardDecoder* d = DecoderOf(e)) {
    const Time_Str t = TimeOf(*d);
    std::memcpy(&pos->year, &t, sizeof(t));
    pos->status_word = d->status_word;
    pos->extra_word = d->extra_word;
  }
  pos->hprec = e != nullptr ? e->HorizontalPrecision() : 0.0;
  pos->vprec = e != nullptr ? e->VerticalPrecision() : 0.0;
  pos->rms = e != nullptr ? e->RangeRms() : 0.0;
}

void Em_Gnss::Get_Gnss_Time(Time_Str* time) {
  const BoardDecoder* d = DecoderOf(engine);
  if (time == nullptr || d == nullptr) return;
  *time = TimeOf(*d);
}

void Em_Gnss::Get_Gnss_SatInfo(int system, unsigned int* count, SATLLITE_STR* out) {
  std::memset(static_cast<void*>(sat_stage), 0x30, sizeof(sat_stage));
  if (count == nullptr) return;
  if (system < 1 || system > 5) {
    *count = 0;
    return;
  }
  const BoardDecoder* d = DecoderOf(engine);
  if (d == nullptr) {
    *count = 0;
    return;
  }
  const SatTable& table = d->tables[system - 1];
  *count = table.count;
  if (table.count > kStageRecords) {
    *count = 0;
    return;
  }
  std::memcpy(static_cast<void*>(sat_stage), table.sats, table.count * sizeof(SATLLITE_STR));
  if (out != nullptr)
    std::memcpy(static_cast<void*>(out), sat_stage, table.count * sizeof(SATLLITE_STR));
}

void Em_Gnss::Get_Gnss_SatUse(int system, SAT_USE* use) {
  BoardDecoder* d = DecoderOf(engine);
  if (system != 0 || d == nullptr || use == nullptr) return;
  if (d->sats_tracked < d->sats_in_solution) d->sats_tracked = d->sats_in_solution;
  use->first = d->sats_tracked;
  use->second = d->sats_in_solution;
}

void Em_Gnss::Get_Gnss_SatTypeNum(int& count) {
  if (const BoardDecoder* d = DecoderOf(engine)) count = d->sat_system_count;
}

unsigned long Em_Gnss::GetInfo_Gnss_Solutions() {
  const BoardDecoder* d = DecoderOf(engine);
  return d != nullptr ? d->solutions : 0;
}

void Em_Gnss::Get_Gnss_Dops(Dops* dops) {
  if (dops == nullptr || engine == nullptr) return;
  dops->pdop = engine->Pdop();
  dops->hdop = engine->Hdop();
  dops->vdop = engine->Vdop();
  dops->tdop = engine->Tdop();
  dops->gdop = engine->Gdop();
}

void Em_Gnss::Get_Gnss_Precision(Precisions* precision) {
  if (precision == nullptr || engine == nullptr) return;
  precision->hprec = engine->HorizontalPrecision();
  precision->vprec = engine->VerticalPrecision();
  precision->rms = engine->RangeRms();
}

void Em_Gnss::Get_Gnss_Gprmc(double& speed_knots, double& course_radians) {
  if (engine == nullptr) return;
  speed_knots = engine->SpeedKnots();
  course_radians = engine->CourseRadians();
}

void Em_Gnss::Get_Gnss_Gpgga(unsigned char* buf, unsigned int* len) {
  if (engine == nullptr || buf == nullptr || len == nullptr) return;
  if (IsNorvikNewProtocolReceiver()) {
    const BoardDecoder* d = DecoderOf(engine);
    if (d == nullptr) return;
    const unsigned int n = d->text_reply_length <= BoardDecoder::kTextReplySize
                               ? d->text_reply_length
                               : BoardDecoder::kTextReplySize;
    std::memcpy(buf, d->text_reply, n);
    *len = n;
    return;
  }
  engine->LastGga(buf, len);
}

void Em_Gnss::Get_Gnss_Baseinfo(BASEINFO& base) {
  if (engine != nullptr) engine->BaseInfo(base);
}

void Em_Gnss::Set_TimeZone(int zone) {
  // Without a board adapter there is nowhere to keep the zone: ignored.
  BoardDecoder* d = DecoderOf(engine);
  if (d == nullptr) return;
  d->time_zone = static_cast<unsigned int>(zone) <= 24u ? zone : kDefaultTimeZone;
}

int Em_Gnss::Get_TimeZone() {
  // Without a board adapter the default zone is reported.
  const BoardDecoder* d = DecoderOf(engine);
  return d != nullptr ? d->time_zone : kDefaultTimeZone;
}

void Em_Gnss::Get_Gnss_Ephemeris(unsigned int* system, em_eph_t* eph) {
  const BoardDecoder* d = DecoderOf(engine);
  if (d == nullptr || eph == nullptr) return;
  const std::int32_t sat = d->last_eph_sat;
  if (sat >= 221) return;
  const bool gps = sat >= 1 && sat <= 32;
  const bool beidou = sat >= 161 && sat <= 196;
  if (!gps && !beidou) return;
  if (system != nullptr) *system = gps ? 1 : 4;
  *eph = d->eph[sat - 1];
}

void Em_Gnss::Get_Gnss_Obs_t(em_obs_t* obs) {
  if (obs == nullptr) return;
  const BoardDecoder* d = DecoderOf(engine);
  // The count is bounded by both the decoder's work area and the caller's
  // record, whatever the decoder holds.
  std::uint32_t n = d != nullptr ? d->obs_count : 0;
  if (n > BoardDecoder::kObsCapacity) n = BoardDecoder::kObsCapacity;
  if (n > kObsRecordsPerQuery) n = kObsRecordsPerQuery;
  obs->n = n;
  std::memset(static_cast<void*>(obs->data), 0, sizeof(obs->data));
  if (n != 0) std::memcpy(static_cast<void*>(obs->data), d->obs, n * sizeof(em_obsd_t));
}

void Em_Gnss::Get_Gnss_Trsinfo(TRSMT_INFO& info) {
  if (const BoardDecoder* d = DecoderOf(engine)) info = d->trsmt_info;
}

void Em_Gnss::Get_FirmWare_Db(unsigned long key, FIRMWARE_DEBUG& record) {
  LegacyEngine* legacy = OlderReceiver();
  if (legacy == nullptr || key != 256) return;
  if (legacy->firmware_debug_present) {
    record = legacy->firmware_debug;
  } else {
    std::memset(&record, 0, sizeof(record));
  }
  legacy->firmware_debug = FIRMWARE_DEBUG{};
  legacy->firmware_debug_present = false;
}

unsigned int Em_Gnss::Get_Gnss_ElevMask() {
  return engine != nullptr && engine->adapter != nullptr ? engine->adapter->ReportedElevMask() : 0;
}

unsigned int Em_Gnss::GetInfo_Gnss_ElevMask() { return Get_Gnss_ElevMask(); }

void Em_Gnss::Gnss_Logger_Md(unsigned long value) {
  static unsigned long ephemeris_count = 0;
  char line[128];
  if (value & 0x10000000ul) {
    POS_INFO pos = {};
    Get_Gnss_Pos(&pos);
    // "Position information:" in the GB2312 character set.
    std::snprintf(line, sizeof(line), "\xCE\xBB\xD6\xC3\xD0\xC5\xCF\xA2\xA3\xBA%d-%d-%d %2d:%d:%d",
                  pos.year, pos.month, pos.day, pos.hour, pos.minute, static_cast<int>(pos.second));
  }
  if (value & 0x04000000ul) {
    // "Elevation cutoff angle:" in GB2312.
    std::printf("\xB8\xDF\xB6\xC8\xBD\xD8\xD6\xB9\xBD\xC7:%u\r\n", Get_Gnss_ElevMask());
  }
  if (value & 0x80000000ul) {
    Dops dops = {};
    Get_Gnss_Dops(&dops);
  }
  if (value & 0x00040000ul) {
    static em_obs_t obs;
    Get_Gnss_Obs_t(&obs);
    // "Observation data:" in GB2312.
    std::snprintf(line, sizeof(line), "\xB9\xDB\xB2\xE2\xCA\xFD\xBE\xDD\xA3\xBA%d",
                  static_cast<int>(obs.n));
  }
  if (value & 0x00080000ul) ++ephemeris_count;
  if (value & (0x08000000ul | 0x00100000ul)) {
    unsigned int count = 0;
    SATLLITE_STR sats[32];
    Get_Gnss_SatInfo(1, &count, sats);
    Get_Gnss_SatInfo(2, &count, sats);
  }
}

}  // namespace KsParse
}  // namespace Kestrel
