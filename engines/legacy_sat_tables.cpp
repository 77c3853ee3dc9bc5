// RH satellite tables. A table arrives in 55-byte pieces (a shorter piece
// ends it) and is one of four types: a signal table that adds signal
// strengths to the board's own satellite lists, a use table with its signal
// updates, and two complete tables (satellite and combined) that replace the
// board decoder's four lists.
#include <cstring>

#include "boards/gnss_utils.h"
#include "boards/novatel/novatel_wire.h"  // little-endian field readers
#include "engines/legacy_engine.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr unsigned kPiece = 55;
constexpr unsigned kCollectLimit = 330 - kPiece;
constexpr unsigned kMaxEntries = 64;
constexpr std::uint32_t kListFlags[4] = {MsgBit::kGpsSats, MsgBit::kGlonassSats, MsgBit::kBeidouSats,
                                         MsgBit::kFourthSats};
constexpr std::uint32_t kCompleteTableFlags = 0x40000000 | 0x100;
constexpr int kNoList = -1;

bool In(unsigned v, unsigned low, unsigned high) { return v >= low && v <= high; }

// Lists of the signal and use tables: 1-32, then (33-64 or 38-61), then
// (161-190 or 161-197).
int SignalList(unsigned sat) {
  return In(sat, 1, 32) ? 0 : In(sat, 33, 64) ? 1 : In(sat, 161, 190) ? 2 : kNoList;
}
int UseList(unsigned sat) {
  return In(sat, 1, 32) ? 0 : In(sat, 38, 61) ? 1 : In(sat, 161, 197) ? 2 : kNoList;
}
// Lists of the complete tables; the satellite table also takes number 0.
int CompleteList(unsigned sat, bool combined) {
  if (In(sat, combined ? 1 : 0, 32)) return 0;
  if (combined ? In(sat, 38, 61) : In(sat, 33, 64)) return 1;
  if (In(sat, 161, 190)) return 2;
  if (In(sat, 120, 138)) return 3;
  return kNoList;
}

// The next free record of a list, zeroed; null when the list is full.
SATLLITE_STR* Append(SatTable& list) {
  if (list.count >= SatTable::kCapacity) return nullptr;
  SATLLITE_STR* s = &list.sats[list.count++];
  *s = SATLLITE_STR{};
  return s;
}

SATLLITE_STR* Find(SatTable& list, std::int32_t prn) {
  const std::uint32_t n = list.count < SatTable::kCapacity ? list.count : SatTable::kCapacity;
  for (std::uint32_t i = 0; i < n; ++i) {
    if (list.sats[i].prn == prn) return &list.sats[i];
  }
  return nullptr;
}

// Starts decoding a table of `length` bytes: the board decoder when the
// table holds all its entries (count at byte 0, `size` bytes each from byte
// `first`), with the first `reset` of the engine's lists emptied; else null.
BoardDecoder* StartTable(BoardDecoder* d, SatTable (&lists)[4], unsigned reset, const unsigned char* t,
                         unsigned length, unsigned first, unsigned size) {
  if (d == nullptr || first + t[0] * size > length) return nullptr;
  for (unsigned i = 0; i < reset; ++i) lists[i].count = 0;
  return d;
}

}  // namespace

void LegacyEngine::OnSatTables(const unsigned char* p, unsigned n) {
  if (collector == nullptr) return;
  if (collector->length > kCollectLimit) {
    collector->Clear();
    return;
  }
  if (n > kPiece) return;
  collector->Append(p, n);
  if (n == kPiece) return;  // more pieces follow
  const unsigned char* t = collector->data;
  const unsigned length = collector->length;
  std::uint32_t flags = 0;
  if (length >= 2 && t[0] <= kMaxEntries) {
    switch (t[1]) {
      case 0: flags = OnSignalTable(t, length); break;
      case 1: flags = OnSatelliteList(t, length, false); break;
      case 2:
        if (length >= 3 && t[2] == 1) flags = OnUseTable(t, length);
        if (length >= 3 && t[2] == 0) flags = OnSignalUpdate(t, length);
        break;
      case 3: flags = OnSatelliteList(t, length, true); break;
      default: break;
    }
  }
  collector->Clear();
  if (flags != 0) Report(MSG_GNSS, flags);
}

