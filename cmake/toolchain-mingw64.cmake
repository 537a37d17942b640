# Cross build of the Windows program for x86-64 with mingw-w64 (Debian's win32 thread model).
# Tests run under Wine through the emulator wrapper, in a Wine prefix kept in the build tree.
set(TARNWICK_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wine-prefix)
