#include "tools/decode_options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

DecodeSettings DecodeSettingsOf(const ParsedArgs& parsed, int default_board) {
  DecodeSettings settings;
  settings.manufacturer = static_cast<int>(parsed.Integer("manufacturer", 1, 0, 255));
  settings.board = static_cast<int>(parsed.Integer("board", default_board, 0, 255));
  settings.parse_nmea = parsed.Has("parse-nmea");
  settings.set_time_zone = parsed.Has("timezone");
  settings.time_zone = static_cast<int>(parsed.Integer("timezone", 0, -48, 48));
  return settings;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
