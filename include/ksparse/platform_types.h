// The operating-system types that exported records embed.
//
// On Windows a critical section is the system's CRITICAL_SECTION. Elsewhere it
// is a recursive POSIX mutex, because Windows critical sections may be entered
// again by the thread that holds them.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace Kestrel {
namespace KsParse {

#if defined(_WIN32)
using KsCriticalSection = CRITICAL_SECTION;
#else
using KsCriticalSection = pthread_mutex_t;
#endif

}  // namespace KsParse
}  // namespace Kestrel
