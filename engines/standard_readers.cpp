// The frame readers of the standard-receiver engine. Each starts with the
// three start bytes in frame_ and the receive cursor after them, reads the
// rest of its frame from the receive buffer and says how the step ends:
// incomplete (wait for more bytes), taken, rejected, or no frame here.
#include <cstring>

#include "boards/hemisphere/hemisphere_wire.h"
#include "boards/nmea/nmea_frame.h"
#include "boards/nmea/nmea_scan.h"
#include "boards/novatel/novatel_wire.h"
#include "engines/standard_engine.h"
#include "rtcm/crc24q.h"

namespace Kestrel {
namespace KsParse {

namespace {

constexpr unsigned int kNovAtelHeader = 28;
constexpr unsigned int kNovAtelCrc = 4;
constexpr unsigned int kRtcm3Overhead = 6;  // 3 header and 3 CRC bytes
constexpr unsigned int kTrimbleOverhead = 6;  // STX, status, type, length, checksum, ETX
constexpr unsigned int kHemisphereHeader = 8;
constexpr unsigned int kHemisphereTrailer = 4;  // checksum and CR LF

unsigned int Le16(const unsigned char* p) { return p[0] | (static_cast<unsigned int>(p[1]) << 8); }

}  // namespace

StepOutcome StandardEngine::Deliver(unsigned int count, bool (*intact)(const unsigned char*, unsigned int),
                                    bool checked) {
  if (HandToAdapter(frame_, count, checked)) return StepOutcome::kTaken;
  // The engine hands whole frames only: bytes that a refusing adapter kept
  // would be glued to the front of the next frame.
  if (adapter != nullptr && adapter->frame != nullptr) adapter->frame->Clear();
  // A frame whose own check passes is a real frame the board sent, only not
  // one the adapter decodes: it is consumed whole, so that nothing inside it
  // is mistaken for a frame. Any other refusal costs one byte.
  return intact != nullptr && intact(frame_, count) ? StepOutcome::kRefused : StepOutcome::kRejected;
}

namespace {

bool AlwaysIntact(const unsigned char*, unsigned int) { return true; }

// Asked only when the adapter refused a log, so a clean stream pays no
// second CRC for the logs it decodes.
bool NovAtelIntact(const unsigned char* frame, unsigned int count) { return NovAtel::IsIntactLog(frame, count); }

// The board's own check: the 16-bit sum of the data bytes.
bool HemisphereBinaryIntact(const unsigned char* frame, unsigned int count) {
  return Hemisphere::BinSumMatches(frame, count - kHemisphereHeader - kHemisphereTrailer);
}

}  // namespace

namespace {

// The first position in [i, to) holding "*", CR, LF or "$" (to when none).
// All four lie below "+", which the rest of a sentence seldom holds: eight
// bytes without such a byte are passed over at once.
int FirstMark(const unsigned char* s, int i, int to) {
  for (;;) {
    while (i + 8 <= to && !NmeaScan::AnyBelow(NmeaScan::Load(s + i), '+')) i += 8;
    const int stop = i + 8 < to ? i + 8 : to;
    for (; i < stop; ++i) {
      const unsigned char c = s[i];
      if (c == '*' || c == '\r' || c == '\n' || c == '$') return i;
    }
    if (i >= to) return to;
  }
}

}  // namespace

// "$" and a talker: the sentence runs to "*", two check characters and CR LF.
// It is examined only once a whole window is held (a GGA's is shorter, so
// that positions are not held back by the slower sentences), and its end
// must lie within the 300-byte limit. The step's start copied the head of
// the window to frame_; the sentence is taken, if at all, by naming its
// length.
StepOutcome StandardEngine::ReadNmea(int held, int copied, int& taken) {
  if (held < 6) return StepOutcome::kIncomplete;
  const bool gga = frame_[3] == 'G' && frame_[4] == 'G' && frame_[5] == 'A';
  const int window = gga ? kNmeaGgaWindow : kNmeaWindow;
  if (held < window) return StepOutcome::kIncomplete;
  // The end is the first position i < scan_end holding "*", or three places
  // before a CR, or four before an LF, the CR or LF lying inside the window
  // (from position 3 and 4 on). Positions 1 and 2 hold the talker.
  const int scan_end = window < kNmeaMax - 4 ? window : kNmeaMax - 4;
  const int limit = scan_end + 4 < window ? scan_end + 4 : window;

  // The common sentence is told in one pass: printable body up to "*", two
  // check characters, then CR LF or LF. The frame step's own checks (body,
  // check value) come with that pass, and the frame step is told so. Check
  // characters lie above "$", so the tail holds neither a "$" nor an
  // earlier end; every later "*", CR or LF lies past the "*".
  const int seen = limit < copied ? limit : copied;
  const NmeaBody body = ScanNmeaBody(frame_, static_cast<std::uint32_t>(seen));
  const int star = static_cast<int>(body.stop);
  if (!body.foreign && star + 4 < seen) {
    const unsigned char* tail = frame_ + star;
    const bool checked = tail[0] == '*' && tail[1] > '$' && tail[2] > '$';
    const bool lf_tail = checked && tail[3] == '\n';
    const bool crlf_tail = checked && tail[3] == '\r' && tail[4] == '\n' && star < scan_end;
    if (lf_tail || crlf_tail) {
      const int length = lf_tail ? star + 4 : star + 5;
      // A GGA whose "*" lies at the window's edge needs a few bytes more.
      if (length > held) return StepOutcome::kIncomplete;
      // A sentence whose check characters do not match is refused, as the
      // frame step would refuse it.
      if (!NmeaCheckMatches(tail + 1, body.folded)) return StepOutcome::kRejected;
      taken = length;
      return Deliver(static_cast<unsigned int>(length), nullptr, true);
    }
  }
  return ReadOtherNmea(held, copied, window, taken);
}

// Any other candidate, with the whole window at hand: the first "*", CR or
// LF (from position 3, an LF from 4), noting a "$" before it.
StepOutcome StandardEngine::ReadOtherNmea(int held, int copied, int window, int& taken) {
  if (copied < window && !rx->Peek(frame_, window)) return StepOutcome::kIncomplete;
  const int scan_end = window < kNmeaMax - 4 ? window : kNmeaMax - 4;
  const int limit = scan_end + 4 < window ? scan_end + 4 : window;
  bool dollar = false;
  int first = 3;
  for (;; ++first) {
    first = FirstMark(frame_, first, limit);
    if (first >= limit) return StepOutcome::kRejected;  // no end within the limit
    if (frame_[first] == '$') {
      dollar = true;
    } else if (frame_[first] != '\n' || first >= 4) {
      break;
    }
  }
  // Only the four bytes after `first` can still give an earlier end than the
  // byte at `first` does.
  int end = -1;
  for (int j = first; j <= first + 4 && j < limit; ++j) {
    const unsigned char c = frame_[j];
    int i = -1;
    if (c == '*' && j < scan_end) i = j;
    if (c == '\r' && j - 3 < scan_end) i = j - 3;
    if (c == '\n' && j >= 4) i = j - 4;  // limit keeps j - 4 below scan_end
    if (i >= 0 && (end < 0 || i < end)) end = i;
  }
  if (end < 0) return StepOutcome::kRejected;
  const int length = end + 5;
  // A line end inside the six name bytes: no sentence starts here.
  if (length <= 6) return StepOutcome::kSkip;
  if (length > held) return StepOutcome::kIncomplete;
  // A "$" inside the candidate starts another sentence: this one was cut
  // short by noise, and the search resumes at that "$".
  for (int j = first; j < length && !dollar; ++j) dollar = frame_[j] == '$';
  if (dollar) return StepOutcome::kRejected;
  // Before its "*" or line end a sentence holds printable ASCII only; a line
  // end or binary byte there means noise that merely began like a sentence.
  // The frame step that every adapter of this engine hands NMEA of its
  // talkers to refuses such a sentence (and one whose check characters do
  // not match), which ends the step as a rejection here would. Only an LF
  // right after the talker is no end for either and is refused here.
  if (frame_[3] == '\n') return StepOutcome::kRejected;
  taken = length;
  return Deliver(static_cast<unsigned int>(length), nullptr);
}

// 0xAA 0x44 0x12: header length H (byte 3), message length M (bytes 8-9),
// then M message bytes and a CRC-32 that the adapter checks.
StepOutcome StandardEngine::ReadNovAtel() {
  if (!rx->Read(frame_ + 3, kNovAtelHeader - 3)) return StepOutcome::kIncomplete;
  const unsigned int header = frame_[3];
  const unsigned int body = Le16(frame_ + 8);
  // The bytes read (a 28-byte header, M, CRC) and the bytes handed on
  // (H, M, CRC) must both fit the frame. A longer log is no log the board
  // sends: it is refused before its body is awaited, so that a false sync
  // with a huge length cannot hold the buffer.
  const unsigned int read_header = header > kNovAtelHeader ? header : kNovAtelHeader;
  if (read_header + body + kNovAtelCrc > kFrameSize) return StepOutcome::kRejected;
  if (!rx->Read(frame_ + kNovAtelHeader, static_cast<int>(body + kNovAtelCrc)))
    return StepOutcome::kIncomplete;
  const unsigned int read = kNovAtelHeader + body + kNovAtelCrc;
  const unsigned int count = header + body + kNovAtelCrc;
  // A header longer than 28 bytes is handed on with zeros where nothing
  // was read.
  if (count > read) std::memset(frame_ + read, 0, count - read);
  return Deliver(count, NovAtelIntact);
}

// 0xD3: 10-bit length N in bits 14-23, N data bytes, CRC-24Q.
StepOutcome StandardEngine::ReadRtcm3() {
  const unsigned int length = (static_cast<unsigned int>(frame_[1] & 0x03) << 8) | frame_[2];
  if (!rx->Read(frame_ + 3, static_cast<int>(length + 3))) return StepOutcome::kIncomplete;
  const unsigned char* crc = frame_ + 3 + length;
  const std::uint32_t expected = (static_cast<std::uint32_t>(crc[0]) << 16) |
                                 (static_cast<std::uint32_t>(crc[1]) << 8) | crc[2];
  if (!Rtcm::CheckCrc24q(frame_, static_cast<int>(length + 3), expected))
    return StepOutcome::kRejected;
  return Deliver(length + kRtcm3Overhead, AlwaysIntact);
}

// 0x02 (STX), status, type, length N, N data bytes, checksum, ETX. The
// checksum is the sum of status, type, length and data modulo 256; the ETX
// byte is handed on untested.
StepOutcome StandardEngine::ReadTrimble() {
  if (!rx->Read(frame_ + 3, 1)) return StepOutcome::kIncomplete;
  const unsigned int length = frame_[3];
  if (!rx->Read(frame_ + 4, static_cast<int>(length + 2))) return StepOutcome::kIncomplete;
  unsigned int sum = 0;
  for (unsigned int i = 1; i < length + 4; ++i) sum += frame_[i];
  if ((sum & 0xFF) != frame_[length + 4]) return StepOutcome::kRejected;
  return Deliver(length + kTrimbleOverhead, AlwaysIntact);
}

// "$BIN", block ID, data length L (bytes 6-7), L data bytes, a 16-bit sum
// of the data and CR LF.
StepOutcome StandardEngine::ReadHemisphereBinary() {
  if (!rx->Read(frame_ + 3, kHemisphereHeader - 3)) return StepOutcome::kIncomplete;
  const unsigned int length = Le16(frame_ + 6);
  if (length >= kHemisphereDataLimit) return StepOutcome::kRejected;
  if (!rx->Read(frame_ + kHemisphereHeader, static_cast<int>(length + kHemisphereTrailer)))
    return StepOutcome::kIncomplete;
  const unsigned int count = kHemisphereHeader + length + kHemisphereTrailer;
  // A frame whose bytes cancel out under exclusive-or is refused. The
  // adapter applies the same test and reads the board's checksum itself,
  // so this engine does not compute the checksum a second time.
  unsigned char folded = 0;
  for (unsigned int i = 0; i < count; ++i) folded ^= frame_[i];
  if (folded == 0) return StepOutcome::kRejected;
  return Deliver(count, HemisphereBinaryIntact);
}

// "$>J": a text reply whose CR LF lies within its first 100 bytes. Only the
// three start bytes are consumed; the reply's text is then passed over byte
// by byte by the following steps.
StepOutcome StandardEngine::ReadHemisphereReply() {
  if (!rx->Peek(frame_ + 3, kReplyWindow)) return StepOutcome::kIncomplete;
  for (int i = 0; i + 1 < kReplyWindow; ++i) {
    if (frame_[i] == '\r' && frame_[i + 1] == '\n') return Deliver(static_cast<unsigned int>(i + 2), AlwaysIntact);
  }
  return StepOutcome::kRejected;
}

}  // namespace KsParse
}  // namespace Kestrel
