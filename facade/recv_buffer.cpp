#include "facade/recv_buffer.h"

#include <cstring>

#include "platform/critical_section.h"

namespace Kestrel {
namespace KsParse {

using Platform::SectionGuard;

RecvBuffer::RecvBuffer() {
  // No operation calls another while it holds the lock.
  Platform::SectionInitPlain(&lock_);
  Reset();
}

RecvBuffer::~RecvBuffer() {
  Reset();
  Platform::SectionDelete(&lock_);
}

void RecvBuffer::Reset() {
  SectionGuard guard(&lock_);
  cursor_ = fill_ = mark_ = 0;
}

void RecvBuffer::Append(const unsigned char* bytes, unsigned int n) {
  SectionGuard guard(&lock_);
  if (n <= static_cast<unsigned int>(kCapacity - fill_)) {
    if (n != 0) std::memcpy(data_ + fill_, bytes, n);
    fill_ += static_cast<int>(n);
  } else {
    cursor_ = fill_ = mark_ = 0;
  }
}

bool RecvBuffer::Read(void* dest, int n) {
  SectionGuard guard(&lock_);
  if (dest == nullptr || n < 1 || n > fill_ - cursor_) return false;
  std::memcpy(dest, data_ + cursor_, static_cast<size_t>(n));
  cursor_ += n;
  return true;
}

bool RecvBuffer::Peek(void* dest, int n) {
  SectionGuard guard(&lock_);
  // A negative count is refused: it would name bytes before the cursor.
  if (dest == nullptr || n < 0 || n > fill_ - cursor_) return false;
  if (n != 0) std::memcpy(dest, data_ + cursor_, static_cast<size_t>(n));
  return true;
}

bool RecvBuffer::ReadLine(void* dest, int /*size_unused*/, int* out_length) {
  SectionGuard guard(&lock_);
  // A CR at index i < end can begin a CR LF: the LF must be a filled byte
  // too. The scan ends where a line would be longer than kMaxLine + 1: a
  // longer line fails alike and is reported with length kMaxLine + 2, so
  // that a flood of unended lines costs at most kMaxLine bytes of scanning
  // per attempt, not the whole buffer.
  const int bound = cursor_ + kMaxLine;
  const bool cut = fill_ - 1 > bound;
  const int end = cut ? bound : fill_ - 1;
  int i = cursor_;
  int found = -1;
  while (i < end) {
    const void* cr = std::memchr(data_ + i, 0x0D, static_cast<size_t>(end - i));
    if (cr == nullptr) break;
    i = static_cast<int>(static_cast<const unsigned char*>(cr) - data_);
    if (data_[i + 1] == 0x0A) {
      found = i;
      break;
    }
    ++i;
  }
  i = found >= 0 ? found : cut ? bound : fill_;
  const int length = i - cursor_ + 2;
  if (out_length != nullptr) *out_length = length;
  if (i >= fill_ || length > kMaxLine || dest == nullptr) return false;
  std::memcpy(dest, data_ + cursor_, static_cast<size_t>(length));
  cursor_ = i;
  return true;
}

void RecvBuffer::Discard(int n) {
  SectionGuard guard(&lock_);
  // A negative count would move the mark backwards; it is ignored.
  if (n >= 0 && n <= fill_ - mark_) mark_ += n;
}

void RecvBuffer::Commit() {
  SectionGuard guard(&lock_);
  mark_ = cursor_;
}

void RecvBuffer::Rollback() {
  SectionGuard guard(&lock_);
  cursor_ = mark_;
}

void RecvBuffer::Compact() {
  SectionGuard guard(&lock_);
  CompactLocked();
}

void RecvBuffer::CompactLocked() {
  if (mark_ == 0) return;
  std::memmove(data_, data_ + mark_, static_cast<size_t>(fill_ - mark_));
  fill_ -= mark_;
  cursor_ -= mark_;
  mark_ = 0;
}

void RecvBuffer::BeginStep() {
  SectionGuard guard(&lock_);
  if (fill_ > kCompactThreshold) CompactLocked();
  cursor_ = mark_;
}

int RecvBuffer::BeginStepSkipping(const std::uint8_t* may_start, int window, NoFrameHere no_frame,
                                  unsigned char* head, int head_size, int* held) {
  SectionGuard guard(&lock_);
  int i = mark_;
  const int last = fill_ - (window > 1 ? window : 1);  // last byte with `window` bytes from it
  while (i <= last && (may_start[data_[i]] == 0 || (no_frame != nullptr && no_frame(data_ + i, fill_ - i)))) ++i;
  mark_ = cursor_ = i;
  // The step that follows the skipped ones starts by compacting, as every
  // step does: the bytes just passed over are reclaimed at once, so that a
  // long run of unusable bytes cannot leave the buffer too full for the
  // next block.
  if (fill_ > kCompactThreshold) CompactLocked();
  if (held != nullptr) *held = fill_ - mark_;
  if (head == nullptr || head_size <= 0) return 0;
  const int copied = fill_ - mark_ < head_size ? fill_ - mark_ : head_size;
  std::memcpy(head, data_ + mark_, static_cast<size_t>(copied));
  return copied;
}

int RecvBuffer::Cursor() const {
  SectionGuard guard(&lock_);
  return cursor_;
}

int RecvBuffer::Fill() const {
  SectionGuard guard(&lock_);
  return fill_;
}

int RecvBuffer::Mark() const {
  SectionGuard guard(&lock_);
  return mark_;
}

int RecvBuffer::Held() const {
  SectionGuard guard(&lock_);
  return fill_ - mark_;
}

}  // namespace KsParse
}  // namespace Kestrel
