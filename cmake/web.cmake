# The browser build's outputs (cmake/wasm32-wasip1.cmake, build-web/):
#   site/programs/NAME.wasm   the game, every example but the template, and
#                             the tools the site runs (web-frame-bench);
#   site/programs/programs.json  which of them the site offers (game first),
#                             which are tools, and the fonts they look for;
#   site/fonts/               those fonts, for the page to mount at /fonts;
#   sdk/include/telka.h, sdk/lib/libtelka.a, sdk/link-flags.txt
#                             what the page links a student's program with.
# Included by the root CMakeLists.txt under WASI, after the programs are
# defined.
if(NOT DEFINED TELKA_WASM_LINK_FLAGS)
  message(FATAL_ERROR "the browser build needs -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasip1.cmake")
endif()
set(TELKA_WEB_SITE ${CMAKE_BINARY_DIR}/site)
set(TELKA_WEB_PROGRAMS_DIR ${TELKA_WEB_SITE}/programs)
set(TELKA_WEB_SDK ${CMAKE_BINARY_DIR}/sdk)

# The fonts the browser's face table (platform/text/font_lookup_web.cpp) names.
set(TELKA_WEB_FONT_DIR /usr/share/fonts/truetype/dejavu)
set(TELKA_WEB_FONTS
  DejaVuSans.ttf DejaVuSans-Bold.ttf
  DejaVuSansMono.ttf DejaVuSansMono-Bold.ttf
  DejaVuSerif.ttf DejaVuSerif-Bold.ttf
)

# Every executable defined in `dir` and the folders below it.
function(telka_web_collect dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  set(found)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND found ${t})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    telka_web_collect(${sub} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

telka_web_collect(${PROJECT_SOURCE_DIR}/game game_programs)
telka_web_collect(${PROJECT_SOURCE_DIR}/examples example_programs)
# The template is a folder to copy, not a program to show; left out, it
# spares the build one link.
if(TARGET template-app)
  list(REMOVE_ITEM example_programs template-app)
  set_target_properties(template-app PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
set(TELKA_WEB_PROGRAMS ${game_programs} ${example_programs})

# Programs the site runs but does not offer: the frame benchmark.
add_executable(web-frame-bench ${PROJECT_SOURCE_DIR}/bench/web_frame_bench.cpp)
target_link_libraries(web-frame-bench PRIVATE game_logic telka)
set(TELKA_WEB_TOOLS web-frame-bench)

foreach(program IN LISTS TELKA_WEB_PROGRAMS TELKA_WEB_TOOLS)
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TELKA_WEB_PROGRAMS_DIR})
endforeach()

# programs.json: the list the page offers, game first, and the tools it runs.
function(telka_json_list out)
  set(items)
  foreach(item IN LISTS ARGN)
    list(APPEND items "\"${item}\"")
  endforeach()
  list(JOIN items ", " joined)
  set(${out} "[${joined}]" PARENT_SCOPE)
endfunction()
telka_json_list(programs_json ${TELKA_WEB_PROGRAMS})
telka_json_list(tools_json ${TELKA_WEB_TOOLS})
telka_json_list(fonts_json ${TELKA_WEB_FONTS})
file(CONFIGURE OUTPUT ${TELKA_WEB_PROGRAMS_DIR}/programs.json
     CONTENT "{\n  \"programs\": ${programs_json},\n  \"tools\": ${tools_json},\n  \"fonts\": ${fonts_json}\n}\n")

set(font_outputs)
foreach(font IN LISTS TELKA_WEB_FONTS)
  add_custom_command(
    OUTPUT ${TELKA_WEB_SITE}/fonts/${font}
    COMMAND ${CMAKE_COMMAND} -E copy ${TELKA_WEB_FONT_DIR}/${font} ${TELKA_WEB_SITE}/fonts/${font}
    DEPENDS ${TELKA_WEB_FONT_DIR}/${font}
    VERBATIM)
  list(APPEND font_outputs ${TELKA_WEB_SITE}/fonts/${font})
endforeach()
add_custom_target(web_fonts ALL DEPENDS ${font_outputs})

# ---- the SDK ----

