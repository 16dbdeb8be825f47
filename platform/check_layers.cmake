# The layer rule, checked on every build: a file of the stand-in, the
# automation or the entry includes headers of its own component and of the
# components below it, never of one above (platform/README.md). Run as
#   cmake -DROOT=<source dir> -DSTAMP=<file> -P platform/check_layers.cmake
# It prints each forbidden include as file:line, so an editor can jump to
# it, and fails; otherwise it touches STAMP.
cmake_minimum_required(VERSION 3.25)

# Component of a path under the source dir, as includes name it: "kernel",
# "gdi", ..., a backend folder as "backends/x11", "automation" and "entry".
function(component_of path out)
  if(path MATCHES "^(automation|entry)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  elseif(path MATCHES "^platform/backends/([a-z0-9_]+)/")
    set(${out} backends/${CMAKE_MATCH_1} PARENT_SCOPE)
  elseif(path MATCHES "^platform/([a-z0-9_]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# What each component may include, besides its own headers and <windows.h>.
# A backend sees the driver table and the layers below it, never another
# backend; menu and dialog sit side by side and do not see each other.
set(below_kernel "")
set(below_gdi kernel)
set(below_text kernel gdi)
set(below_backends kernel gdi text)
set(below_backend_folder kernel gdi text backends)
set(below_user kernel gdi text backends)
set(below_menu kernel gdi text backends user)
set(below_dialog kernel gdi text backends user)
set(below_automation kernel gdi text backends backends/headless user menu dialog)
# The entry, the top, fills every layer's seams: it may include them all.
set(below_entry kernel gdi text backends backends/headless backends/web user menu dialog automation)
# Of USER, the automation sees only the queries meant for it, never the
# window model itself.
set(automation_user_headers user/window_queries.h)

file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp ${ROOT}/automation/*.h ${ROOT}/automation/*.cpp
     ${ROOT}/entry/*.h ${ROOT}/entry/*.cpp)
set(failures 0)
foreach(path IN LISTS sources)
  component_of(${path} own)
  if(own STREQUAL "")
    continue()
  endif()
  if(own MATCHES "^backends/")
    set(allowed ${below_backend_folder})
  else()
    set(allowed ${below_${own}})
  endif()
  file(STRINGS ${ROOT}/${path} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      continue()
    endif()
    set(header ${CMAKE_MATCH_1})
    if(header MATCHES "^(backends/[a-z0-9_]+)/")
      set(target ${CMAKE_MATCH_1})
    elseif(header MATCHES "^([a-z0-9_]+)/")
      set(target ${CMAKE_MATCH_1})
    elseif(header STREQUAL "automation.h")
      set(target automation)
    elseif(header STREQUAL "start_up.h")
      set(target entry)
    else()
      continue()  # a header beside the file, or a system one
    endif()
    if(own STREQUAL "automation" AND target STREQUAL "user" AND NOT header IN_LIST automation_user_headers)
      set(why "the automation uses only USER's queries, user/window_queries.h")
    elseif(target STREQUAL own OR target IN_LIST allowed)
      continue()
    else()
      set(why "a layer looks only down")
    endif()
    file(STRINGS ${ROOT}/${path} all)
    list(FIND all "${line}" index)
    math(EXPR number "${index} + 1")
    message("${ROOT}/${path}:${number}: ${own} may not include \"${header}\" (${why};"
            " platform/README.md)")
    math(EXPR failures "${failures} + 1")
  endforeach()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) break the layer rule")
endif()
file(TOUCH ${STAMP})
