// SI device information: a 128-byte record sent in several SI frames. It
// fills `device_info`, sets the radio kind and names the main board, which
// the engine then switches to by itself.
#include <cstring>

#include "engines/legacy_engine.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kRecordSize = 128;
constexpr std::uint32_t kDeviceInfoFlag = 0x80000000;

struct Model {
  char code[5];
  MAINBD_OEM_TYPE board;
  std::uint32_t generation;  // 0: unchanged
};

// Searched in this order; the first code found decides.
constexpr Model kModels[] = {
    {"KT1A", OEM_TRIMBLE, 1},       {"KT1B", OEM_TRIMBLE, 1},  {"KT1C", OEM_TRIMBLE, 1},
    {"KT1D", OEM_TRIMBLE, 1},       {"KT1E", OEM_TRIMBLE, 1},  {"KT2A", OEM_TRIMBLE, 2},
    {"KT2B", OEM_TRIMBLE, 2},       {"KS3A", OEM_SOFT_RECEIVER, 0}, {"KN4A", OEM_NOVATEL, 2},
    {"KN4B", OEM_NOVATEL, 2},       {"KN4C", OEM_NOVATEL, 2},  {"KN4D", OEM_NOVATEL, 2},
    {"KH5A", OEM_HEMISPHERE, 0},    {"KH5B", OEM_HEMISPHERE, 0},
};

// Whether `code` occurs in the text of the record's first five bytes (the
// text ends at the first NUL).
bool ModelTextHolds(const unsigned char* record, const char* code) {
  const void* nul = std::memchr(record, 0, 5);
  const std::size_t text = nul != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - record) : 5;
  for (std::size_t at = 0; at + 4 <= text; ++at) {
    if (std::memcmp(record + at, code, 4) == 0) return true;
  }
  return false;
}

// Copies the record's bytes into the exported record, zeroed first apart
// from the detected board.
void FillDeviceInfo(const unsigned char* r, DEVICE_STR& d) {
  const std::uint32_t board = d.detected_board;
  d = DEVICE_STR{};
  d.detected_board = board;
  std::memcpy(d.rec5_10, r + 5, sizeof d.rec5_10);
  std::memcpy(&d.model, r, sizeof d.model);
  std::memcpy(d.rec12_21, r + 12, sizeof d.rec12_21);
  std::memcpy(d.rec32_39, r + 32, sizeof d.rec32_39);
  static constexpr unsigned char kRec40_50[] = {40, 42, 43, 44, 48, 49, 50};
  for (unsigned i = 0; i < sizeof kRec40_50; ++i) d.rec40_50[i] = r[kRec40_50[i]];
  d.rec58 = r[58];
  std::memcpy(&d.rec52_55, r + 52, sizeof d.rec52_55);
  d.rec56 = r[56];
  d.rec62_63[0] = r[62];
  d.rec62_63[1] = r[63];
  std::memcpy(d.rec112_121, r + 112, sizeof d.rec112_121);
  static constexpr unsigned char kRec92_124[] = {92, 93, 94, 96, 97, 98, 124};
  for (unsigned i = 0; i < sizeof kRec92_124; ++i) d.rec92_124[i] = r[kRec92_124[i]];
}

// Radio kind from record bytes 59 and 126.
std::int32_t RadioKindOf(const unsigned char* r) {
  switch (r[126]) {
    case 3: return 7;
    case 4: return 6;
    case 5: return 8;
    case 6: return 10;
    case 7: return 9;
    default: break;
  }
  return r[59] == 3 ? 4 : r[59] == 4 ? 5 : 3;
}

}  // namespace

void LegacyEngine::OnDeviceInfo(const unsigned char* p, unsigned n) {
  if (collector == nullptr) return;
  collector->Append(p, n);
  if (collector->length < kRecordSize) return;  // more SI frames follow
  if (collector->length > kRecordSize) {
    collector->Clear();
    return;
  }
  unsigned char r[kRecordSize];
  std::memcpy(r, collector->data, kRecordSize);
  collector->Clear();
  device_info_seen = 1;
  FillDeviceInfo(r, device_info);
  SetRadioKind(RadioKindOf(r));

  MAINBD_OEM_TYPE board = OEM_NONE;
  if (r[90] == 4) {
    board = OEM_HEMISPHERE2;
    board_generation = 2;
  } else {
    for (const Model& m : kModels) {
      if (!ModelTextHolds(r, m.code)) continue;
      board = m.board;
      if (m.generation != 0) board_generation = m.generation;
      break;
    }
  }
  if (board == OEM_NONE) return;
  if (static_cast<std::uint32_t>(board) != detected_board) {
    SelectBoard(board);
    detected_board = device_info.detected_board = static_cast<std::uint32_t>(board);
  }
  std::memset(device_info.text_a, 0, sizeof device_info.text_a);
  std::memset(device_info.text_b, 0, sizeof device_info.text_b);
  Report(MSG_DEVICE, kDeviceInfoFlag);
}

}  // namespace KsParse
}  // namespace Kestrel
