// The legacy engine's dispatcher: what a complete legacy frame means, by its
// message code. Board data goes to the board adapter; the receiver's own
// records go to the handlers of legacy_device_info.cpp (SI),
// legacy_sat_tables.cpp (RH), legacy_modem_frames.cpp (VI) and
// legacy_status_frames.cpp (the rest). `frame_` is scratch that every parse
// step clears, so the handlers leave it as it is.
#include "engines/legacy_engine.h"

#include "legacy/legacy_frame.h"

namespace Kestrel {
namespace KsParse {

namespace MsgCode {
constexpr std::int32_t kRg = 128;
constexpr std::int32_t kRx = 133;
constexpr std::int32_t kSt = 137;
constexpr std::int32_t kVd = 139;
constexpr std::int32_t kVi = 143;
constexpr std::int32_t kVl = 144;
constexpr std::int32_t kRh = 145;
constexpr std::int32_t kSd = 146;
constexpr std::int32_t kSi = 147;
constexpr std::int32_t kSc = 149;
constexpr std::int32_t kSx = 150;
constexpr std::int32_t kSs = 151;
constexpr std::int32_t kVy = 152;
constexpr std::int32_t kFb = 153;
constexpr std::int32_t kFf = 154;
constexpr std::int32_t kFh = 155;
constexpr std::int32_t kFm = 156;
constexpr std::int32_t kFw = 157;
constexpr std::int32_t kVq = 158;
constexpr std::int32_t kFt = 159;
constexpr std::int32_t kFj = 160;
constexpr std::int32_t kFk = 161;
constexpr std::int32_t kVm = 1048;
}  // namespace MsgCode

void LegacyEngine::Dispatch() {
  using namespace MsgCode;
  changed_flags = 0;
  const unsigned char* p = frame_ + Legacy::kPayloadOffset;
  const unsigned n = frame_[5];
  // Board data and satellite tables need the board: without one the frame
  // is taken and reports nothing.
  if ((msg_code == kRg || msg_code == kRh || msg_code == kVq) && adapter == nullptr) return;
  switch (msg_code) {
    case kRg:
    case kVq:
      HandBoardPiece(p, n);
      return;
    case kRx: OnRx(p, n); return;
    case kSt: OnShutdown(p, n); return;
    case kVd:
    case kVl:
      return;
    case kVi: OnModemFrame(p, n); return;
    case kRh: OnSatTables(p, n); return;
    case kSd: OnStatus(p, n); return;
    case kSi: OnDeviceInfo(p, n); return;
    case kSc: Report(MSG_DEVICE, 0x80000); return;
    case kSx: Report(MSG_DEVICE, 0x40000); return;
    case kSs: OnSs(p, n); return;
    case kVy: OnFirmwareDebug(p, n); return;
    case kFb: OnFb(p, n); return;
    case kFf: OnFf(p, n); return;
    case kFh: OnWordPair(fh_pair, p, n, MSG_DEVICE, 0x80); return;
    case kFm: OnChunk(chunk_fm, p, n, 0x2, 0x4); return;
    case kFw: OnChunk(chunk_fw, p, n, 0x8, 0x10); return;
    case kFt: OnFt(p, n); return;
    case kFj: OnChunk(chunk_fj, p, n, 0x40, 0x80); return;
    case kFk: OnWordPair(fk_pair, p, n, MSG_DEVICE_FILE, 0x100); return;
    case kVm: OnModemList(p, n); return;
    default:
      // Identifiers without a meaning here end any collection in progress.
      if (collector != nullptr) collector->Clear();
      return;
  }
}

}  // namespace KsParse
}  // namespace Kestrel