std::uint32_t LegacyEngine::OnSignalTable(const unsigned char* t, unsigned length) {
  const unsigned count = t[0];
  BoardDecoder* d = StartTable(Decoder(), sat_lists, 3, t, length, 2, 3);
  if (d == nullptr) return 0;
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* e = t + 2 + 3 * i;
    const int list = SignalList(e[0]);
    if (list == kNoList) continue;
    SatTable& a = sat_lists[list];
    const unsigned code = e[1] & 0x1F;
    if (code < 8) {
      // A first-frequency entry opens the satellite's record.
      SATLLITE_STR* s = Append(a);
      if (s == nullptr) continue;
      s->prn = e[0];
      s->snr = e[2];
      s->status = code | ((e[1] & 0x40) != 0 ? 1u << 30 : 0);
    } else if (a.count > 0 && a.sats[a.count - 1].prn == e[0]) {
      a.sats[a.count - 1].snr2 = e[2];
    }
  }

  // The board's own lists take the signal values where the board holds its
  // satellite group back for them; otherwise the lists only count as changed.
  struct Group {
    std::uint8_t hold;
    std::uint32_t& bits;
    std::uint32_t complete;
  };
  const Group groups[3] = {{d->gps_sat_hold, d->gps_sat_bits, 0x8},
                           {d->glo_sat_hold, d->glo_sat_bits, 0x10},
                           {d->bds_sat_hold, d->bds_sat_bits, 0x20}};
  std::uint32_t flags = 0;
  for (unsigned i = 0; i < 3; ++i) {
    if (sat_lists[i].count == 0) continue;
    const Group& g = groups[i];
    if (g.hold == 0) {
      flags |= kListFlags[i];
      continue;
    }
    if ((g.bits & g.complete) == 0) continue;
    SatTable& list = d->Table(i);
    const std::uint32_t n = list.count < SatTable::kCapacity ? list.count : SatTable::kCapacity;
    std::uint32_t kept = 0;
    for (std::uint32_t k = 0; k < n; ++k) {
      const SATLLITE_STR* mine = Find(sat_lists[i], list.sats[k].prn);
      if (mine == nullptr) continue;
      SATLLITE_STR s = list.sats[k];
      s.snr = mine->snr;
      s.snr2 = mine->snr2;
      s.status = mine->status;
      list.sats[kept++] = s;
    }
    list.count = kept;
    g.bits &= ~g.complete;
    flags |= kListFlags[i];
  }
  return flags;
}

std::uint32_t LegacyEngine::OnUseTable(const unsigned char* t, unsigned length) {
  const unsigned count = t[0];
  BoardDecoder* d = StartTable(Decoder(), sat_lists, 3, t, length, 3, 4);
  if (d == nullptr) return 0;
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* e = t + 3 + 4 * i;
    const int list = UseList(e[0]);
    SATLLITE_STR* s = list != kNoList ? Append(sat_lists[list]) : nullptr;
    if (s == nullptr) continue;
    const unsigned azimuth = NovAtel::U16(e + 2);
    s->prn = e[0];
    s->elevation = e[1];
    s->azimuth = static_cast<std::uint16_t>(azimuth & 0x7FFF);
    s->status = azimuth & 0x8000;
  }
  // Only the counts go over: the signal updates that follow bring the
  // records, and with them the report.
  for (unsigned i = 0; i < 3; ++i) d->Table(i).count = sat_lists[i].count;
  return 0;
}

std::uint32_t LegacyEngine::OnSignalUpdate(const unsigned char* t, unsigned length) {
  const unsigned count = t[0];
  BoardDecoder* d = StartTable(Decoder(), sat_lists, 0, t, length, 3, 3);
  if (d == nullptr) return 0;
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* e = t + 3 + 3 * i;
    const int list = UseList(e[0]);
    if (list == kNoList || d->Table(static_cast<unsigned>(list)).count == 0) continue;
    SATLLITE_STR* s = Find(sat_lists[list], e[0]);
    if (s == nullptr) continue;
    if (e[1] == 16) {
      s->snr = e[2];
    } else {
      s->snr2 = e[2];
    }
  }
  std::uint32_t flags = 0;
  for (unsigned i = 0; i < 3; ++i) {
    SatTable& list = d->Table(i);
    if (list.count == 0) continue;
    const std::uint32_t n = list.count < SatTable::kCapacity ? list.count : SatTable::kCapacity;
    std::memcpy(list.sats, sat_lists[i].sats, n * sizeof(SATLLITE_STR));
    flags |= kListFlags[i];
  }
  return flags;
}

std::uint32_t LegacyEngine::OnSatelliteList(const unsigned char* t, unsigned length, bool combined) {
  const unsigned count = t[0];
  const unsigned first = combined ? 12 : 10;
  const unsigned size = combined ? 7 : 8;
  BoardDecoder* d = StartTable(Decoder(), sat_lists, 4, t, length, first, size);
  if (d == nullptr) return 0;
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* e = t + first + size * i;
    const int list = CompleteList(e[0], combined);
    SATLLITE_STR* s = list != kNoList ? Append(sat_lists[list]) : nullptr;
    if (s == nullptr) continue;
    s->prn = e[0];
    s->elevation = e[1];
    if (combined) {
      // Whole dB-Hz; bit 15 of the azimuth word: used in the solution.
      const unsigned azimuth = NovAtel::U16(e + 2);
      s->azimuth = static_cast<std::uint16_t>(azimuth & 0x7FFF);
      s->snr = e[4];
      s->snr2 = e[5];
      s->status = azimuth & 0x8000;
    } else {
      // Quarter dB-Hz; a satellite with a signal counts as usable.
      s->azimuth = Gnss::ReadBe16U(e + 2);
      s->snr = e[4] * 0.25f;
      s->snr2 = e[5] * 0.25f;
      s->status = e[4] != 0 || e[5] != 0 ? 1 : 0;
    }
  }
  std::uint32_t total = 0;
  std::int32_t systems = 0;
  for (unsigned i = 0; i < 4; ++i) {
    d->Table(i) = sat_lists[i];
    total += sat_lists[i].count;
    if (sat_lists[i].count != 0) ++systems;
  }
  d->sats_tracked = total;
  d->sat_system_count = systems;
  return kListFlags[0] | kListFlags[1] | kListFlags[2] | kListFlags[3] | kCompleteTableFlags;
}

}  // namespace KsParse
}  // namespace Kestrel
