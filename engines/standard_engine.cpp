#include "engines/standard_engine.h"

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

int StandardEngine::ParseNext() {
  // Frame readers arrive with the board families; until then every byte is
  // skipped so that the buffer never clogs.
  if (rx == nullptr) return 0;
  rx->BeginStep();
  last_kind = MSG_NONE;
  changed_flags = 0;
  unsigned char byte;
  if (!rx->Peek(&byte, 1)) return 0;
  return FinishStep(*rx, StepOutcome::kSkip);
}

}  // namespace KsParse
}  // namespace Kestrel
