# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads
# variant, which std::thread needs). The programs run under Wine when
# ctest starts them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KSPARSE_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES ${KSPARSE_TRIPLE}-g++-posix ${KSPARSE_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${KSPARSE_TRIPLE}-gcc-posix ${KSPARSE_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KSPARSE_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KSPARSE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and DLLs carry the compiler's runtime, so that they run from any
# folder (and under Wine) without libstdc++-6.dll, libgcc_s_seh-1.dll or
# libwinpthread-1.dll beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# wine64 directly: the `wine` launcher warns about a missing 32-bit Wine on
# every start. wine_run.sh keeps Wine's background services off the output
# pipe that ctest reads.
find_program(KSPARSE_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib/wine64)
if(KSPARSE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh ${KSPARSE_WINE})
endif()
