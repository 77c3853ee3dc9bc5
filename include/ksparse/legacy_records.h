// Records that the maker's legacy-protocol receivers report and the
// application reads back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrel {
namespace KsParse {

#pragma pack(push, 1)

// The receiver's device information (GetInfo_DevcInfo). The receiver sends a
// 128-byte record; the fields below are copies of its bytes, named by the
// record bytes they come from. Gaps hold zeros.
struct DEVICE_STR {
  unsigned char rec5_10[6];      // record bytes 5-10
  unsigned char text_a[16];      // cleared
  std::uint32_t model;           // record bytes 0-3: the model code characters
  unsigned char text_b[18];      // cleared
  unsigned char rec12_21[10];    // record bytes 12-21
  unsigned char reserved_54[12];
  unsigned char rec32_39[8];     // record bytes 32-39
  // Record bytes 40, 42, 43, 44, 48, 49, 50; entry kObsIntervalIndex (record
  // byte 49) is the observation-interval code of the main board.
  unsigned char rec40_50[7];
  unsigned char rec58;           // record byte 58
  std::uint32_t rec52_55;        // record bytes 52-55
  unsigned char reserved_86;
  unsigned char rec56;           // record byte 56
  unsigned char rec62_63[2];     // record bytes 62, 63
  unsigned char rec112_121[10];  // record bytes 112-121
  unsigned char reserved_100[7];
  unsigned char rec92_124[7];    // record bytes 92, 93, 94, 96, 97, 98, 124
  // The main board detected from the record (a MAINBD_OEM_TYPE value, 0
  // while none).
  std::uint32_t detected_board;

  static constexpr unsigned kObsIntervalIndex = 5;
};

#pragma pack(pop)

static_assert(sizeof(DEVICE_STR) == 118, "DEVICE_STR is 118 bytes");
static_assert(offsetof(DEVICE_STR, rec5_10) == 0 && offsetof(DEVICE_STR, text_a) == 6 &&
                  offsetof(DEVICE_STR, model) == 22 && offsetof(DEVICE_STR, text_b) == 26 &&
                  offsetof(DEVICE_STR, rec12_21) == 44 && offsetof(DEVICE_STR, reserved_54) == 54 &&
                  offsetof(DEVICE_STR, rec32_39) == 66 && offsetof(DEVICE_STR, rec40_50) == 74 &&
                  offsetof(DEVICE_STR, rec58) == 81 && offsetof(DEVICE_STR, rec52_55) == 82 &&
                  offsetof(DEVICE_STR, reserved_86) == 86 && offsetof(DEVICE_STR, rec56) == 87 &&
                  offsetof(DEVICE_STR, rec62_63) == 88 && offsetof(DEVICE_STR, rec112_121) == 90 &&
                  offsetof(DEVICE_STR, reserved_100) == 100 && offsetof(DEVICE_STR, rec92_124) == 107 &&
                  offsetof(DEVICE_STR, detected_board) == 114,
              "DEVICE_STR field offsets");
static_assert(offsetof(DEVICE_STR, rec40_50) + DEVICE_STR::kObsIntervalIndex == 79,
              "observation-interval code at offset 79");

}  // namespace KsParse
}  // namespace Kestrel
