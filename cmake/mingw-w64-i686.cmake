# Cross-compiling toolchain for the 32-bit Windows build: Debian's mingw-w64
# i686 compilers (package g++-mingw-w64-i686). Use with
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# for this project, and for a program of one's own on an installed Windows
# build of the library with -DCMAKE_PREFIX_PATH=<its prefix> as well.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TELKA_MINGW_PREFIX i686-w64-mingw32)
# Debian ships -win32 and -posix thread-model variants; the plain names point
# at the default one, which is all a single-threaded program needs.
set(CMAKE_C_COMPILER ${TELKA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TELKA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TELKA_MINGW_PREFIX}-windres)

# Windows libraries are looked for in the compiler's own tree and in the
# prefixes given with -DCMAKE_PREFIX_PATH (an installed Windows build of
# TELKA, for one), never in the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${TELKA_MINGW_PREFIX} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
