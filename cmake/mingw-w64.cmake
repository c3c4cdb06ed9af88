# Cross-builds the Windows program with Debian's mingw-w64, for the target
# that the toolchain file including this one names in DNSPEEK_MINGW_TARGET.
# The posix thread model: the win32 one has no std::thread or std::mutex in
# GCC 12, and the tests use both.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${DNSPEEK_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DNSPEEK_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${DNSPEEK_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DNSPEEK_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread linked in: the .exe needs no DLL
# beyond those every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
