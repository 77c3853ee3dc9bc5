// The texts of `ksgnss --help` and `ksgnss help SUBCOMMAND`.
#include <string>

#include "tools/commands.h"

namespace Kestrel {
namespace KsParse {
namespace Tool {

namespace {

const char kOverview[] =
    "usage: ksgnss SUBCOMMAND [OPTIONS] [ARGS]\n"
    "\n"
    "Talk to GNSS receivers through the ksparse library.\n"
    "\n"
    "subcommands:\n"
    "  decode   decode a recording, standard input or a serial port; one JSON line per message\n"
    "  rtcm     list and decode the RTCM 3 frames of a correction stream\n"
    "  cmd      print the command packets of one receiver operation\n"
    "  sim      write a synthetic receiver stream (nmea, novatel, rtcm)\n"
    "  rinex    write a recording's observations and ephemerides as RINEX 3.04\n"
    "  report   draw a recording on one HTML page: sky plot, track, time series\n"
    "  help     show the help of a subcommand: ksgnss help decode\n"
    "\n"
    "Errors are reported as one line on standard error; the exit status is 0 on\n"
    "success, 1 when an input or output fails, 2 for a mistake on the command line.\n";

const char kDecode[] =
    "usage: ksgnss decode [OPTIONS] [FILE|-|DEVICE]\n"
    "\n"
    "Feeds the input to one receiver object (Em_Gnss) in blocks and prints one JSON\n"
    "object per line for every message it reports. Without FILE, or with -, reads\n"
    "standard input. A serial device (a terminal character device) is opened raw,\n"
    "8N1, at --baud and read until it hangs up or Ctrl-C. A summary (bytes read,\n"
    "messages by kind) goes to standard error.\n"
    "\n"
    "options:\n"
    "  --manufacturer N   receiver maker: 1 another maker's board (default), 2 own receivers\n"
    "  --board N          main board: 1 Trimble, 2 NovAtel, 4 Hemisphere, 5/6 NMEA-only\n"
    "                     (default 6), 7 Hemisphere 2nd generation, 8 new protocol\n"
    "  --chunk N          block size handed to RcvData (default 4096; blocks above\n"
    "                     2000 bytes are handed over in 2000-byte slices so that the\n"
    "                     receive buffer never overflows)\n"
    "  --parse-nmea       Set_GNSS_ParseNmea(true): decode positions and DOP from NMEA\n"
    "  --timezone N       Set_TimeZone(N): hours added to the reported time\n"
    "  --baud N           serial speed (default 115200)\n"
    "  --text             aligned human-readable lines instead of JSON\n"
    "  --quiet            only the summary\n"
    "  --summary          instead of records, a short human summary at the end: messages\n"
    "                     by kind, first and last fix, satellites in view, last DOP\n"
    "\n"
    "record keys (kinds 1 and 7 report the board's change flags; each key is present\n"
    "exactly when they announce it; other kinds print kind and flags only):\n"
    "  kind, flags        always\n"
    "  pos                flags 0x10000000, 0x20000000, 0x20000 or 0x1000: lat, lon (degrees),\n"
    "                     height, solution, diff_age, time [Y,M,D,h,m,s], hprec, vprec, rms\n"
    "  dop                flag 0x80000000: pdop, hdop, vdop, tdop, gdop\n"
    "  sats               flags 0x8000000, 0x100000, 0x200000, 0x400000: lists \"1\" to \"4\" of\n"
    "                     prn, el, az, snr, snr2, status\n"
    "  obs                flag 0x40000: sat, time, sec, snr, lli, code, l, p, d\n"
    "  eph                flag 0x80000: the broadcast ephemeris of the last satellite\n"
    "  elev_mask          flag 0x4000000\n"
    "  base               flag 0x2000000: [x, y, z] in metres\n"
    "\n"
    "The end of the input is followed by 512 zero bytes, which no reader takes,\n"
    "so that the sentences the engines keep waiting for look-ahead are decoded too.\n";

const char kRtcm[] =
    "usage: ksgnss rtcm [--text|--quiet] [FILE|-]\n"
    "\n"
    "Finds the RTCM 3 frames of the input (0xD3, 10-bit length, CRC-24Q) and prints\n"
    "for each valid one {\"msg\", \"len\" (whole frame, bytes), \"accepted\"}, where\n"
    "accepted is the decoder's classification (Prc_Prtcl_ID), and what one\n"
    "Em_TrsMtPrlRTCM decodes from it:\n"
    "  1004        tow_ms and obs: prn, p [L1,L2], l, snr, lli, code per satellite\n"
    "  1021, 1022  trans: lat0, lon0, dlat, dlon, dx, dy, dz, r1-r3, ds, as, bs, at, bt,\n"
    "              xp, yp, zp; 1021 also system_id, computation, height_ind, utilized\n"
    "  1023, 1024  grid: origin, spacing, mean, 16 points, hmethod, vmethod, hquality,\n"
    "              vquality, mjd\n"
    "  1027        proj: type, lat0, lon0, azimuth, scale_ppm, easting, northing, skew,\n"
    "              rectified\n"
    "Frames with a bad CRC are not printed; the summary on standard error counts them.\n"
    "The decoder's own trace lines are kept off the output.\n";

const char kCmdHead[] =
    "usage: ksgnss cmd [OPTIONS] OPERATION [ARGS]\n"
    "\n"
    "Prints the command packets that one Em_Gnss operation appends, one JSON line\n"
    "each: {\"wait\", \"len\", \"hex\"}; --text adds the printable form.\n"
    "\n"
    "options:\n"
    "  --manufacturer N, --board N   as for decode (defaults 1 and 6)\n"
    "  --base-config FILE   Set_Gnss_BsCfg from key = value lines first: station_id, name,\n"
    "                       obs_interval, port, baud, diff_format, latitude, longitude\n"
    "                       (degrees), height, elev_mask, aux_mask, output_route\n"
    "  --rover-config FILE  Set_Gnss_RvCfg the same way: elev_mask, aux_mask, ref_station,\n"
    "                       reserved, diff_format, port, baud, iono, diff_source\n"
    "  --text               aligned lines with the printable form\n"
    "\n"
    "FRQ is stop, 20hz, 10hz, 5hz, 2hz, 1hz, 0.5hz, 0.2hz, 0.1hz, onchange or a code;\n"
    "ON is on or off; HEX is pairs of hex digits. operations:\n";

const char kSim[] =
    "usage: ksgnss sim FAMILY [--seconds N] [--rate HZ] [--seed S] [--noise P]\n"
    "\n"
    "Writes a synthetic receiver stream to standard output: a rover that waits 4 s,\n"
    "then drives a 40 m circle near 31.2 N 121.5 E from 2026-03-14 08:00:00 UTC, its\n"
    "solution improving from single to RTK fixed, with GPS, GLONASS and BeiDou.\n"
    "\n"
    "families:\n"
    "  nmea      RMC, GGA, GSA, GST, GSV (GPS, GLONASS, BeiDou), ZDA each epoch\n"
    "  novatel   RAWEPHEM at the start; BESTPOS, PSRDOP, RANGECMP with GGA, GSA, GSV\n"
    "            each epoch (decode with --board 2)\n"
    "  rtcm      1021-1027 at the start and every 10 s, 1004 each epoch\n"
    "\n"
    "options:\n"
    "  --seconds N   length of the stream (default 10)\n"
    "  --rate HZ     epochs per second (default 1)\n"
    "  --seed S      satellites, signal strengths and noise (default 1)\n"
    "  --noise P     probability of a garbage burst before each frame (default 0):\n"
    "                random bytes, false sync bytes, frames with a bad check value\n";

}  // namespace

const char* OverviewHelp() { return kOverview; }

const char* SubcommandHelp(const std::string& name) {
  static const std::string cmd = std::string(kCmdHead) + CmdOperationList();
  if (name == "decode") return kDecode;
  if (name == "rtcm") return kRtcm;
  if (name == "cmd") return cmd.c_str();
  if (name == "sim") return kSim;
  if (name == "rinex") return RinexHelp();
  if (name == "report") return ReportHelp();
  if (name == "help") return kOverview;
  return nullptr;
}

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
