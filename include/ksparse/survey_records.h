// Argument records of the survey commands of the maker's receivers: static
// sessions, kinematic points, port speed. The receiver gives the fields their
// meaning; the library only carries them to it.
//
// All records are packed and little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrel {
namespace KsParse {

// Port speed of a receiver's serial port.
enum NV_COM_BAUD_ENUM : std::int32_t {
  NV_COM_BAUD_2400 = 1,
  NV_COM_BAUD_4800 = 2,
  NV_COM_BAUD_9600 = 3,
  NV_COM_BAUD_14400 = 4,
  NV_COM_BAUD_19200 = 5,
  NV_COM_BAUD_38400 = 6,
  NV_COM_BAUD_56000 = 7,
  NV_COM_BAUD_57600 = 8,
  NV_COM_BAUD_115200 = 9,
  NV_COM_BAUD_128000 = 10,
  NV_COM_BAUD_256000 = 11,
  NV_COM_BAUD_512000 = 12,
};

// A receiver's serial port; the legacy receivers have one command port, so
// only the newer receivers read it.
enum NV_COM_PORT_ENUM : std::int32_t {
  NV_COM_PORT_1 = 0,
  NV_COM_PORT_2 = 1,
  NV_COM_PORT_3 = 2,
};

#pragma pack(push, 1)

// A static-survey point: its name, a number, a byte and the kind code
// (2 and 4 are the two special kinds the receiver knows).
struct Static_Point {
  std::uint8_t name_length;  // at most 35
  char name[35];
  std::uint32_t value;
  std::uint8_t byte_value;
  std::uint32_t kind;
};

// The head common to the three kinematic point records.
struct PointInfoHead {
  std::uint32_t number;
  double values[4];
};

struct StartPointInfo {
  PointInfoHead head;
  std::uint8_t name_length;  // at most 32
  char name[32];
  std::uint8_t text_length;  // at most 10
  char text[10];
};

struct EndPointInfo {
  PointInfoHead head;
  std::uint32_t value;
};

struct AntPointInfo {
  PointInfoHead head;
  std::uint8_t name_length;
  char name[32];
  std::uint8_t text_length;
  char text[10];
  std::uint8_t byte_value;
  std::uint32_t value;
};

#pragma pack(pop)

static_assert(sizeof(Static_Point) == 45, "Static_Point is 45 bytes");
static_assert(sizeof(PointInfoHead) == 36, "point head is 36 bytes");
static_assert(sizeof(StartPointInfo) == 80, "StartPointInfo is the 80-byte head and texts area");
static_assert(sizeof(EndPointInfo) == 40, "EndPointInfo is 40 bytes");
static_assert(offsetof(AntPointInfo, byte_value) == 80, "AntPointInfo values follow the 80-byte area");
static_assert(sizeof(AntPointInfo) == 85, "AntPointInfo is 85 bytes");

}  // namespace KsParse
}  // namespace Kestrel
