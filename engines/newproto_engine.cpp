#include "engines/newproto_engine.h"

#include <new>

#include "boards/adapter_factory.h"
#include "engines/parse_step.h"

namespace Kestrel {
namespace KsParse {

NewProtoEngine::NewProtoEngine()
    : ProtocolEngine(GNSS_MNFCTR_NORVIK), reassembly(new (std::nothrow) RecvBuffer()) {}

NewProtoEngine::~NewProtoEngine() {
  delete reassembly;  // resets the buffer and deletes its lock
  reassembly = nullptr;
}

bool NewProtoEngine::SelectBoard(MAINBD_OEM_TYPE) {
  ReplaceAdapter(CreateNewProtoBoardAdapter());
  return true;
}

void NewProtoEngine::SendDiffData(CommandList&, const unsigned char*, unsigned int) {
  // Corrections travel as packet items; the packet codec builds them.
}

int NewProtoEngine::ParseNext() {
  // The transport and packet readers come with the packet codec; until then
  // bytes are skipped one by one so that the buffer never clogs.
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
