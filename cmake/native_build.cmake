# Builds programs of the Linux build for checks that run in another build's
# tests (the Windows comparisons, the browser's frame comparisons): the
# `default` preset configured in DIR, then TARGETS ("a|b|c") built there.
#   cmake -DSOURCE=... -DDIR=build -DTARGETS="a|b" -P native_build.cmake
string(REPLACE "|" ";" targets "${TARGETS}")
cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
execute_process(COMMAND ${CMAKE_COMMAND} --preset default -B ${DIR} WORKING_DIRECTORY ${SOURCE}
                OUTPUT_QUIET RESULT_VARIABLE status)
if(status EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${DIR} -j ${jobs} --target ${targets}
                  WORKING_DIRECTORY ${SOURCE} RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Linux build in ${DIR} of ${TARGETS} failed")
endif()