# What a program links: the archives of `telka` (library/CMakeLists.txt
# names them from the target graph) and FreeType's archive file.
get_property(sdk_targets GLOBAL PROPERTY TELKA_ARCHIVES)
get_property(sdk_files GLOBAL PROPERTY TELKA_ARCHIVE_FILES)

# The browser's compiler spends most of a stand-in file (2-8 s) in the C++
# library's headers: one precompiled header of the common ones, made once
# and used by every library of the program, compiles each file in a third
# of the time, to the same object. (Every TU sees these headers then; the
# native build still checks that each file includes what it uses.)
set(TELKA_WEB_PCH_HEADERS
  <algorithm> <array> <cstdint> <cstdio> <cstring> <functional> <map> <memory> <string> <unordered_map> <vector>)
target_precompile_headers(standin_kernel PRIVATE ${TELKA_WEB_PCH_HEADERS})
foreach(t IN LISTS sdk_targets ITEMS game_logic)
  if(NOT t STREQUAL "standin_kernel")
    target_precompile_headers(${t} REUSE_FROM standin_kernel)
  endif()
endforeach()
set(sdk_inputs)
foreach(t IN LISTS sdk_targets)
  list(APPEND sdk_inputs $<TARGET_FILE:${t}>)
endforeach()
list(APPEND sdk_inputs ${sdk_files})
list(JOIN sdk_inputs "|" sdk_inputs_arg)  # one argument, whatever the generator does with lists

# ONE archive: the library, the whole stand-in, the web backend, the process
# entry and FreeType, merged by the wasm ar; the script checks that every
# member of every input is in it.
add_custom_command(
  OUTPUT ${TELKA_WEB_SDK}/lib/libtelka.a
  COMMAND ${CMAKE_COMMAND} -DAR=${CMAKE_AR} -DOUTPUT=${TELKA_WEB_SDK}/lib/libtelka.a "-DINPUTS=${sdk_inputs_arg}"
          -P ${PROJECT_SOURCE_DIR}/cmake/web_sdk_archive.cmake
  DEPENDS ${sdk_targets} ${sdk_files} ${PROJECT_SOURCE_DIR}/cmake/web_sdk_archive.cmake
  COMMENT "Merging the SDK's libtelka.a"
  VERBATIM)

add_custom_command(
  OUTPUT ${TELKA_WEB_SDK}/include/telka.h
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/library/include/telka.h ${TELKA_WEB_SDK}/include/telka.h
  DEPENDS ${PROJECT_SOURCE_DIR}/library/include/telka.h
  VERBATIM)

# The flags a program's link needs besides -ltelka, one a line, all of them
# after -ltelka on the command line: the toolchain's program flags, the C++
# runtime (a program in C is linked by clang, which does not add it) and the
# setjmp runtime FreeType calls.
set(sdk_link_flags ${TELKA_WASM_LINK_FLAGS} ${TELKA_WEB_WRAP_ALLOCATION} -lc++ -lc++abi ${TELKA_WASM_LINK_LIBRARIES})
list(JOIN sdk_link_flags "\n" sdk_link_lines)
file(CONFIGURE OUTPUT ${TELKA_WEB_SDK}/link-flags.txt CONTENT "${sdk_link_lines}\n")

add_custom_target(web_sdk ALL DEPENDS ${TELKA_WEB_SDK}/lib/libtelka.a ${TELKA_WEB_SDK}/include/telka.h)

# ---- the site ----

# web/build.mjs assembles it from the programs, the fonts and the SDK: the
# pages, the bundled runtime, the playground and its compiler, the
# licences, the compressed copies and the service worker's manifest. It
# runs on every build and redoes only what changed.
find_program(TELKA_NODE node REQUIRED)
find_program(TELKA_NPM npm REQUIRED)
add_custom_target(web_site ALL
  COMMAND ${TELKA_NODE} ${PROJECT_SOURCE_DIR}/web/build.mjs --site ${TELKA_WEB_SITE} --sdk ${TELKA_WEB_SDK}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  VERBATIM)
add_dependencies(web_site web_sdk web_fonts ${TELKA_WEB_PROGRAMS} ${TELKA_WEB_TOOLS})

if(TELKA_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/web ${CMAKE_BINARY_DIR}/tests/web)
endif()
