#include "engines/standard_engine.h"

#include <cstdint>
#include <initializer_list>

#include "boards/adapter_factory.h"
#include "engines/parse_step.h"

namespace Kestrel {
namespace KsParse {

StandardEngine::StandardEngine() : ProtocolEngine(GNSS_MNFCTR_OEM_BOARD) {}

bool StandardEngine::SelectBoard(MAINBD_OEM_TYPE type) {
  switch (type) {
    case OEM_TRIMBLE:
    case OEM_NOVATEL:
    case OEM_HEMISPHERE:
    case OEM_NMEA_FIRST:
    case OEM_NMEA_SECOND:
      break;
    default:
      return false;  // not served here: the current adapter stays
  }
  ReplaceAdapter(nullptr);
  BoardAdapter* next = nullptr;
  switch (type) {
    case OEM_TRIMBLE:
      next = CreateTrimbleAdapter(-1);
      if (next != nullptr) next->commands->relayed = 0;
      break;
    case OEM_NOVATEL:
      next = CreateNovAtelAdapter(0);
      if (next != nullptr) {
        next->commands->relayed = 0;
        next->decoder->gps_sat_hold = next->decoder->glo_sat_hold = next->decoder->bds_sat_hold = 1;
        next->decoder->sentence_hold = 0;
      }
      break;
    case OEM_HEMISPHERE:
      next = CreateHemisphereAdapter();
      if (next != nullptr) {
        next->commands->relayed = 0;
        next->decoder->gps_sat_hold = 1;
      }
      break;
    case OEM_NMEA_FIRST:
      next = CreateNmeaOnlyAdapter(5);
      if (next != nullptr) next->commands->relayed = 1;
      break;
    default:
      next = CreateNmeaOnlyAdapter(6);
      break;
  }
  ReplaceAdapter(next);
  return true;
}

void StandardEngine::SendDiffData(CommandList& cmds, const unsigned char* data,
                                  unsigned int length) {
  AppendRawPackets(cmds, data, length, kWaitDiffData);
}

namespace {

constexpr StartBytes kNmeaStarts = Starts({'$'});
constexpr StartBytes kTrimbleStarts = Starts({'$', 0x02, 0xD3});
constexpr StartBytes kNovAtelStarts = Starts({'$', 0x02, 0xD3, 0xAA});

// A step reads the three start bytes before it decides anything.
constexpr int kStartBytes = 3;

// A '$' that begins nothing in any reader set: every sentence and reply
// follows it with a capital (a talker, "BI") or '>'. Passed over while
// the buffer skips, so that a run of '$' costs no parse step per byte.
bool NoFrameAtDollar(const unsigned char* p, int held) {
  return p[0] == '$' && held >= 2 && !((p[1] >= 'A' && p[1] <= 'Z') || p[1] == '>');
}

}  // namespace

const StandardEngine::ReaderSet* StandardEngine::ReadersFor(MAINBD_OEM_TYPE type) {
  //                                 starts                       talkers NovAtel RTCM 3 Trimble CMR Hemisphere
  static constexpr ReaderSet kTrimble = {kTrimbleStarts.may_start, "GPGL", false, 0xFF, true, false, false};
  static constexpr ReaderSet kNovAtel = {kNovAtelStarts.may_start, "GPGLGNBD", true, 0xFC, false, true, false};
  static constexpr ReaderSet kHemisphere = {kNmeaStarts.may_start, "GPGL", false, 0x00, false, false, true};
  static constexpr ReaderSet kNmeaFirst = {kNmeaStarts.may_start, "GPGL", false, 0x00, false, false, false};
  static constexpr ReaderSet kNmeaSecond = {kNmeaStarts.may_start, "GPGLGNBD", false, 0x00, false, false, false};
  switch (type) {
    case OEM_TRIMBLE: return &kTrimble;
    case OEM_NOVATEL: return &kNovAtel;
    case OEM_HEMISPHERE: return &kHemisphere;
    case OEM_NMEA_FIRST: return &kNmeaFirst;
    case OEM_NMEA_SECOND: return &kNmeaSecond;
    default: return nullptr;
  }
}

int StandardEngine::ParseNext() {
  if (rx == nullptr) return 0;
  const ReaderSet* set = ReadersFor(BoardType());
  if (set == nullptr) {
    // No adapter, or a board whose frames this engine cannot delimit: the
    // bytes could never be parsed, so they are dropped rather than kept.
    rx->Reset();
    return 0;
  }
  // Bytes that begin no frame of the set are passed over in one go, as the
  // same number of steps that each skip one byte would: on a noisy line a
  // step then costs a few comparisons per byte rather than three lock
  // round trips. The same acquisition copies the bytes from the new mark,
  // enough for a whole NMEA sentence, so that choosing the reader (and
  // reading a sentence) takes no further lock.
  int held = 0;
  const int copied = rx->BeginStepSkipping(set->may_start, kStartBytes, NoFrameAtDollar, frame_, kNmeaHead, &held);
  last_kind = MSG_NONE;
  changed_flags = 0;
  if (copied < kStartBytes) return 0;
  int taken = -1;
  const StepOutcome outcome = frame_[0] == '$' && IsNmeaStart(frame_, set->nmea_talkers)
                                  ? ReadNmea(held, copied, taken)
                                  : ChooseReader(*set, taken);
  return FinishStep(*rx, outcome, taken);
}

StepOutcome StandardEngine::ChooseReader(const ReaderSet& set, int& taken) {
  const unsigned char* start = frame_;
  StepOutcome (StandardEngine::*reader)() = nullptr;
  taken = -1;
  switch (start[0]) {
    case '$':
      if (set.hemisphere && start[1] == 'B' && start[2] == 'I') reader = &StandardEngine::ReadHemisphereBinary;
      if (set.hemisphere && start[1] == '>' && start[2] == 'J') reader = &StandardEngine::ReadHemisphereReply;
      break;
    case 0xAA:
      if (set.novatel && start[1] == 0x44 && start[2] == 0x12) reader = &StandardEngine::ReadNovAtel;
      break;
    case 0xD3:
      if (set.rtcm3_mask != 0 && (start[1] & set.rtcm3_mask) == 0) reader = &StandardEngine::ReadRtcm3;
      break;
    case 0x02:
      if (set.trimble_any_type ||
          (set.trimble_cmr_types && (start[2] == 0x93 || start[2] == 0x98)))
        reader = &StandardEngine::ReadTrimble;
      break;
    default:
      break;
  }
  if (reader == nullptr) return StepOutcome::kSkip;
  // These readers read on through the cursor, which starts after the start
  // bytes.
  if (!rx->Read(frame_, kStartBytes)) return StepOutcome::kIncomplete;
  return (this->*reader)();
}

}  // namespace KsParse
}  // namespace Kestrel
