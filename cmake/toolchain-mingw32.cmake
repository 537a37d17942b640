# Cross build of the Windows program for 32-bit x86 with mingw-w64, targeting Windows XP.
# There is no 32-bit Wine on the build machines, so this build is compiled, not run.
set(TARNWICK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501)
