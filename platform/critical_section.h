// Critical sections: Windows critical sections on Windows, recursive POSIX
// mutexes elsewhere. The names are our own so that they never meet the
// Windows API functions of the same purpose in overload resolution.
#pragma once

#include <ksparse/platform_types.h>

namespace Kestrel {
namespace KsParse {
namespace Platform {

void SectionInit(KsCriticalSection* section);
// For a section that one thread never enters twice (a lock held only inside
// one short operation): a plain POSIX mutex, cheaper to enter and leave than
// a recursive one. Windows critical sections are recursive either way.
void SectionInitPlain(KsCriticalSection* section);
void SectionDelete(KsCriticalSection* section);

// Entered and left inline: the receive buffer takes its section twice for
// every frame it hands out.
inline void SectionEnter(KsCriticalSection* section) {
#if defined(_WIN32)
  ::EnterCriticalSection(section);
#else
  pthread_mutex_lock(section);
#endif
}

inline void SectionLeave(KsCriticalSection* section) {
#if defined(_WIN32)
  ::LeaveCriticalSection(section);
#else
  pthread_mutex_unlock(section);
#endif
}

// Enters a critical section for the lifetime of the guard.
class SectionGuard {
 public:
  explicit SectionGuard(KsCriticalSection* section) : section_(section) {
    SectionEnter(section_);
  }
  ~SectionGuard() { SectionLeave(section_); }
  SectionGuard(const SectionGuard&) = delete;
  SectionGuard& operator=(const SectionGuard&) = delete;

 private:
  KsCriticalSection* section_;
};

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
