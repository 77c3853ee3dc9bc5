// The record that logs a kinematic point in the receiver's file: the same
// bytes travel in legacy FY frames and in the newer receivers' file command.
//
//   01 0B F4, L, kind, point number (LE), four doubles (LE), kind body,
//   16-bit sum of every byte before it (LE)                    (L + 6 bytes)
#pragma once

#include <ksparse/survey_records.h>

namespace Kestrel {
namespace KsParse {
namespace Legacy {

enum class PointKind : unsigned char { kStart = 6, kEnd = 7, kAntenna = 12 };

// Longest record: a start point with a 32-byte name and a 10-byte text.
constexpr unsigned int kPointRecordMax = 87;
// The area the callers hand over (zeroed); every record fits it.
constexpr unsigned int kPointArea = 150;

// Fills `out` (kPointArea bytes) and returns the record length, or -1 when
// `info` or `out` is null. `info` points to the StartPointInfo, EndPointInfo
// or AntPointInfo that `kind` names. Name and text lengths beyond their
// fields are cut to the field.
int BuildPointRecord(PointKind kind, const void* info, unsigned char* out);

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
