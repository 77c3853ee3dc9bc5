// The GNSS group of the new-protocol decoder (items 0x0402..0x04FD):
// position, time, DOP, precision, satellites and base position into the
// shared navigation store, and the receiver's GNSS settings.
#include <cmath>
#include <cstring>

#include "newproto/newproto_board_data.h"
#include "newproto/newproto_wire.h"

namespace Kestrel {
namespace KsParse {

using NewProto::F32;
using NewProto::F64;
using NewProto::U16;
using NewProto::U32;

namespace {

constexpr unsigned kSatEntryBytes = 9;
constexpr unsigned kSatHeadBytes = 8;
constexpr unsigned kBaseEntryBytes = 24;
constexpr unsigned kBaseListHead = 10;

}  // namespace

void NewProtoBoardData::StorePosition(const unsigned char* p) {
  latitude = F64(p);
  longitude = F64(p + 8);
  height = F64(p + 16);
  solution_code = U32(p + 24);
}

void NewProtoBoardData::StoreTime(const unsigned char* p) {
  week = static_cast<std::uint16_t>(U32(p));
  week_seconds = U32(p + 4);
  SetCalendarFromGps(week, week_seconds);
}

void NewProtoBoardData::StorePrecision(const unsigned char* p) {
  sigma_horizontal = F64(p);
  sigma_vertical = F64(p + 8);
  rms = F64(p + 16);
}

bool NewProtoBoardData::StoreSatellites(const unsigned char* p, unsigned length) {
  const unsigned n = p[0] + p[1] + p[2] + p[3] + p[4];
  if (n == 0 || length != kSatEntryBytes * n + kSatHeadBytes) return false;
  sats_tracked = n;
  sats_in_solution = 0;
  for (SatTable& t : tables) t.count = 0;
  for (unsigned i = 0; i < n; ++i) {
    const unsigned char* e = p + kSatHeadBytes + kSatEntryBytes * i;
    if (e[8] != 0) ++sats_in_solution;
    const unsigned system = e[1];
    if (system > kTableFifth || tables[system].count >= SatTable::kCapacity) continue;
    SATLLITE_STR& s = tables[system].sats[tables[system].count++];
    s.prn = e[0];
    s.elevation = e[2];
    s.azimuth = U16(e + 3);
    s.snr = e[5];
    s.snr2 = e[6];
    // The record's third value slot holds the third signal byte, as a float.
    const float third = e[7];
    std::memcpy(&s.extra, &third, sizeof s.extra);
    s.status = e[8];
  }
  sat_system_count = 0;
  for (const SatTable& t : tables) sat_system_count += t.count > 0 ? 1 : 0;
  return true;
}

bool NewProtoBoardData::StoreBaseList(const unsigned char* p, unsigned length) {
  if (length < kBaseListHead) return false;
  const unsigned capacity = p[8];
  const unsigned n = p[9];
  if (length != kBaseListHead + kBaseEntryBytes * n || n > capacity) return false;
  base_list_value = 0;
  base_list_capacity = 0;
  base_list_count = 0;
  if (n == 0) return true;
  base_list_value = F64(p);
  base_list_capacity = static_cast<std::uint8_t>(capacity);
  base_list_count = static_cast<std::uint8_t>(n);
  for (unsigned i = 0; i < n; ++i) {
    const unsigned char* e = p + kBaseListHead + kBaseEntryBytes * i;
    base_list[i] = {F64(e), F64(e + 8), U32(e + 16), 0};
  }
  return true;
}

bool NewProtoBoardData::DecodeGnss(const unsigned char* p, unsigned id, unsigned length) {
  switch (id) {
    case 0x0405:
      if (length != 2) return false;
      diff_type = U16(p);
      return Took(0x1);
    case 0x0406:
    case 0x0407:
    case 0x0408:
    case 0x0409: {
      if (length < 5) return false;
      std::uint32_t n = U32(p);
      if (n > kDataBlockSize) n = kDataBlockSize;
      if (n > length - 4) n = length - 4;
      std::memcpy(data_block, p + 4, n);
      data_block[n] = 0;
      data_block_length = n;
      static constexpr std::uint32_t kBits[] = {0x10, 0x20, 0x10000, 0x20000};
      return Took(kBits[id - 0x0406]);
    }
    case 0x040A:
      if (length != 28) return false;
      StorePosition(p);
      return Took(0x40);
    case 0x040B:
      if (length != 8) return false;
      StoreTime(p);
      return Took(0x80);
    case 0x040C:
      if (length != 16) return false;
      pdop = F32(p);
      hdop = F32(p + 4);
      vdop = F32(p + 8);
      tdop = F32(p + 12);
      gdop = std::sqrt(pdop * pdop + tdop * tdop);
      return Took(0x400);
    case 0x040D:
      if (length < kSatHeadBytes || !StoreSatellites(p, length)) return false;
      return Took(0x800);
    case 0x040E:
      if (length != 24) return false;
      StorePrecision(p);
      return Took(0x100);
    case 0x040F:
      if (length != 24) return false;
      base_info = {F64(p), F64(p + 8), F64(p + 16)};
      return Took(0x1000);
    case 0x0410:
      if (length != 64) return false;
      StorePosition(p);
      StoreTime(p + 28);
      StorePrecision(p + 36);
      diff_age = U32(p + 60);
      return Took(0x200);
    case 0x0411: {
      if (length != 27) return false;
      ReceiverStatus& r = receiver_status;
      r.state = p[0];
      r.value1 = U32(p + 1);
      for (unsigned i = 0; i < 3; ++i) r.word[i] = U16(p + 5 + 2 * i);
      r.value2 = U32(p + 11);
      r.value3 = U32(p + 15);
      r.level[0] = F32(p + 19);
      r.level[1] = F32(p + 23);
      return Took(0x2000);
    }
    case 0x041B:
      if (length != 14) return false;
      magnetic.state = p[0];
      for (unsigned i = 0; i < 6; ++i) magnetic.value[i] = U16(p + 1 + 2 * i);
      magnetic.quality = p[13];
      return Took(0x4000);
    case 0x0450:
      if (length != 1) return false;
      pdop_mask = p[0];
      return Took(0x2);
    case 0x0451:
      if (length != 1) return false;
      elev_mask_reported = p[0];
      return Took(0x4);
    case 0x0452:
      if (length != 26) return false;
      base_set_mode = U16(p);
      base_info = {F64(p + 2), F64(p + 10), F64(p + 18)};
      return Took(0x8);
    case 0x0455:
      if (length != 20) return false;
      for (unsigned i = 0; i < 5; ++i) sat_enable.mask[i] = U32(p + 4 * i);
      return Took(0x8000);
    case 0x0456:
      if (length != 90) return false;
      data_config.count = U16(p);
      for (unsigned i = 0; i < 44; ++i) data_config.entry[i] = U16(p + 2 + 2 * i);
      return Took(0x40000);
    case 0x0457:
      if (!StoreBaseList(p, length)) return false;
      return Took(0x80000);
    default:
      return false;
  }
}

}  // namespace KsParse
}  // namespace Kestrel
