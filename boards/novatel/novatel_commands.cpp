#include "boards/novatel/novatel_commands.h"

namespace Kestrel {
namespace KsParse {
namespace {

constexpr double kRadToDeg = 57.29577951308232;

void Append(CommandList& cmds, const char* text) { AppendText(cmds, text, kWaitSetting); }

struct NmeaLog {
  std::uint32_t bit;
  const char* name;
};

// The order in which SetNmea emits the sentences of a mask.
constexpr NmeaLog kNmeaMaskOrder[] = {
    {0x1, "GPGGA"},   {0x2, "GPGLL"},   {0x2000, "GPGRS"}, {0x10, "GPGSA"},
    {0x20, "GPGST"},  {0x40, "GPGSV"},  {0x100, "GPRMC"},  {0x200, "GPVTG"},
    {0x400, "GPZDA"}, {0x800, "GPALM"}, {0x1000, "GPRMB"},
};
// The order in which SetNmeaList looks for the one sentence of an element.
constexpr NmeaLog kNmeaListOrder[] = {
    {0x1, "GPGGA"},   {0x2, "GPGLL"},   {0x2000, "GPGRS"}, {0x10, "GPGSA"},
    {0x20, "GPGST"},  {0x40, "GPGSV"},  {0x100, "GPRMC"},  {0x1000, "GPRMB"},
    {0x200, "GPVTG"}, {0x400, "GPZDA"}, {0x800, "GPALM"},
};

void AppendNmeaLog(CommandList& cmds, const char* sentence, GNSS_FRQ rate) {
  if (rate == GNSS_FRQ_STOP) {
    AppendFormatted(cmds, kWaitSetting, "UNLOG %s\r\n", sentence);
  } else {
    AppendFormatted(cmds, kWaitSetting, "LOG %s ONTIME %.2f\r\n", sentence,
                 NovAtelCommandSet::LogPeriod(rate, true));
  }
}

}  // namespace

double NovAtelCommandSet::LogPeriod(GNSS_FRQ rate, bool nmea) {
  switch (rate) {
    case GNSS_FRQ_STOP: return 0.0;
    case GNSS_FRQ_10HZ: return 0.1;
    case GNSS_FRQ_5HZ: return 0.2;
    case GNSS_FRQ_1HZ: return 1.0;
    case GNSS_FRQ_0_5HZ: return 2.0;
    case GNSS_FRQ_0_2HZ: return 5.0;
    case GNSS_FRQ_0_1HZ: return 10.0;
    case GNSS_FRQ_2HZ: return 0.5;
    case GNSS_FRQ_20HZ: return nmea ? 0.05 : 1.0;
    default: return 1.0;
  }
}

double NovAtelCommandSet::ObsIntervalPeriod(std::int32_t code) {
  switch (code) {
    case 2: return 2.0;
    case 5: return 5.0;
    case 10: return 10.0;
    case 15: return 15.0;
    case 30: return 30.0;
    case 60: return 60.0;
    case 250: return 0.5;
    case 251: return 0.2;
    default: return 1.0;
  }
}

void NovAtelCommandSet::Init(CommandList& cmds) {
  Append(cmds, "fix none\r\n");
  Append(cmds, "log bestposb ontime 1\r\n");
  Append(cmds, "nmeatalker auto\r\n");
  AppendFormatted(cmds, kWaitSetting, "log rangecmpb ontime %.1f\r\n", ObsIntervalPeriod(obs_interval));
  Append(cmds, "log psrdopb ontime 5\r\n");
  Append(cmds, "log gpgsv ontime 5\r\n");
  Append(cmds, "log gpgga ontime 1\r\n");
  Append(cmds, "log refstationb onchanged\r\n");
}

void NovAtelCommandSet::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  switch (rate) {
    case GNSS_FRQ_STOP: Append(cmds, "unlog bestposb\r\n"); break;
    case GNSS_FRQ_10HZ: Append(cmds, "log bestposb ontime 0.1\r\n"); break;
    case GNSS_FRQ_5HZ: Append(cmds, "log bestposb ontime 0.2\r\n"); break;
    case GNSS_FRQ_0_5HZ: Append(cmds, "log bestposb ontime 2\r\n"); break;
    case GNSS_FRQ_0_2HZ: Append(cmds, "log bestposb ontime 5\r\n"); break;
    case GNSS_FRQ_0_1HZ: Append(cmds, "log bestposb ontime 10\r\n"); break;
    case GNSS_FRQ_2HZ: Append(cmds, "log bestposb ontime 0.5\r\n"); break;
    default: Append(cmds, "log bestposb ontime 1\r\n"); break;
  }
}

void NovAtelCommandSet::SendObs(CommandList& cmds, GNSS_FRQ rate) {
  if (rate == GNSS_FRQ_STOP) {
    Append(cmds, "unlog rangecmpb\r\n");
  } else {
    AppendFormatted(cmds, kWaitSetting, "log rangecmpb ontime %.1f\r\n", LogPeriod(rate, false));
  }
}

void NovAtelCommandSet::SendEphemeris(CommandList& cmds, GNSS_FRQ rate) {
  if (rate == GNSS_FRQ_STOP) {
    Append(cmds, "unlog rawephemb\r\n");
  } else {
    AppendFormatted(cmds, kWaitSetting, "log rawephemb ontime %f\r\n", LogPeriod(rate, false));
  }
}

void NovAtelCommandSet::SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int system) {
  // System 1 GPS, 2 GLONASS, 3 or 4 both; anything else counts as GPS.
  if (system != 2) AppendFormatted(cmds, kWaitSetting, "ecutoff %d\r\n", static_cast<int>(degrees));
  if (system >= 2 && system <= 4) {
    AppendFormatted(cmds, kWaitSetting, "gloecutoff %d\r\n", static_cast<int>(degrees));
  }
  QueryElevMask(cmds);
}

