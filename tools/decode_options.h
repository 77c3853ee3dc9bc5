// The receiver choice and decoder settings shared by the subcommands that
// decode a recording (decode, rinex, report).
#pragma once

#include "tools/decode_session.h"
#include "tools/options.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

// --manufacturer (default 1), --board (default `default_board`),
// --parse-nmea and --timezone, each where the subcommand knows it.
DecodeSettings DecodeSettingsOf(const ParsedArgs& parsed, int default_board);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
