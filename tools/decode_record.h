// The output record of one decode callback: message kind and change flags,
// and for each flag the query result that it announces.
#pragma once

#include <cstdint>

#include <ksparse/ksparse.h>

#include "tools/json_writer.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

// Change flags and the keys they add to a record.
namespace Flag {
constexpr std::uint32_t kPosition = 0x10000000;       // "pos"
constexpr std::uint32_t kPositionRaw = 0x20000000;    // "pos"
constexpr std::uint32_t kPositionNmea = 0x00020000;   // "pos"
constexpr std::uint32_t kGga = 0x00001000;            // "pos"
constexpr std::uint32_t kDop = 0x80000000;            // "dop"
constexpr std::uint32_t kSatsSystem1 = 0x08000000;    // "sats" "1"
constexpr std::uint32_t kSatsSystem2 = 0x00100000;    // "sats" "2"
constexpr std::uint32_t kSatsSystem3 = 0x00200000;    // "sats" "3"
constexpr std::uint32_t kSatsSystem4 = 0x00400000;    // "sats" "4"
constexpr std::uint32_t kObservations = 0x00040000;   // "obs"
constexpr std::uint32_t kEphemeris = 0x00080000;      // "eph"
constexpr std::uint32_t kElevMask = 0x04000000;       // "elev_mask"
constexpr std::uint32_t kBase = 0x02000000;           // "base"
constexpr std::uint32_t kAnyPosition = kPosition | kPositionRaw | kPositionNmea | kGga;
}  // namespace Flag

// Builds the record for a callback with `kind` and `flags`, reading the
// receiver's queries. Only kinds 1 and 7 carry the board's change flags;
// the values of the other kinds are bits of their own records, so their
// records hold just kind and flags. `obs` is scratch room for the observation query (too
// large for the stack of a callback).
Value DecodeRecord(Em_Gnss& gnss, Msg_Type kind, std::uint32_t flags, em_obs_t& obs);
// The same record written straight as JSON.
void WriteDecodeRecord(JsonWriter& writer, Em_Gnss& gnss, Msg_Type kind, std::uint32_t flags, em_obs_t& obs);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
