#include "boards/board_decoder.h"

#include <cstring>
#include <new>

#include "boards/gnss_utils.h"

namespace Kestrel {
namespace KsParse {

BoardDecoder::BoardDecoder() : diff(new (std::nothrow) DiffStream()) {
  std::memset(static_cast<void*>(eph), 0, sizeof(eph));
  for (em_eph_t& e : eph) e.iode = e.iodc = -1;
  std::memset(static_cast<void*>(glo_eph), 0, sizeof(glo_eph));
  for (GloEphemeris& e : glo_eph) e.iode = -1;
  std::memset(static_cast<void*>(sbas_eph), 0, sizeof(sbas_eph));
}

BoardDecoder::~BoardDecoder() {
  delete diff;
  diff = nullptr;
}

void BoardDecoder::SetSolutionCode(const char* field) {
  if (field == nullptr || field[0] == '\0') return;
  switch (field[0]) {
    case '0': solution_code = 3; break;
    case '1': solution_code = 4; break;
    case '2': solution_code = 10; break;
    case '3':
    case '4': solution_code = 11; break;
    case '5': solution_code = 6; break;
    case '7': solution_code = 1; break;
    case '9': solution_code = 7; break;
    default: solution_code = 0; break;
  }
}

bool BoardDecoder::HandleDiff(std::uint8_t kind, unsigned int id, const unsigned char* data,
                              unsigned int length) {
  if (data == nullptr || length < 1 || diff == nullptr) return false;
  msg_flags = 0;
  const bool known = diff->Hand(static_cast<DiffStream::Kind>(kind), id, data, length);
  if (known) msg_flags |= MsgBit::kDiffData;
  return known;
}

bool BoardDecoder::HandleRtcm3(unsigned int id, const unsigned char* data, unsigned int length) {
  return HandleDiff(DiffStream::kRtcm3, id, data, length);
}

bool BoardDecoder::HandleCmr(unsigned int id, const unsigned char* data, unsigned int length) {
  return HandleDiff(DiffStream::kCmr, id, data, length);
}

bool BoardDecoder::StoreEphemeris(const em_eph_t& e) {
  if (e.sat < 1 || e.sat > static_cast<int>(kEphemerisCount)) return false;
  em_eph_t& slot = eph[e.sat - 1];
  if (slot.sat == e.sat && slot.iode == e.iode) return false;
  slot = e;
  return true;
}

void BoardDecoder::SetCalendarFromGps(std::uint32_t gps_week, double seconds) {
  const Gnss::Calendar cal = Gnss::WeekToCalendar(gps_week, seconds);
  year = static_cast<std::uint32_t>(cal.year);
  month = static_cast<std::uint32_t>(cal.month);
  day = static_cast<std::uint32_t>(cal.day);
  hour = static_cast<std::uint32_t>(cal.hour + time_zone);
  minute = static_cast<std::uint32_t>(cal.minute);
  second = cal.second;
}

}  // namespace KsParse
}  // namespace Kestrel