void NovAtelCommandSet::SetSatUse(CommandList& cmds, unsigned int satellite, bool enable,
                                  unsigned int) {
  AppendFormatted(cmds, kWaitSetting, enable ? "unlockout %d\r\n" : "lockout %d\r\n",
               static_cast<int>(satellite));
}

void NovAtelCommandSet::SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate,
                                unsigned int) {
  for (const NmeaLog& log : kNmeaMaskOrder) {
    if ((message_mask & log.bit) != 0) AppendNmeaLog(cmds, log.name, rate);
  }
}

void NovAtelCommandSet::SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) {
  for (const _set_nmea& element : list) {
    for (const NmeaLog& log : kNmeaListOrder) {
      if ((element.mask & log.bit) != 0) {
        AppendNmeaLog(cmds, log.name, static_cast<GNSS_FRQ>(element.frq));
        break;
      }
    }
  }
}

// The PSRDOP log carries the elevation cut-off in use.
void NovAtelCommandSet::QueryElevMask(CommandList& cmds) { Append(cmds, "log psrdopb ontime 5\r\n"); }

void NovAtelCommandSet::Unlog(CommandList& cmds) { Append(cmds, "unlogall\r\n"); }

void NovAtelCommandSet::Reset(CommandList& cmds) {
  Append(cmds, "nvmrestore\r\n");
  Append(cmds, "freset\r\n");
}

void NovAtelCommandSet::PassCom(CommandList& cmds, unsigned int port) {
  AppendFormatted(cmds, kWaitSetting, "log passcom%ub onchanged\r\n", port);
}

void NovAtelCommandSet::StartBase(CommandList& cmds) {
  const std::uint32_t w = kWaitSequence;
  const int mask = base.elev_mask;
  const unsigned port = base.port + 1;
  AppendText(cmds, "log bestposb ontime 1\r\n", w);
  AppendFormatted(cmds, w, "ecutoff %d\r\n", mask);
  AppendFormatted(cmds, w, "rtkelevmask user %d\r\n", mask);
  AppendText(cmds, "gloecutoff 5.0\r\n", w);
  AppendFormatted(cmds, w, "fix position %.8lf %.8lf %.3lf\r\n", base.latitude * kRadToDeg,
               base.longitude * kRadToDeg, base.height);
  AppendFormatted(cmds, w, "unlogall com%u\r\n", port);
  AppendFormatted(cmds, w, "log com%u bestposb ontime 5\r\n", port);
  if (base.port == 1) {
    AppendText(cmds, "LOG COM2,RAWEPHEMB,ONTIME 60\r\n", w);
    AppendText(cmds, "LOG COM2 GLORAWEPHEMB,ONTIME 80\r\n", w);
    AppendFormatted(cmds, w, "log com2,rangecmpb,ontime %.1f\r\n", ObsIntervalPeriod(obs_interval));
    AppendText(cmds, "LOG COM2,TIMEB,ONTIME 1\r\n", w);
    AppendText(cmds, "LOG COM2,GPGGA,ONTIME 1\r\n", w);
  }
  AppendDiffOutput(cmds);
  AppendFormatted(cmds, w, "com com%u %u\r\n", port, base.baud);
  AppendText(cmds, "saveconfig\r\n", w);
}

