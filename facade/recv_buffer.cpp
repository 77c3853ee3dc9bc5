#include "facade/recv_buffer.h"

#include <cstring>

#include "platform/critical_section.h"

namespace Kestrel {
namespace KsParse {

using Platform::SectionGuard;

RecvBuffer::RecvBuffer() {
  Platform::SectionInit(&lock_);
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
  int i = cursor_;
  // The LF must be a filled byte too, so the scan stops one short of fill.
  while (i + 1 < fill_ && !(data_[i] == 0x0D && data_[i + 1] == 0x0A)) ++i;
  if (i + 1 >= fill_) i = fill_;
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

void RecvBuffer::BeginStepSkipping(const std::uint8_t* may_start, int window) {
  SectionGuard guard(&lock_);
  if (fill_ > kCompactThreshold) CompactLocked();
  int i = mark_;
  const int last = fill_ - (window > 1 ? window : 1);  // last byte with `window` bytes from it
  while (i <= last && may_start[data_[i]] == 0) ++i;
  mark_ = cursor_ = i;
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

}  // namespace KsParse
}  // namespace Kestrel
