// Records of the GPRS modem built into the maker's older receivers.
//
// All records are packed and little-endian.
#pragma once

#include <cstddef>

namespace Kestrel {
namespace KsParse {

#pragma pack(push, 1)

// Caster credentials: three NUL-terminated texts.
struct cors_info {
  char mount_point[20];
  char user[50];
  char password[20];
};

#pragma pack(pop)

static_assert(sizeof(cors_info) == 90, "cors_info is 90 bytes");
static_assert(offsetof(cors_info, user) == 20, "cors_info.user at 20");
static_assert(offsetof(cors_info, password) == 70, "cors_info.password at 70");

}  // namespace KsParse
}  // namespace Kestrel