// The base's differential output in its configured format.
void NovAtelCommandSet::AppendDiffOutput(CommandList& cmds) {
  const std::uint32_t w = kWaitSequence;
  const unsigned p = base.port + 1;
  const unsigned interval = base.obs_interval_s;
  const unsigned id = base.station_id;
  switch (base.diff_format) {
    case 3:  // CMR
    case 6:  // CMR+
      AppendFormatted(cmds, w, "dgpstxid cmr %u\r\n", id);
      AppendFormatted(cmds, w, "log com%u cmrobsb ontime %u\r\n", p, interval);
      if (base.diff_format == 3) {
        AppendFormatted(cmds, w, "log com%u cmrrefb ontime 10\r\n", p);
      } else {
        AppendFormatted(cmds, w, "log com%u cmrplusb ontime 10\r\n", p);
      }
      AppendFormatted(cmds, w, "log com%u cmrdescb ontime 10 5\r\n", p);
      break;
    case 4:  // RTCM 2
      AppendFormatted(cmds, w, "dgpstxid rtcm %u\r\n", id);
      AppendFormatted(cmds, w, "log com%u rtcm3b ontime 10\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm22b ontime 10 7\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm1 ontime 5\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm1819b ontime %u\r\n", p, interval + 1);
      AppendFormatted(cmds, w, "log com%u rtcm31b ontime 2\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm32b ontime 2\r\n", p);
      break;
    case 5:  // RTCA: the transmitter ID is the port number
      AppendFormatted(cmds, w, "dgpstxid rtca %u\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcaobsb ontime %u\r\n", p, interval);
      AppendFormatted(cmds, w, "log com%u rtcaobs2b ontime %u\r\n", p, interval + 1);
      AppendFormatted(cmds, w, "log com%u rtcarefb ontime 10\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtca1b ontime 10 3\r\n", p);
      break;
    case 7:  // RTCM 3
      AppendFormatted(cmds, w, "dgpstxid rtcmv3 %u\r\n", id);
      AppendFormatted(cmds, w, "log com%u rtcm1004b ontime %u\r\n", p, interval);
      if (board_generation != 2) {
        AppendFormatted(cmds, w, "log com%u rtcm1005b ontime 10\r\n", p);
      } else {
        AppendFormatted(cmds, w, "log com%u rtcm1012b ontime 1\r\n", p);
        AppendFormatted(cmds, w, "log com%u rtcm1006b ontime 10\r\n", p);
        AppendFormatted(cmds, w, "log com%u rtcm1008b ontime 10\r\n", p);
        AppendFormatted(cmds, w, "log com%u rtcm1033b ontime 10\r\n", p);
      }
      break;
    case 11:  // RTCM 2 message 1 only
      AppendFormatted(cmds, w, "dgpstxid rtcm %u\r\n", id);
      AppendFormatted(cmds, w, "log com%u rtcm1 ontime 1\r\n", p);
      break;
    case 12:
    case 13:  // the board maker's compact format, always on COM2
      AppendText(cmds, "log com2 novatelxobsb ontime 1\r\n", w);
      AppendText(cmds, "log com2 novatelxrefb  ontime 10\r\n", w);
      break;
    case 14:  // RTCM 3 MSM
      AppendFormatted(cmds, w, "interfacemode com%u novatel rtcmv3\r\n", p);
      AppendFormatted(cmds, w, "dgpstxid rtcmv3 %u\r\n", id);
      AppendFormatted(cmds, w, "log com%u rtcm1074b ontime %u\r\n", p, interval);
      AppendFormatted(cmds, w, "log com%u rtcm1084b ontime 1\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm1124b ontime 1\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm1005b ontime 10\r\n", p);
      AppendFormatted(cmds, w, "log com%u rtcm1033b ontime 10\r\n", p);
      break;
    default:
      break;
  }
}

void NovAtelCommandSet::StartRover(CommandList& cmds) {
  const int mask = rover.elev_mask;
  AppendFormatted(cmds, kWaitSetting, "ecutoff %d\r\n", mask);
  AppendFormatted(cmds, kWaitSetting, "rtkelevmask user %d\r\n", mask);
  switch (rover.iono) {
    case 0: Append(cmds, "ionocondition quiet\r\n"); break;
    case 1: Append(cmds, "ionocondition normal\r\n"); break;
    case 2: Append(cmds, "ionocondition disturbed\r\n"); break;
    default: break;
  }
  Append(cmds, "gloecutoff 5.0\r\n");
  AppendRoverSource(cmds);
}

// Where the rover takes its corrections from, by the expected format.
void NovAtelCommandSet::AppendRoverSource(CommandList& cmds) {
  const unsigned p = rover.port + 1;
  const char* source = "auto";
  const char* mode = "AUTO";
  switch (rover.diff_format) {
    case 3: source = "cmr"; mode = "CMR"; break;
    case 4: source = "rtcm"; mode = "RTCM"; break;
    case 5: source = "rtca"; mode = "RTCA"; break;
    case 7:
    case 14:
      source = "rtcmv3";
      mode = board_generation == 1 ? "RTCMV3" : "AUTO";
      break;
    case 13:
      Append(cmds, "interfacemode com2 novatelx none\r\n");
      Append(cmds, "log com2 novatelxgpsobsb ontime 1\r\n");
      Append(cmds, "log com2 novatelxgloobsb ontime 1\r\n");
      Append(cmds, "log com2 novatelxbdsobsb ontime 1\r\n");
      Append(cmds, "log com2 novatelxrefb  ontime 10\r\n");
      return;
    default:
      break;
  }
  AppendFormatted(cmds, kWaitSetting, "rtksource %s any\r\n", source);
  AppendFormatted(cmds, kWaitSetting, "psrdiffsource %s any\r\n", source);
  AppendFormatted(cmds, kWaitSetting, "INTERFACEMODE COM%u %s NOVATEL\r\n", p, mode);
}

}  // namespace KsParse
}  // namespace Kestrel
