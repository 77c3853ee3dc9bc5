#include "boards/hemisphere/hemisphere_commands.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

void Append(CommandList& cmds, const char* text) { AppendText(cmds, text, kWaitSetting); }

// Rover differential sources (Rover_Config::diff_source).
constexpr std::uint32_t kSourceRtk = 0;
constexpr std::uint32_t kSourceSbas = 1;
constexpr std::uint32_t kSourceBeacon = 2;

// Base differential formats (Base_Config::diff_format) with their own output.
constexpr std::uint32_t kFormatCmr = 3;
constexpr std::uint32_t kFormatCmrPlus = 6;
constexpr std::uint32_t kFormatRtcm3Msm = 14;

}  // namespace

// ---------------------------------------------------------------- both

void HemisphereCommandSet::AppendAsc(CommandList& cmds, const char* sentence, GNSS_FRQ rate) const {
  AppendFormatted(cmds, kWaitSetting, "$JASC,%s,%d\r\n", sentence, AscRate(rate));
}

void HemisphereCommandSet::SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int) {
  AppendFormatted(cmds, kWaitSetting, "$JMASK,%d\r\n", static_cast<int>(degrees));
}

void HemisphereCommandSet::SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate, unsigned int) {
  std::uint32_t count = 0;
  const Sentence* order = NmeaOrder(&count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (message_mask & order[i].bit) AppendAsc(cmds, order[i].name, rate);
  }
}

void HemisphereCommandSet::QueryElevMask(CommandList& cmds) { Append(cmds, "$JSHOW\r\n"); }
void HemisphereCommandSet::Unlog(CommandList& cmds) { Append(cmds, "$JOFF\r\n"); }
void HemisphereCommandSet::Reset(CommandList& cmds) { Append(cmds, "$JRESET\r\n"); }

// ---------------------------------------------------------------- first generation

namespace {

constexpr HemisphereCommandSet::Sentence kOrder1[] = {
    {0x1, "GPGGA"},   {0x2, "GPGLL"},   {0x2000, "GPGRS"},
    {0x10, "GPGSA"},  {0x20, "GPGST"},  {0x40, "GPGSV"},
    {0x100, "GPRMC"}, {0x200, "GPVTG"}, {0x400, "GPZDA"},
    {HemisphereCommandSet::kNmeaGns, "GPGNS"}, {HemisphereCommandSet::kNmeaRre, "GPRRE"},
};

constexpr HemisphereCommandSet::Sentence kOrder2[] = {
    {0x1, "GPGGA"},   {0x100, "GPRMC"}, {0x20, "GPGST"},
    {0x40, "GPGSV"},  {0x2, "GPGLL"},   {0x2000, "GPGRS"},
    {0x10, "GPGSA"},  {0x200, "GPVTG"}, {0x400, "GPZDA"},
    {HemisphereCommandSet::kNmeaGns, "GPGNS"}, {HemisphereCommandSet::kNmeaRre, "GPRRE"},
};

template <std::size_t N>
const HemisphereCommandSet::Sentence* Table(const HemisphereCommandSet::Sentence (&t)[N], std::uint32_t* count) {
  *count = static_cast<std::uint32_t>(N);
  return t;
}

}  // namespace

int Hemisphere1CommandSet::AscRateOf(GNSS_FRQ rate) {
  switch (rate) {
    case GNSS_FRQ_10HZ: return 10;
    case GNSS_FRQ_5HZ: return 5;
    case GNSS_FRQ_2HZ: return 2;
    default: return 1;  // the board's slowest regular rate; it has no stop code
  }
}

const HemisphereCommandSet::Sentence* Hemisphere1CommandSet::NmeaOrder(std::uint32_t* count) const {
  return Table(kOrder1, count);
}

void Hemisphere1CommandSet::Init(CommandList& cmds) {
  for (const char* text : {"$JOFF\r\n", "$JASC,GPGGA,1\r\n", "$JASC,GPGSA,1\r\n", "$JASC,GPRMC,1\r\n",
                           "$JASC,GPGST,1\r\n", "$JBIN,96,1\r\n", "$JBIN,99,1\r\n", "$JSHOW\r\n"})
    Append(cmds, text);
}

void Hemisphere1CommandSet::SetPosRate(CommandList& cmds, GNSS_FRQ rate) { AppendAsc(cmds, "GPGGA", rate); }

void Hemisphere1CommandSet::SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) {
  for (const _set_nmea& e : list) SetNmea(cmds, e.mask, static_cast<GNSS_FRQ>(e.frq), 0);
}

