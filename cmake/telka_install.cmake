# What `cmake --install` puts under the prefix, and the Debian package of it
# (cpack -G DEB). An application links one archive, libtelka.a: the library
# and, on Linux, the whole stand-in with its process entry (the archive's
# main(), which the C runtime's start-up code pulls in); on Windows the
# library alone, whose WinMain the C runtime calls. Beside it: telka.h,
# the CMake package (find_package(telka) gives telka::telka), telka.pc for
# pkg-config, telka-run and telka-grade on Linux, the mingw-w64 toolchain
# file for building programs for Windows, and the documentation. The prefix is chosen at
# install time (cmake --install --prefix); the CMake package finds it from
# where it lies, so it can be moved afterwards too. The Windows build also
# makes a zip for students on Windows (cpack -G ZIP, `make windows-zip`).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# cpack and the build folder's `install` target install what is built,
# without building every test and program first: `make install`, `make
# package` and `make windows-zip` build the installed targets themselves.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(TELKA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/telka)
set(TELKA_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# What libtelka.a holds: the archives `telka` links (library/CMakeLists.txt
# names them from the target graph). Programs of one's own get the link
# options `telka` gives the programs of this tree.
get_property(telka_parts GLOBAL PROPERTY TELKA_ARCHIVES)
get_target_property(telka_link_options telka INTERFACE_LINK_OPTIONS)
if(NOT telka_link_options)
  set(telka_link_options "")
endif()
list(JOIN telka_link_options " " telka_pc_link_options)

if(WIN32)
  set(telka_system_libs gdi32 user32 kernel32 stdc++)
  set(TELKA_FIND_DEPENDENCIES "")
  set(TELKA_PC_REQUIRES "")
  set(TELKA_PC_LIBS "-lgdi32 -luser32 -lkernel32 -lstdc++ ${telka_pc_link_options}")
  # The zip is unpacked anywhere, so telka.pc finds the prefix from where it lies.
  set(TELKA_PC_PREFIX "\${pcfiledir}/../..")
else()
  set(telka_system_libs Freetype::Freetype Fontconfig::Fontconfig X11::X11 X11::Xext PNG::PNG stdc++ m)
  set(TELKA_FIND_DEPENDENCIES [[
find_dependency(Freetype)
find_dependency(Fontconfig)
find_dependency(X11)
find_dependency(PNG)
if(NOT TARGET X11::Xext)
  set(telka_FOUND FALSE)
  set(telka_NOT_FOUND_MESSAGE "telka needs the X11 Xext library (Debian: libxext-dev)")
  return()
endif()]])
  # The archive is static only, so what it needs goes in Requires and Libs
  # and `cc main.c $(pkg-config --cflags --libs telka)` links.
  set(TELKA_PC_REQUIRES "freetype2 fontconfig x11 xext libpng")
  set(TELKA_PC_LIBS "-lstdc++ -lm")
endif()

set(telka_objects "")
foreach(part IN LISTS telka_parts)
  list(APPEND telka_objects $<TARGET_OBJECTS:${part}>)
endforeach()
add_library(telka_package STATIC ${telka_objects})
set_target_properties(telka_package PROPERTIES
  OUTPUT_NAME telka
  EXPORT_NAME telka
  ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/package)
target_include_directories(telka_package INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(telka_package INTERFACE "$<INSTALL_INTERFACE:${telka_system_libs}>")
target_link_options(telka_package INTERFACE "$<INSTALL_INTERFACE:${telka_link_options}>")

install(TARGETS telka_package EXPORT telkaTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# `cmake --install --strip` (and the Debian package) strips only executables
# by itself; the archive loses its debug information, not its symbols.
if(CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:telka_package>\")
    endif()")
endif()
install(FILES library/include/telka.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT telkaTargets NAMESPACE telka:: DESTINATION ${TELKA_CMAKE_DIR})

configure_package_config_file(cmake/telkaConfig.cmake.in ${PROJECT_BINARY_DIR}/package/telkaConfig.cmake
  INSTALL_DESTINATION ${TELKA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/telkaConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/telkaConfig.cmake ${PROJECT_BINARY_DIR}/package/telkaConfigVersion.cmake
  DESTINATION ${TELKA_CMAKE_DIR})

# On Linux telka.pc names the prefix it is installed under, chosen at
# install time (pkg-config then leaves out a system prefix's -I and -L).
if(NOT DEFINED TELKA_PC_PREFIX)
  set(TELKA_PC_PREFIX "@CMAKE_INSTALL_PREFIX@")
endif()
configure_file(cmake/telka.pc.in ${PROJECT_BINARY_DIR}/package/telka.pc.in @ONLY)
install(CODE "configure_file(\"${PROJECT_BINARY_DIR}/package/telka.pc.in\"
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TELKA_PC_DIR}/telka.pc\" @ONLY)")

if(TARGET telka-run)
  install(TARGETS telka-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# telka-grade runs the telka-run beside it.
if(TARGET telka-grade)
  install(TARGETS telka-grade RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# A program of one's own for Windows is cross-built with this toolchain file
# and -DCMAKE_PREFIX_PATH=<the Windows build's prefix>, so both come together.
install(FILES cmake/mingw-w64-i686.cmake DESTINATION ${TELKA_CMAKE_DIR})

# The reference, the examples and the template, side by side as in the
# source tree, so the links between them hold: under share/doc/telka on
# Linux; at the top of the Windows prefix, where a student who unpacked the
# zip finds them, with the template's README for MinGW-w64 on Windows.
if(WIN32)
  set(TELKA_DOC_DIR .)
  install(FILES cmake/windows-README.md DESTINATION . RENAME README.md)
  install(FILES template/README-windows.md DESTINATION template RENAME README.md)
else()
  set(TELKA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/telka)
  install(FILES template/README.md DESTINATION ${TELKA_DOC_DIR}/template)
endif()
install(DIRECTORY docs/ DESTINATION ${TELKA_DOC_DIR}/docs PATTERN tools EXCLUDE)
install(DIRECTORY template/ DESTINATION ${TELKA_DOC_DIR}/template PATTERN README*.md EXCLUDE)
install(DIRECTORY examples/ DESTINATION ${TELKA_DOC_DIR}/examples PATTERN CMakeLists.txt EXCLUDE)
# What the docs link to outside docs/, at the same place relative to them:
# the headless backend's settings and grading.md's worked example.
install(FILES platform/backends/headless/README.md DESTINATION ${TELKA_DOC_DIR}/platform/backends/headless)
install(DIRECTORY tests/grade/fixtures/ DESTINATION ${TELKA_DOC_DIR}/tests/grade/fixtures)

# The packages, in the build folder: for Linux the Debian package
# (`cpack -G DEB`, `make package`), for Windows a zip of the prefix
# (`cpack -G ZIP`, `make windows-zip`).
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TELKA")
# Debug information stays in the build.
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME telka)
  set(CPACK_PACKAGE_FILE_NAME telka-${PROJECT_VERSION}-win32)
  # One folder inside, named as the zip, so unpacking scatters nothing.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME telka-dev)
  set(CPACK_PACKAGE_CONTACT "TELKA updates <updates@telka.invalid>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TELKA teaching graphics-and-event library (development files)")
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A procedural library for first graphical programs: a graphics window with 24 colours, a text window, "
    "one event at a time (clicks, keys, periodic ticks, quit), event scripts, and telka-run to run a program "
    "without a display. Programs build with find_package(telka) or pkg-config telka.")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libfreetype-dev, libfontconfig-dev, libx11-dev, libxext-dev, libpng-dev, fonts-dejavu-core, pkg-config, gcc | c-compiler, libstdc++-12-dev | libstdc++-dev")
  # telka-grade's sandbox and its autograder zip.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cmake, make, g++, bubblewrap, zip")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  include(CPack)
endif()
