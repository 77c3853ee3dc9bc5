#include "engines/legacy_engine.h"

#include <cstring>
#include <new>

#include "boards/adapter_factory.h"
#include "boards/novatel/novatel_wire.h"
#include "engines/parse_step.h"

namespace Kestrel {
namespace KsParse {

namespace {

struct IdentifierCode {
  char first;
  char second;
  std::int16_t code;
};

constexpr IdentifierCode kIdentifiers[] = {
    {'R', 'G', 128}, {'R', 'K', 129}, {'R', 'Z', 130}, {'R', 'X', 133}, {'R', 'C', 134},
    {'R', 'R', 135}, {'R', 'S', 136}, {'S', 'T', 137}, {'V', 'S', 138}, {'V', 'D', 139},
    {'V', 'C', 140}, {'V', 'F', 141}, {'V', 'R', 142}, {'V', 'I', 143}, {'V', 'L', 144},
    {'R', 'H', 145}, {'S', 'D', 146}, {'S', 'I', 147}, {'S', 'C', 149}, {'S', 'X', 150},
    {'S', 'S', 151}, {'V', 'Y', 152}, {'F', 'B', 153}, {'F', 'F', 154}, {'F', 'H', 155},
    {'F', 'M', 156}, {'F', 'W', 157}, {'V', 'Q', 158}, {'F', 'T', 159}, {'F', 'J', 160},
    {'F', 'K', 161}, {'V', 'M', 1048},
};

constexpr unsigned int kLegacyHeader = 6;     // "$$", identifier, route, length
constexpr unsigned int kNovAtelHeader = 28;

// NovAtel logs are read only from a software-receiver board; on any other
// board 0xAA is skipped like every byte that begins no frame.
constexpr StartBytes kLegacyStarts = Starts({'$'});
constexpr StartBytes kSoftReceiverStarts = Starts({'$', 0xAA});

bool IsIdentifierLetter(unsigned char c) { return c >= 'A' && c <= 'Z'; }

// The frame's check value makes the exclusive-or of its bytes, from "$$"
// through the check byte, zero.
bool CheckFoldsToZero(const unsigned char* frame, unsigned int payload) {
  unsigned char check = 0;
  for (unsigned int i = 0; i <= payload + kLegacyHeader; ++i) check ^= frame[i];
  return check == 0;
}

// A start at which the parse step would skip one byte anyway, decided while
// the receive buffer passes over bytes, so that a run of false starts costs
// a few instructions a byte rather than a parse step each: 0xAA not
// followed by 0x44 0x12; a "$" frame whose whole length is buffered and
// whose check value is wrong; a "$" whose identifier is not two capital
// letters. The last is a choice of this engine: the receiver names every
// frame with two capitals, and such a frame used to be taken and ignored
// whole, so a frame behind a false "$" that claimed it was lost; now the
// "$" alone is passed over and the search goes on behind it.
bool NoLegacyFrame(const unsigned char* p, int held) {
  if (p[0] == 0xAA) return held >= 3 && (p[1] != 0x44 || p[2] != 0x12);
  if (held < 4) return false;
  if (!IsIdentifierLetter(p[2]) || !IsIdentifierLetter(p[3])) return true;
  if (held < static_cast<int>(kLegacyHeader)) return false;
  const unsigned int payload = p[5];
  if (held < static_cast<int>(payload + kLegacyHeader + 3)) return false;
  return !CheckFoldsToZero(p, payload);
}

}  // namespace

LegacyEngine::LegacyEngine()
    : ProtocolEngine(GNSS_MNFCTR_NORVIK), collector(new (std::nothrow) FrameBuffer()) {}

LegacyEngine::~LegacyEngine() {
  delete collector;
  collector = nullptr;
}

std::int32_t LegacyEngine::MessageCode(unsigned char first, unsigned char second) {
  for (const IdentifierCode& id : kIdentifiers) {
    if (static_cast<unsigned char>(id.first) == first &&
        static_cast<unsigned char>(id.second) == second)
      return id.code;
  }
  return first * 256 + second;
}

bool LegacyEngine::SelectBoard(MAINBD_OEM_TYPE type) {
  ReplaceAdapter(nullptr);
  BoardAdapter* next = nullptr;
  switch (type) {
    case OEM_TRIMBLE:
      next = CreateTrimbleAdapter(board_generation == 1 ? 1 : board_generation == 2 ? 0 : -1);
      if (next != nullptr) next->decoder->sat_detail = 0;
      break;
    case OEM_SOFT_RECEIVER:
      next = CreateSoftReceiverAdapter();
      break;
    case OEM_HEMISPHERE:
      next = CreateHemisphereAdapter();
      if (next != nullptr) next->decoder->gps_sat_hold = 1;
      break;
    case OEM_HEMISPHERE2:
      next = CreateHemisphere2Adapter();
      if (next != nullptr) {
        BoardDecoder& d = *next->decoder;
        d.sentence_hold = d.gps_sat_hold = d.glo_sat_hold = d.bds_sat_hold = d.parse_nmea = 1;
      }
      break;
    case OEM_NOVATEL:
      next = CreateNovAtelAdapter(board_generation);
      if (next != nullptr) {
        BoardDecoder& d = *next->decoder;
        d.sentence_hold = d.gps_sat_hold = d.glo_sat_hold = d.bds_sat_hold = 1;
      }
      break;
    default:  // every other type is served as a NovAtel board
      next = CreateNovAtelAdapter(0);
      break;
  }
  if (next != nullptr) next->commands->relayed = 1;
  ReplaceAdapter(next);
  detected_board = device_info.detected_board = 0;
  return true;
}

LegacyEngine::LegacyRead LegacyEngine::ReadLegacyFrame() {
  last_kind = MSG_NONE;
  if (!rx->Read(frame_ + 1, 5)) return LegacyRead::kIncomplete;
  if (!IsIdentifierLetter(frame_[2]) || !IsIdentifierLetter(frame_[3])) return LegacyRead::kBadCheck;
  const unsigned int payload = frame_[5];
  if (!rx->Read(frame_ + kLegacyHeader, static_cast<int>(payload + 3))) return LegacyRead::kIncomplete;
  if (!CheckFoldsToZero(frame_, payload)) return LegacyRead::kBadCheck;
  msg_code = MessageCode(frame_[2], frame_[3]);
  Dispatch();
  return LegacyRead::kDispatched;
}

int LegacyEngine::ReadBinaryFrame() {
  if (adapter == nullptr || adapter->oem_type != OEM_SOFT_RECEIVER) return -1;
  if (!rx->Read(frame_ + 1, 2) || frame_[1] != 0x44 || frame_[2] != 0x12) return -1;
  changed_flags = 0;
  if (!rx->Read(frame_ + 3, static_cast<int>(kNovAtelHeader - 3))) return 0;
  const unsigned int body = frame_[8] + 256u * frame_[9];
  // A log that cannot fit the frame buffer is not a log the board sends: it
  // is treated as garbage and skipped byte by byte.
  if (kNovAtelHeader + body + 4 > kFrameSize) return -1;
  if (!rx->Read(frame_ + kNovAtelHeader, static_cast<int>(body + 4))) return 0;
  // The adapter is handed as many bytes as the header length byte says; any
  // beyond what was read are zeros, never bytes of an earlier frame.
  const unsigned int read = kNovAtelHeader + body + 4;
  const unsigned int header = frame_[3];
  const unsigned int count = header + body + 4 <= kFrameSize ? header + body + 4 : kFrameSize;
  if (count > read) std::memset(frame_ + read, 0, count - read);
  if (HandToAdapter(frame_, count)) return FinishStep(*rx, StepOutcome::kTaken);
  // The engine hands whole logs: what a refusing adapter kept of this one
  // would be glued to the front of the next.
  if (adapter->frame != nullptr) adapter->frame->Clear();
  // A log with a good CRC that the adapter does not decode is consumed
  // whole; a false start costs one byte, so a log behind it is still found.
  return FinishStep(*rx, NovAtel::IsIntactLog(frame_, count) ? StepOutcome::kRefused : StepOutcome::kRejected);
}

void LegacyEngine::HandBoardPiece(const unsigned char* bytes, unsigned int count) {
  if (adapter == nullptr || adapter->frame == nullptr) return;
  std::uint32_t held = adapter->frame->length + count;
  if (HandToAdapter(bytes, count)) return;
  // A frame step that refuses a candidate drops only its false start and
  // keeps the bytes from the next possible frame start on; those are tried
  // at once, as they may already hold a whole frame. Every pass shrinks the
  // collected bytes, so the loop ends within their count.
  for (std::uint32_t left = adapter->frame->length; left != 0 && left < held; left = adapter->frame->length) {
    held = left;
    if (ProcessHeldFrame()) return;
  }
}

int LegacyEngine::ParseNext() {
  if (rx == nullptr) return 0;
  // Bytes that begin no frame, and false starts, are passed over in one go,
  // as the same number of steps that each skip one byte would.
  const bool soft_receiver = adapter != nullptr && adapter->oem_type == OEM_SOFT_RECEIVER;
  rx->BeginStepSkipping(soft_receiver ? kSoftReceiverStarts.may_start : kLegacyStarts.may_start, 1, NoLegacyFrame);
  // Every reader fills the part of frame_ that it and the handlers then
  // read, so the buffer is not cleared for each step.
  if (!rx->Read(frame_, 1)) return 0;
  if (frame_[0] == 0x24) {
    switch (ReadLegacyFrame()) {
      case LegacyRead::kIncomplete:
        return 0;
      case LegacyRead::kDispatched:
        return FinishStep(*rx, StepOutcome::kTaken);
      case LegacyRead::kBadCheck:
        break;
    }
  } else if (frame_[0] == 0xAA) {
    unsigned char sync[2];
    if (!rx->Peek(sync, 2)) return 0;
    if (sync[0] == 0x44 && sync[1] == 0x12) {
      const int result = ReadBinaryFrame();
      if (result >= 0) return result;
    }
  }
  last_kind = MSG_NONE;
  changed_flags = 0;
  return FinishStep(*rx, StepOutcome::kSkip);
}

}  // namespace KsParse
}  // namespace Kestrel
