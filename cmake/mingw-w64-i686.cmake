# Cross-compiling toolchain for the 32-bit Windows build: Debian's mingw-w64
# i686 compilers (package g++-mingw-w64-i686). Use with
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TELKA_MINGW_PREFIX i686-w64-mingw32)
# Debian ships -win32 and -posix thread-model variants; the plain names point
# at the default one, which is all a single-threaded program needs.
set(CMAKE_C_COMPILER ${TELKA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TELKA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TELKA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TELKA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
