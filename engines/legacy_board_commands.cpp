// The legacy engine's board commands. The board adapter builds the main
// board's commands; they reach the board through the receiver in RZ frames
// (a software receiver takes its records as they are), and the receiver's
// own frames go before or after them: a base start is announced to the
// receiver, a rover start sets its elevation mask and differential mode.
#include <cstdio>

#include "engines/legacy_engine.h"
#include "legacy/board_pass_through.h"
#include "legacy/legacy_frame.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr std::uint32_t kWaitStart = 3000;
constexpr std::uint32_t kWaitQuick = 100;
constexpr std::uint32_t kWaitDevice = 200;
constexpr std::uint32_t kWaitMode = 2000;
constexpr unsigned char kSettingElevation = 0x38;
constexpr unsigned int kAllSystems = 4;

void Send(const LegacyEngine& e, CommandList& cmds, const char* text, std::uint32_t wait) {
  Legacy::AppendTemplateCommand(e, cmds, text, wait);
}

// A receiver frame that goes before every record already in the vector.
void SendFirst(const LegacyEngine& e, CommandList& cmds, const char* text, std::uint32_t wait) {
  CommandList one;
  Send(e, one, text, wait);
  cmds.insert(cmds.begin(), one.front());
}

bool RelayedBoard(MAINBD_OEM_TYPE b) {
  return b == OEM_TRIMBLE || b == OEM_NOVATEL || b == OEM_HEMISPHERE || b == OEM_HEMISPHERE2;
}

// Rover differential mode of the RM frame by correction format.
unsigned int DiffMode(std::uint32_t format) {
  switch (format) {
    case 3: return 32;
    case 4: return 64;
    case 5: return 160;
    case 7:
    case 14: return 96;
    default: return 128;
  }
}

}  // namespace

void LegacyEngine::Init(CommandList& cmds) {
  const MAINBD_OEM_TYPE board = BoardType();
  // The board's raw-observation interval is the receiver's setting.
  if (RelayedBoard(board) || board == OEM_SOFT_RECEIVER)
    adapter->commands->obs_interval = device_info.rec40_50[DEVICE_STR::kObsIntervalIndex];
  Legacy::AppendBoardCommands(*this, cmds, [](BoardAdapter& a, CommandList& out) { a.commands->Init(out); });
}

void LegacyEngine::StartBase(CommandList& cmds) {
  const auto board_commands = [&] {
    Legacy::AppendBoardCommands(*this, cmds, [](BoardAdapter& a, CommandList& out) { a.StartBase(out); });
  };
  switch (BoardType()) {
    case OEM_NOVATEL:
      SendFirst(*this, cmds, "RK,B0", kWaitStart);
      board_commands();
      Send(*this, cmds, "SJ,B96,B3", kWaitStart);
      if (base_port == 0) Send(*this, cmds, "ST,B1", kWaitStart);
      break;
    case OEM_TRIMBLE:
    case OEM_HEMISPHERE:
    case OEM_HEMISPHERE2:
      SendFirst(*this, cmds, "RG,B0", kWaitQuick);
      Send(*this, cmds, "SJ,B96,B3", kWaitQuick);
      board_commands();
      break;
    default:
      board_commands();
      break;
  }
}

void LegacyEngine::StartRover(CommandList& cmds) {
  const MAINBD_OEM_TYPE board = BoardType();
  if (board == OEM_NONE) return;
  const Rover_Config& rover = adapter->commands->rover;
  if (board == OEM_NOVATEL) {
    // The receiver itself starts a NovAtel rover.
    const unsigned int elevation = rover.elev_mask >= 91 ? 13u : rover.elev_mask;
    SetElevMask(cmds, elevation, 6.0, 0, kAllSystems);
    char text[32];
    std::snprintf(text, sizeof text, "RM,B%u", DiffMode(rover.diff_format) | elevation);
    Send(*this, cmds, text, kWaitMode);
    return;
  }
  const unsigned int elevation = rover.elev_mask;
  Legacy::AppendBoardCommands(*this, cmds, [](BoardAdapter& a, CommandList& out) { a.StartRover(out); });
  if (board == OEM_TRIMBLE || board == OEM_HEMISPHERE) SetElevMask(cmds, elevation, 6.0, 0, kAllSystems);
}

void LegacyEngine::Reset(CommandList& cmds) {
  const MAINBD_OEM_TYPE board = BoardType();
  if (board == OEM_NONE) return;
  Legacy::AppendBoardCommands(*this, cmds, [](BoardAdapter& a, CommandList& out) { a.Reset(out); });
  if (!RelayedBoard(board)) SendFirst(*this, cmds, "RK,B255", kWaitStart);
}

void LegacyEngine::SetElevMask(CommandList& cmds, unsigned int degrees, double, unsigned int, unsigned int system) {
  const MAINBD_OEM_TYPE board = BoardType();
  if (board == OEM_NONE) return;
  _STR_CMD setting = {};
  setting.buf[0] = kSettingElevation;
  setting.buf[1] = static_cast<unsigned char>(degrees);
  setting.len = 2;
  setting.wait = kWaitDevice;
  Legacy::FrameRecord(*this, setting, "SJ");
  cmds.push_back(setting);
  // The software receiver's mask applies to its first system.
  const unsigned int for_system = board == OEM_SOFT_RECEIVER ? 1 : system;
  Legacy::AppendBoardCommands(
      *this, cmds, [&](BoardAdapter& a, CommandList& out) { a.SetElevMask(out, degrees, for_system); });
  char text[32];
  std::snprintf(text, sizeof text, "SW,B1,B%u", degrees);
  Send(*this, cmds, text, kWaitDevice);
}

void LegacyEngine::SetPosRate(CommandList& cmds, GNSS_FRQ rate) {
  Legacy::AppendBoardCommands(*this, cmds, [&](BoardAdapter& a, CommandList& out) { a.SetPosRate(out, rate); });
}

void LegacyEngine::SendObs(CommandList& cmds, GNSS_FRQ rate) {
  Legacy::AppendBoardCommands(*this, cmds, [&](BoardAdapter& a, CommandList& out) { a.SendObs(out, rate); });
}

void LegacyEngine::SetNmea(CommandList& cmds, unsigned int message_mask, GNSS_FRQ rate, unsigned int port) {
  Legacy::AppendBoardCommands(
      *this, cmds, [&](BoardAdapter& a, CommandList& out) { a.SetNmea(out, message_mask, rate, port); });
}

void LegacyEngine::QueryElevMask(CommandList& cmds) {
  Legacy::AppendBoardCommands(*this, cmds, [](BoardAdapter& a, CommandList& out) { a.QueryElevMask(out); });
}

void LegacyEngine::Unlog(CommandList& cmds) {
  Legacy::AppendBoardCommands(*this, cmds, [](BoardAdapter& a, CommandList& out) { a.Unlog(out); });
}

void LegacyEngine::SendDiffData(CommandList& cmds, const unsigned char* data, unsigned int length) {
  if (data == nullptr) return;
  if (length == 0) {
    // An empty block still goes out: one VD frame with no payload.
    _STR_CMD empty = {};
    empty.wait = 10;
    Legacy::FrameRecord(*this, empty, "VD");
    cmds.push_back(empty);
    return;
  }
  Legacy::FramePieces(*this, cmds, data, length, "VD", 10);
}

}  // namespace KsParse
}  // namespace Kestrel
