# Cross build for 32-bit ARM Linux (hard-float) with Debian's
# g++-arm-linux-gnueabihf. The programs run under QEMU user mode when ctest
# starts them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(KSPARSE_TRIPLE arm-linux-gnueabihf)

find_program(CMAKE_CXX_COMPILER NAMES ${KSPARSE_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${KSPARSE_TRIPLE}-gcc REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KSPARSE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(KSPARSE_QEMU NAMES qemu-arm qemu-arm-static)
if(KSPARSE_QEMU)
  # -L: the ARM C library and dynamic loader that the cross compiler uses.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KSPARSE_QEMU} -L /usr/${KSPARSE_TRIPLE})
endif()
