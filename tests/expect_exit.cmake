# Runs COMMAND (a list) and fails unless it exits with exactly STATUS: a crash
# or any other status is a failure, whatever its number.
#   cmake -DSTATUS=3 "-DCOMMAND=prog;arg" -P expect_exit.cmake
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status)
if(NOT "${status}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "${COMMAND}: exit status '${status}', expected ${STATUS}")
endif()
