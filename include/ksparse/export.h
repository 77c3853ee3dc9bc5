// KSPARSE_API marks what the shared library exports: the receiver object,
// the RTCM 3 decoder, Base64 and the locking classes. Everything else stays
// inside the library.
//
// Windows: the DLL build exports (KSPARSE_BUILDING_DLL), applications import;
// users of the static library define KSPARSE_STATIC (the CMake target
// ksparse::ksparse_static does that for them). Elsewhere the library is
// built with hidden visibility and the marked classes are made visible.
#pragma once

#if defined(_WIN32) || defined(__CYGWIN__)
#if defined(KSPARSE_STATIC)
#define KSPARSE_API
#elif defined(KSPARSE_BUILDING_DLL)
#define KSPARSE_API __declspec(dllexport)
#else
#define KSPARSE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define KSPARSE_API __attribute__((visibility("default")))
#else
#define KSPARSE_API
#endif
