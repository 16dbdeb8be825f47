# Cross-compiling toolchain for the browser build: wasm32-wasip1 with the
# WebAssembly build of clang and lld pinned in web/package.json (installed by
# `cd web && npm ci`), run by node through tools/wasm-clang. The page compiles
# students' programs with the same compiler and links them with the SDK this
# build makes (cmake/web.cmake), so the two must not differ. Use with
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasip1.cmake
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_VERSION 1)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})  # Platform/WASI.cmake

get_filename_component(TELKA_WASM_TOOLS ${CMAKE_CURRENT_LIST_DIR}/../tools/wasm-clang ABSOLUTE)
set(CMAKE_C_COMPILER ${TELKA_WASM_TOOLS}/clang)
set(CMAKE_CXX_COMPILER ${TELKA_WASM_TOOLS}/clang++)
set(CMAKE_AR ${TELKA_WASM_TOOLS}/ar CACHE FILEPATH "wasm ar" FORCE)
set(CMAKE_RANLIB ${TELKA_WASM_TOOLS}/ranlib CACHE FILEPATH "wasm ranlib" FORCE)
set(CMAKE_C_COMPILER_TARGET wasm32-wasip1)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasip1)

# Every object: SIMD (for the loops over pixels that vectorise; the game's
# frame measured as fast without it, and no larger) and bulk memory (memset
# and memcpy as single instructions), both in every current browser. FreeType's headers include <setjmp.h>, which this sysroot
# offers only with exception handling; its rasterizer uses setjmp, lowered to
# the exception instructions of the legacy encoding (try/catch), the one
# that Chromium, Firefox, Safari and node all run; the newer exnref form
# needs Safari 18.4 and is absent from node 20. Pinned, so that a compiler
# whose default changes does not switch silently.
set(TELKA_WASM_FLAGS "-msimd128 -mbulk-memory -mexception-handling -mllvm -wasm-enable-sjlj -mllvm -wasm-use-legacy-eh=true")
set(CMAKE_C_FLAGS_INIT "${TELKA_WASM_FLAGS}")
# The C++ runtime of this sysroot has no exception support at all.
set(CMAKE_CXX_FLAGS_INIT "${TELKA_WASM_FLAGS} -fno-exceptions")

# What every program needs at link time (the page's links take the same list
# from sdk/link-flags.txt):
#  - the real main(int, char **) is in an archive (the stand-in's process
#    entry); asked for up front, or wasi-libc's weak main wins and the
#    program exits with status 71;
#  - 1 MiB of stack (wasm-ld gives 64 KiB), plus 64 KiB: the stack comes
#    first in memory and grows down towards address 0, so a program within
#    its 1 MiB never has a stack address below 65536 (Win32 code takes any
#    value below that for an atom or a resource number), data and heap lie
#    above the stack, and an overflow traps at address 0 instead of
#    overwriting static data;
#  - at most 256 MiB of memory (beyond it, the web backend ends a program
#    with a message: TELKA_WEB_WRAP_ALLOCATION below).
# wasm-ld keeps the name section (function names, for traps) unless told to
# strip; no program is linked with -s.
set(TELKA_WASM_LINK_FLAGS
  -Wl,-u,__main_argc_argv
  -Wl,-z,stack-size=1114112
  -Wl,--stack-first
  -Wl,--max-memory=268435456)
list(JOIN TELKA_WASM_LINK_FLAGS " " telka_wasm_link_flags)
# CMake hands the compile flags to the link as well, where the code
# generator's (-mllvm) have nothing to do: no warning for each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "${telka_wasm_link_flags} -Wno-unused-command-line-argument")
# After the objects and archives: the setjmp runtime FreeType's rasterizer calls.
set(TELKA_WASM_LINK_LIBRARIES -lsetjmp)
# Programs on the library only (the web backend adds them; the SDK's flags
# list them): malloc, calloc and realloc pass through
# platform/backends/web/web_memory.cpp.
set(TELKA_WEB_WRAP_ALLOCATION -Wl,--wrap=malloc,--wrap=calloc,--wrap=realloc)
set(CMAKE_C_STANDARD_LIBRARIES_INIT "-lsetjmp")
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT "-lsetjmp")

# Libraries and headers only from the sysroot (inside the compiler) and the
# prefixes given with -DCMAKE_PREFIX_PATH, never the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
