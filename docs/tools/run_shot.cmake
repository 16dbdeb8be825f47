# One documentation screenshot taken with telka-run: runs PROGRAM headless
# with the runner's options in ARGS ('|' between them) and keeps its last
# frame; MODE write copies it to OUT, MODE check compares it with OUT.
#   cmake -DTELKA_RUN=... -DPROGRAM=... -DWORK=dir -DOUT=file.png -DMODE=write|check
#         -DCOMPARE=docs_png_compare -DARGS="--seconds|2" -P run_shot.cmake
string(REPLACE "|" ";" run_args "${ARGS}")
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${TELKA_RUN} ${PROGRAM} --frames ${WORK} --last ${run_args}
  RESULT_VARIABLE status ERROR_VARIABLE messages)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK}/last.png)
  message(FATAL_ERROR "telka-run ${PROGRAM} ended with ${status}:\n${messages}")
endif()
if(MODE STREQUAL "check")
  execute_process(COMMAND ${COMPARE} ${OUT} ${WORK}/last.png RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OUT} no longer shows what ${PROGRAM} draws")
  endif()
else()
  file(COPY_FILE ${WORK}/last.png ${OUT})
endif()
