# Settings shared by the mingw-w64 toolchain files; TARNWICK_MINGW_TRIPLET names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TARNWICK_MINGW_TRIPLET})

set(CMAKE_C_COMPILER ${TARNWICK_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable that needs only the system's DLLs: the compiler's runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
# Release executables ship without their symbol tables.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