void Hemisphere1CommandSet::StartRover(CommandList& cmds) {
  const char* source = nullptr;
  switch (rover.diff_source) {
    case kSourceRtk: source = "$JDIFF,RTK\r\n"; break;
    case kSourceSbas: source = "$JDIFF,WASS\r\n"; break;
    case kSourceBeacon: source = "$JDIFF,BEACON\r\n"; break;
    default: return;  // no source this board knows
  }
  Append(cmds, "$JDIFF,NONE\r\n");
  Append(cmds, source);
}

// ---------------------------------------------------------------- second generation

int Hemisphere2CommandSet::AscRateOf(GNSS_FRQ rate) {
  return rate == GNSS_FRQ_STOP ? 0 : Hemisphere1CommandSet::AscRateOf(rate);
}

double Hemisphere2CommandSet::ObsRateOf(GNSS_FRQ rate) {
  switch (rate) {
    case GNSS_FRQ_STOP: return 0.0;
    case GNSS_FRQ_10HZ: return 10.0;
    case GNSS_FRQ_0_2HZ: return 0.2;
    case GNSS_FRQ_2HZ: return 2.0;
    case GNSS_FRQ_20HZ: return 20.0;
    default: return 1.0;  // every other rate, 5 Hz included
  }
}

const HemisphereCommandSet::Sentence* Hemisphere2CommandSet::NmeaOrder(std::uint32_t* count) const {
  return Table(kOrder2, count);
}

void Hemisphere2CommandSet::Init(CommandList& cmds) {
  for (const char* text : {"$JASC,RTCM,0\r\n", "$JASC,RTCM3,0\r\n", "$JASC,CMR,0\r\n", "$JASC,ROX,0\r\n"})
    Append(cmds, text);
  SetPosRate(cmds, GNSS_FRQ_1HZ);
  for (const char* text : {"$JNMEA,GGAALLGNSS,YES\r\n", "$JMODE,BASE,NO\r\n", "$JDIFF,EXCLUDE,SBAS\r\n",
                           "$JDIFF,EXCLUDE,EDIF\r\n", "$JAGE,60\r\n", "$JBIN,3,1\r\n", "$JBIN,209,1\r\n"})
    Append(cmds, text);
}

void Hemisphere2CommandSet::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  for (const char* sentence : {"GPGGA", "GPRMC", "GPGST"}) AppendAsc(cmds, sentence, rate);
}

void Hemisphere2CommandSet::SendObs(CommandList& cmds, GNSS_FRQ rate) {
  const double r = ObsRateOf(rate);
  for (int message : {36, 66, 76}) AppendFormatted(cmds, kWaitSetting, "$JBIN,%d,%.1f\r\n", message, r);
}

void Hemisphere2CommandSet::SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) {
  for (const _set_nmea& e : list) {
    for (const Sentence& s : kOrder2) {
      if (e.mask & s.bit) {
        AppendAsc(cmds, s.name, static_cast<GNSS_FRQ>(e.frq));
        break;
      }
    }
  }
}

void Hemisphere2CommandSet::StartBase(CommandList& cmds) {
  Append(cmds, "$JMODE,BASE,YES\r\n");
  const double latitude = base.latitude, longitude = base.longitude, height = base.height;
  AppendFormatted(cmds, kWaitSetting, "$JRTK,1,%.8f,%.8f,%.3f\r\n", latitude * kRadToDeg, longitude * kRadToDeg,
                  height);
  switch (base.diff_format) {
    case kFormatCmr: Append(cmds, "$JASC,CMR,1\r\n"); break;
    case kFormatCmrPlus: Append(cmds, "$JASC,CMR+,1\r\n"); break;
    case kFormatRtcm3Msm:
      Append(cmds, "$JASC,RTCM3,1\r\n");
      Append(cmds, "$JRTCM3,INCLUDE,MSM4\r\n");
      break;
    case kFormatRox: Append(cmds, "$JASC,ROX,1\r\n"); break;
    default:  // RTCM 3 without MSM: every other format code
      Append(cmds, "$JASC,RTCM3,1\r\n");
      Append(cmds, "$JRTCM3,EXCLUDE,MSM4\r\n");
      break;
  }
  AppendFormatted(cmds, kWaitSetting, "$JMASK,%d\r\n", base.elev_mask);
  Append(cmds, "$JDIFF,THIS\r\n");
  Append(cmds, "$JSAVE\r\n");
}

void Hemisphere2CommandSet::StartRover(CommandList& cmds) {
  Append(cmds, "$JMODE,BASE,NO\r\n");
  // The board takes its corrections from whatever port they arrive on.
  Append(cmds, "$JDIFF,this\r\n");
  AppendFormatted(cmds, kWaitSetting, "$JMASK,%d\r\n", rover.elev_mask);
}

}  // namespace KsParse
}  // namespace Kestrel
