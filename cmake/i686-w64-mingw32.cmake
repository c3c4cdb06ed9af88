# The 32-bit Windows program: cmake --preset windows (CMakePresets.json).
set(DNSPEEK_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
