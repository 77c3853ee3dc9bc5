#include "platform/critical_section.h"

namespace Kestrel {
namespace KsParse {
namespace Platform {

#if defined(_WIN32)

void InitializeCriticalSection(KsCriticalSection* section) { ::InitializeCriticalSection(section); }
void EnterCriticalSection(KsCriticalSection* section) { ::EnterCriticalSection(section); }
void LeaveCriticalSection(KsCriticalSection* section) { ::LeaveCriticalSection(section); }
void DeleteCriticalSection(KsCriticalSection* section) { ::DeleteCriticalSection(section); }

#else

void InitializeCriticalSection(KsCriticalSection* section) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(section, &attr);
  pthread_mutexattr_destroy(&attr);
}

void EnterCriticalSection(KsCriticalSection* section) { pthread_mutex_lock(section); }
void LeaveCriticalSection(KsCriticalSection* section) { pthread_mutex_unlock(section); }
void DeleteCriticalSection(KsCriticalSection* section) { pthread_mutex_destroy(section); }

#endif

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
