// A board adapter for tests: records every frame the engine hands it and
// answers with a chosen result, and access to Em_Gnss's private parts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <ksparse/em_gnss.h>

#include "boards/board_adapter.h"
#include "engines/parse_step.h"
#include "engines/protocol_engine.h"

namespace Kestrel {
namespace KsParse {

class RecordingDecoder : public BoardDecoder {
 public:
  bool DecodeMessage(const unsigned char*, unsigned int, unsigned int) override { return true; }
};

class RecordingCommandSet : public SilentCommandSet {
 public:
  void Init(CommandList& cmds) override { AppendText(cmds, "init", kWaitSetting); }
  void StartBase(CommandList& cmds) override { AppendText(cmds, "base", kWaitSequence); }
};

// Takes every frame; ProcessFrame returns `accept` and, when accepting, sets
// the decoder's msg_flags to `flags`.
class RecordingAdapter : public BoardAdapter {
 public:
  explicit RecordingAdapter(std::uint32_t type = OEM_NMEA_SECOND) {
    oem_type = type;
    commands = new RecordingCommandSet();
    decoder = new RecordingDecoder();
  }

  bool ProcessFrame() override {
    frames.emplace_back(reinterpret_cast<const char*>(frame->data), frame->length);
    frame->Clear();
    if (accept) decoder->msg_flags = flags;
    return accept;
  }

  std::vector<std::string> frames;
  bool accept = true;
  std::uint32_t flags = 0x1000;
};

// An engine whose parse step takes one byte per call and reports it as the
// message value (0 for a zero byte), so that the parse loop's rules can be
// observed.
class ByteEngine : public ProtocolEngine {
 public:
  ByteEngine() : ProtocolEngine(GNSS_MNFCTR_OEM_BOARD) {}
  int ParseNext() override {
    rx->BeginStep();
    unsigned char byte;
    if (!rx->Read(&byte, 1)) return 0;
    last_kind = MSG_DEVICE;
    changed_flags = byte;
    return FinishStep(*rx, StepOutcome::kTaken);
  }
  bool SelectBoard(MAINBD_OEM_TYPE) override { return true; }
  void SendDiffData(CommandList&, const unsigned char*, unsigned int) override {}
};

struct EmGnssTestAccess {
  static ProtocolEngine* Engine(Em_Gnss& g) { return g.engine; }
  // Replaces the engine (the old one is destroyed).
  static void SetEngine(Em_Gnss& g, ProtocolEngine* engine) {
    delete g.engine;
    g.engine = engine;
  }
  // Installs an adapter into the current engine, destroying the old one.
  static void SetAdapter(Em_Gnss& g, BoardAdapter* adapter) {
    delete g.engine->adapter;
    g.engine->adapter = adapter;
  }
};

}  // namespace KsParse
}  // namespace Kestrel
