#include "boards/trimble/trimble_commands.h"

#include <cstring>
#include <initializer_list>

#include "boards/nmea/nmea_sentence.h"
#include "boards/trimble/trimble_wire.h"

namespace Kestrel {
namespace KsParse {

namespace {

using namespace Trimble;

// Application-file record types.
constexpr unsigned char kRecGeneral = 1;
constexpr unsigned char kRecSerialPort = 2;
constexpr unsigned char kRecReference = 3;
constexpr unsigned char kRecOutput = 7;
constexpr unsigned char kRecRtcmReference = 16;
constexpr unsigned char kRecCmrReference = 25;

// Output message types.
constexpr unsigned char kOutRawObs = 4;
constexpr unsigned char kOutGsof = 10;
constexpr unsigned char kOutAllOff = 255;

constexpr std::uint32_t kRtcm2 = 4;  // the rover's and base's RTCM 2 format code
constexpr unsigned char kRateDefault = 3;
constexpr unsigned char kRateAllSv = 5;

// The GSOF records every position output carries, in the order sent.
constexpr unsigned char kPositionRecords[] = {kGsofTime, kGsofEcef, kGsofEcefDelta, kGsofDop, kGsofLlh, kGsofSigma};

// SetNmea's mask bits and the board's message codes, in emission order.
struct NmeaOutput {
  std::uint32_t bit;
  std::uint8_t code;
};
constexpr NmeaOutput kNmeaOutputs[] = {{0x1, 6},    {0x2, 44},   {0x2000, 45}, {0x10, 38},
                                       {0x20, 13},  {0x40, 18},  {0x100, 40},  {0x200, 12},
                                       {0x400, 8},  {0x4000, 14}, {0x8000, 15}};

std::uint8_t Low(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

// One application file being built: the seven header bytes, then records.
// A record that would not fit the packet's 255 data bytes is left out; no
// command here comes near that except an NMEA list of more than 41 entries,
// whose surplus entries are dropped.
class AppFile {
 public:
  explicit AppFile(bool factory) : n_(7) {
    const unsigned char header[7] = {0, 0, 0, 3, 6, 1, static_cast<unsigned char>(factory ? 1 : 0)};
    std::memcpy(data_, header, sizeof header);
  }
  void Record(unsigned char type, std::initializer_list<std::uint8_t> bytes) {
    Record(type, bytes.begin(), static_cast<unsigned>(bytes.size()));
  }
  void Record(unsigned char type, const unsigned char* bytes, unsigned length) {
    if (n_ + 2 + length > kMaxData) return;
    data_[n_++] = type;
    data_[n_++] = static_cast<unsigned char>(length);
    std::memcpy(data_ + n_, bytes, length);
    n_ += length;
  }
  void Append(CommandList& cmds, std::uint32_t wait) const {
    unsigned char packet[kMaxPacket];
    AppendBytes(cmds, packet, BuildPacket(packet, kTypeAppFile, data_, n_), wait);
  }

 private:
  unsigned char data_[kMaxData];
  unsigned n_;
};

void Single(CommandList& cmds, unsigned char type, std::initializer_list<std::uint8_t> data,
            std::uint32_t wait = TrimbleCommandSet::kWaitPacket) {
  unsigned char packet[kMaxPacket];
  AppendBytes(cmds, packet, BuildPacket(packet, type, data.begin(), static_cast<unsigned>(data.size())), wait);
}

void GeneralControls(AppFile& f, std::uint8_t mask, std::uint8_t aux) {
  f.Record(kRecGeneral, {mask, 1, aux, 0, 0, 0, 0, 0});
}

void GsofOutput(AppFile& f, unsigned char record, std::uint8_t port, std::uint8_t rate) {
  f.Record(kRecOutput, {kOutGsof, port, rate, 0, record, 0, 0, 0});
}

void Output4(AppFile& f, std::uint8_t message, std::uint8_t port, std::uint8_t rate) {
  f.Record(kRecOutput, {message, port, rate, 0});
}

// The differential output of a base for its format code: kind and option.
void DiffOutput(AppFile& f, std::uint32_t format, std::uint8_t port) {
  std::uint8_t kind = 3, option;
  switch (format) {
    case 3: kind = 2, option = 2; break;
    case 7: option = 0x21; break;
    case 8: option = 1; break;
    case 9: option = 9; break;
    case 10: option = 17; break;
    case 12: kind = 2, option = 3; break;
    case 14: option = 0x31; break;
    default: kind = 2, option = 0; break;
  }
  f.Record(kRecOutput, {kind, port, 3, 0, option});
}

void PutBe64(unsigned char* out, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
}

// The reference-station record: station name in 8 blank-padded characters,
// position as big-endian doubles, the identifier modulo 1024 and modulo 32.
void ReferenceStation(AppFile& f, const Base_Config& base) {
  unsigned char r[37] = {};
  std::memset(r + 2, ' ', 8);
  for (unsigned i = 0; i < 8 && base.name[i] != '\0'; ++i) r[2 + i] = static_cast<unsigned char>(base.name[i]);
  PutBe64(r + 10, base.latitude);
  PutBe64(r + 18, base.longitude);
  PutBe64(r + 26, base.height);
  const std::uint32_t id = base.station_id % 1024;
  r[34] = static_cast<unsigned char>(id >> 8);
  r[35] = static_cast<unsigned char>(id);
  r[36] = static_cast<unsigned char>(base.station_id % 32);
  f.Record(kRecReference, r, sizeof r);
}

// The raw-observation output record, at the observation interval's rate.
void RawObsOutput(AppFile& f, const TrimbleCommandSet& set, std::uint8_t port) {
  f.Record(kRecOutput, {kOutRawObs, port, TrimbleCommandSet::ObsFrequencyCode(set.obs_interval), 0, 7,
                        static_cast<std::uint8_t>(set.gen1_word != 0 ? 0 : 1), 0, 0});
}

}  // namespace

std::uint8_t TrimbleCommandSet::BaudCode(std::uint32_t baud) {
  switch (baud) {
    case 300: return 8;
    case 600: return 9;
    case 1200: return 10;
    case 2400: return 1;
    case 4800: return 2;
    case 9600: return 3;
    case 19200: return 4;
    case 38400: return 5;
    case 57600: return 6;
    case 115200: return 7;
    default: return 0;
  }
}

std::uint8_t TrimbleCommandSet::ObsFrequencyCode(std::int32_t obs_interval) {
  switch (obs_interval) {
    case 2: return 4;
    case 5: return 5;
    case 10: return 6;
    case 15: return 12;
    case 30: return 7;
    case 60: return 8;
    case 250: return 11;
    case 251: return 2;
    default: return kRateDefault;
  }
}

std::uint8_t TrimbleCommandSet::NmeaMessageCode(std::uint32_t mask) {
  for (const NmeaOutput& o : kNmeaOutputs)
    if ((mask & o.bit) != 0) return o.code;
  return 0;
}

void TrimbleCommandSet::Init(CommandList& cmds) {
  const std::uint8_t port = Low(relayed);
  AppFile f(true);
  RawObsOutput(f, *this, port);
  for (unsigned char record : kPositionRecords) GsofOutput(f, record, port, kRateDefault);
  GsofOutput(f, kGsofAllSv, port, kRateAllSv);
  // Message type 8 goes to port 1 whatever `relayed` holds.
  Output4(f, 8, 1, kRateDefault);
  f.Append(cmds, kWaitPacket);
}

void TrimbleCommandSet::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  const std::uint8_t port = Low(relayed);
  AppFile f(false);
  RawObsOutput(f, *this, port);
  for (unsigned char record : kPositionRecords) GsofOutput(f, record, port, Low(static_cast<std::uint32_t>(rate)));
  f.Append(cmds, kWaitPacket);
}

// The observation rate comes from obs_interval; the rate argument is unused.
void TrimbleCommandSet::SendObs(CommandList& cmds, GNSS_FRQ) {
  AppFile f(false);
  RawObsOutput(f, *this, Low(relayed));
  f.Append(cmds, kWaitPacket);
}

void TrimbleCommandSet::SendEphemeris(CommandList& cmds, GNSS_FRQ) {
  for (unsigned prn = 1; prn <= 32; ++prn) SendEphemSat(cmds, prn);
}

void TrimbleCommandSet::SendEphemSat(CommandList& cmds, unsigned int prn) {
  if (prn < 1 || prn > 32) return;
  Single(cmds, kTypeEphemerisQuery, {1, static_cast<std::uint8_t>(prn), 0});
}

void TrimbleCommandSet::SetElevMask(CommandList& cmds, unsigned int degrees, unsigned int) {
  AppFile f(false);
  GeneralControls(f, Low(degrees), kDefaultAuxMask);
  f.Append(cmds, kWaitMask);
}

// The port argument is not used: outputs go to the command set's port.
void TrimbleCommandSet::SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate, unsigned int) {
  const std::uint8_t port = Low(relayed);
  AppFile f(false);
  for (const NmeaOutput& o : kNmeaOutputs)
    if ((message_mask & o.bit) != 0) Output4(f, o.code, port, Low(static_cast<std::uint32_t>(rate)));
  f.Append(cmds, kWaitPacket);
}

void TrimbleCommandSet::SetNmeaList(CommandList& cmds, const std::vector<_set_nmea>& list) {
  const std::uint8_t port = Low(relayed);
  AppFile f(false);
  for (const _set_nmea& entry : list) {
    const std::uint8_t code = NmeaMessageCode(entry.mask);
    if (code != 0) Output4(f, code, port, Low(entry.frq));
  }
  f.Append(cmds, kWaitPacket);
}

void TrimbleCommandSet::QueryElevMask(CommandList& cmds) { Single(cmds, kTypeElevMaskQuery, {}); }

void TrimbleCommandSet::Unlog(CommandList& cmds) {
  AppFile f(false);
  Output4(f, kOutAllOff, Low(relayed), 0);
  f.Append(cmds, kWaitPacket);
}

void TrimbleCommandSet::StartBase(CommandList& cmds) {
  base.port = 1;
  base.baud = 38400;
  const std::uint8_t port = Low(base.port);
  AppFile f(true);
  GeneralControls(f, base.elev_mask, base.aux_mask);
  f.Record(kRecSerialPort, {port, BaudCode(base.baud), 0, 0});
  ReferenceStation(f, base);
  RawObsOutput(f, *this, port);
  DiffOutput(f, base.diff_format, port);
  f.Append(cmds, kWaitPacket);
}

void TrimbleCommandSet::StartRover(CommandList& cmds) {
  QueryElevMask(cmds);
  rover.port = 1;
  const bool rtcm2 = rover.diff_format == kRtcm2;
  // "ANY" accepts every station; otherwise the text is a decimal number.
  const bool any = std::strncmp(rover.ref_station, "ANY", sizeof rover.ref_station) == 0;
  const int station = any ? 0 : NmeaAtoiN(rover.ref_station, sizeof rover.ref_station);
  AppFile f(false);
  GeneralControls(f, rover.elev_mask, rover.aux_mask);
  if (rtcm2) {
    f.Record(kRecRtcmReference, {0, 3, 13, 0x40, static_cast<std::uint8_t>(any ? 0xFF : station & 0xFF),
                                 static_cast<std::uint8_t>(any ? 0xFF : (station >> 8) & 0xFF)});
  } else {
    f.Record(kRecCmrReference, {static_cast<std::uint8_t>(any ? 0xFF : station & 0xFF), 0, 0});
  }
  f.Append(cmds, kWaitPacket);

  const std::uint8_t p = Low(rover.port);
  Single(cmds, 0x84, {0x84, static_cast<std::uint8_t>(p + 129)}, kWaitRoverSingle);
  Single(cmds, 0x59, {0, static_cast<std::uint8_t>(p + 1), 0}, kWaitRoverSingle);
  if (rtcm2) {
    Single(cmds, 0x4E, {1, 5, 0, 0x0A, 4, 0, 0x61}, kWaitRoverSingle);
    Single(cmds, 0x4E, {2, 0, 2, 0, 0, 0, 0, 0, 0}, kWaitRoverSingle);
  }
  const std::uint8_t input_format = rtcm2 ? 5 : 23;
  Single(cmds, 0x49, {static_cast<std::uint8_t>(p + 1), 1, input_format, 0, 1, 0}, kWaitRoverSingle);
  if (rtcm2) {
    Single(cmds, 0x24, {static_cast<std::uint8_t>(p + 1), 1, input_format, 0, 1, 0}, kWaitRoverSingle);
  } else {
    static const std::uint8_t kA3[7][2] = {{0, 0}, {4, 0x78}, {4, 0x7A}, {4, 0x7C}, {4, 0x7E}, {4, 0x83}, {4, 0x86}};
    for (const auto& a : kA3) Single(cmds, 0xA3, {a[0], a[1], 0}, kWaitRoverSingle);
  }
  if (gen1_word == 1) Single(cmds, 0x53, {0x0E, 0, 0}, kWaitRoverSingle);
  if (!cmds.empty()) cmds.back().wait = kWaitMask;
  Init(cmds);
}

void TrimbleCommandSet::Reset(CommandList& cmds) {
  Single(cmds, kTypeReset, {0xFF, 3, 'R', 'E', 'S', 'E', 'T'});
}

}  // namespace KsParse
}  // namespace Kestrel
