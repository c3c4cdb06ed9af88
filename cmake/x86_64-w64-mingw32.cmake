# The 64-bit Windows program: cmake --preset windows64 (CMakePresets.json).
set(DNSPEEK_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
