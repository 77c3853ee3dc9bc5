// Critical sections with the Windows calling convention on every platform.
#pragma once

#include <ksparse/platform_types.h>

namespace Kestrel {
namespace KsParse {
namespace Platform {

void InitializeCriticalSection(KsCriticalSection* section);
void EnterCriticalSection(KsCriticalSection* section);
void LeaveCriticalSection(KsCriticalSection* section);
void DeleteCriticalSection(KsCriticalSection* section);

// Enters a critical section for the lifetime of the guard.
class SectionGuard {
 public:
  explicit SectionGuard(KsCriticalSection* section) : section_(section) {
    EnterCriticalSection(section_);
  }
  ~SectionGuard() { LeaveCriticalSection(section_); }
  SectionGuard(const SectionGuard&) = delete;
  SectionGuard& operator=(const SectionGuard&) = delete;

 private:
  KsCriticalSection* section_;
};

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
