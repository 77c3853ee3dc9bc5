#include "tools/config_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "tools/options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

enum class Kind { kU8, kU32, kDouble, kDegrees, kText };

struct Field {
  const char* key;
  Kind kind;
  std::size_t offset;
  std::size_t size;  // bytes of the field (text: including room for the terminator)
};

#define KS_FIELD(record, key, kind, member) \
  Field { key, kind, offsetof(record, member), sizeof(record::member) }

const Field kBaseFields[] = {
    KS_FIELD(Base_Config, "station_id", Kind::kU32, station_id),
    KS_FIELD(Base_Config, "name", Kind::kText, name),
    KS_FIELD(Base_Config, "obs_interval", Kind::kU32, obs_interval_s),
    KS_FIELD(Base_Config, "port", Kind::kU32, port),
    KS_FIELD(Base_Config, "baud", Kind::kU32, baud),
    KS_FIELD(Base_Config, "diff_format", Kind::kU32, diff_format),
    KS_FIELD(Base_Config, "latitude", Kind::kDegrees, latitude),
    KS_FIELD(Base_Config, "longitude", Kind::kDegrees, longitude),
    KS_FIELD(Base_Config, "height", Kind::kDouble, height),
    KS_FIELD(Base_Config, "elev_mask", Kind::kU8, elev_mask),
    KS_FIELD(Base_Config, "aux_mask", Kind::kU8, aux_mask),
    KS_FIELD(Base_Config, "output_route", Kind::kU32, output_route),
};

const Field kRoverFields[] = {
    KS_FIELD(Rover_Config, "elev_mask", Kind::kU8, elev_mask),
    KS_FIELD(Rover_Config, "aux_mask", Kind::kU8, aux_mask),
    KS_FIELD(Rover_Config, "ref_station", Kind::kText, ref_station),
    KS_FIELD(Rover_Config, "reserved", Kind::kU32, reserved),
    KS_FIELD(Rover_Config, "diff_format", Kind::kU32, diff_format),
    KS_FIELD(Rover_Config, "port", Kind::kU32, port),
    KS_FIELD(Rover_Config, "baud", Kind::kU32, baud),
    KS_FIELD(Rover_Config, "iono", Kind::kU32, iono),
    KS_FIELD(Rover_Config, "diff_source", Kind::kU32, diff_source),
};

#undef KS_FIELD

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Fields of a packed record are written through memcpy: they may lie at
// any offset.
template <typename T>
void Store(unsigned char* at, T value) {
  std::memcpy(at, &value, sizeof(value));
}

// Writes one value into the packed record at the field's offset.
void Apply(unsigned char* record, const Field& field, const std::string& value, const std::string& where) {
  unsigned char* at = record + field.offset;
  switch (field.kind) {
    case Kind::kU8:
      Store(at, static_cast<std::uint8_t>(ParseInteger(value, where, 0, 255)));
      break;
    case Kind::kU32:
      Store(at, static_cast<std::uint32_t>(ParseInteger(value, where, 0, 0xFFFFFFFFll)));
      break;
    case Kind::kDouble:
      Store(at, ParseNumber(value, where, -1e7, 1e7));
      break;
    case Kind::kDegrees:
      Store(at, ParseNumber(value, where, -360.0, 360.0) * kRadiansPerDegree);
      break;
    case Kind::kText:
      if (value.size() >= field.size)
        throw UsageError(where + ": at most " + std::to_string(field.size - 1) + " characters");
      std::memset(at, 0, field.size);
      std::memcpy(at, value.data(), value.size());
      break;
  }
}

template <typename Record, std::size_t N>
Record Read(const std::string& path, const Field (&fields)[N]) {
  std::ifstream file(path);
  if (!file) throw RunError("cannot open '" + path + "'");
  Record record;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    const std::string where = path + ":" + std::to_string(number);
    const std::string text = Trim(line.substr(0, line.find('#')));
    if (text.empty()) continue;
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) throw UsageError(where + ": expected key = value");
    const std::string key = Trim(text.substr(0, eq));
    const Field* field = nullptr;
    for (const Field& f : fields)
      if (key == f.key) field = &f;
    if (field == nullptr) throw UsageError(where + ": unknown key '" + key + "'");
    Apply(reinterpret_cast<unsigned char*>(&record), *field, Trim(text.substr(eq + 1)), where + " " + key);
  }
  return record;
}

}  // namespace

Base_Config ReadBaseConfig(const std::string& path) { return Read<Base_Config>(path, kBaseFields); }

Rover_Config ReadRoverConfig(const std::string& path) { return Read<Rover_Config>(path, kRoverFields); }

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
