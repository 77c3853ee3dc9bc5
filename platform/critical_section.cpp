#include "platform/critical_section.h"

namespace Kestrel {
namespace KsParse {
namespace Platform {

#if defined(_WIN32)

void SectionInit(KsCriticalSection* section) { ::InitializeCriticalSection(section); }
void SectionInitPlain(KsCriticalSection* section) { ::InitializeCriticalSection(section); }
void SectionDelete(KsCriticalSection* section) { ::DeleteCriticalSection(section); }

#else

void SectionInit(KsCriticalSection* section) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(section, &attr);
  pthread_mutexattr_destroy(&attr);
}

void SectionInitPlain(KsCriticalSection* section) { pthread_mutex_init(section, nullptr); }

void SectionDelete(KsCriticalSection* section) { pthread_mutex_destroy(section); }

#endif

}  // namespace Platform
}  // namespace KsParse
}  // namespace Kestrel
