# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686). The
# programs built run under Wine through cmake/wine-run.sh (CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTRUM_MINGW_PREFIX i686-w64-mingw32)

# The POSIX thread model: its C++ library has std::mutex and std::thread (GoogleTest
# needs them); its thread library is linked statically like the other runtimes.
set(CMAKE_C_COMPILER ${KESTRUM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRUM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRUM_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${KESTRUM_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${KESTRUM_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRUM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
