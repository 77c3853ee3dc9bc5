// The help texts of the office subcommands, rinex and report.
#include "tools/commands.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

const char kRinex[] =
    "usage: ksgnss rinex [--manufacturer N] [--board N] [--rtcm [--week N]] [-o BASENAME]\n"
    "                    [--marker NAME] [--baud N] [FILE|-|DEVICE]\n"
    "\n"
    "Decodes the input exactly as decode does and writes the raw observations as a\n"
    "RINEX 3.04 observation file, BASENAME.obs, and the GPS broadcast ephemerides as\n"
    "a RINEX 3.04 navigation file, BASENAME.nav (one record per distinct ephemeris).\n"
    "BASENAME defaults to FILE without its extension (\"ksgnss\" for standard input).\n"
    "Observations come from NovAtel RANGECMP and RANGE (--board 2, the default) and\n"
    "from the software receiver (--manufacturer 2 --board 3).\n"
    "\n"
    "options:\n"
    "  --manufacturer N, --board N   the receiver, as for decode (defaults 1 and 2)\n"
    "  --rtcm          read an RTCM 3 stream: message 1004 observations, the station\n"
    "                  position from 1005/1006\n"
    "  --week N        GPS week of the first RTCM 3 epoch (1004 carries only the time\n"
    "                  of week); default: the current week from the system clock\n"
    "  -o BASENAME     the output files' name without extension (also --output)\n"
    "  --marker NAME   MARKER NAME of the observation header (default UNKNOWN)\n"
    "  --baud N        serial speed for a device (default 115200)\n"
    "\n"
    "Fails (status 1) when the input holds no observations or a file cannot be\n"
    "written. On a terminal a progress line is shown on standard error.\n";

const char kReport[] =
    "usage: ksgnss report [--manufacturer N] [--board N] [--parse-nmea] [--timezone N]\n"
    "                     [-o FILE.html] FILE\n"
    "\n"
    "Decodes the recording exactly as decode does (same options and defaults) and\n"
    "writes one self-contained HTML page (inline SVG and CSS, no script, readable\n"
    "offline; default report.html, - for standard output) with:\n"
    "  - a summary table: bytes read, messages decoded, frames with a wrong check\n"
    "    value and bytes outside well-formed NMEA, NovAtel and RTCM 3 frames, span,\n"
    "    position epochs, fixes by solution type, gaps, satellites by system;\n"
    "  - a sky plot of every satellite seen at its last reported azimuth and\n"
    "    elevation, coloured by system, shaded by signal strength;\n"
    "  - the track in east/north metres around the mean position, coloured by\n"
    "    solution type;\n"
    "  - time series of satellites used, solution code, DOP and precision.\n"
    "Fails (status 1) when nothing at all is decoded or the page cannot be written.\n";

}  // namespace

const char* RinexHelp() { return kRinex; }
const char* ReportHelp() { return kReport; }

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
