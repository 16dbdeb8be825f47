# One fuzz target's run as a test: a fresh copy of its seed corpus in the
# build folder (new inputs stay there, never in the seeds), then libFuzzer
# for FUZZ_SECONDS (the environment's, else SECONDS). FUZZ_TARGETS, if set,
# names the targets to run (the others skip); FUZZ_LEAKS=0 stops looking for
# leaks (system libraries' lifetime caches are suppressed by tests/lsan.supp).
#   cmake -DFUZZER=... -DNAME=script -DSEEDS=... -DWORK=... -DSECONDS=10 -P fuzz_run.cmake
if(DEFINED ENV{FUZZ_TARGETS} AND NOT "$ENV{FUZZ_TARGETS}" STREQUAL "")
  string(REPLACE " " ";" wanted "$ENV{FUZZ_TARGETS}")
  if(NOT NAME IN_LIST wanted)
    message("${NAME} is not in FUZZ_TARGETS ($ENV{FUZZ_TARGETS})")
    cmake_language(EXIT 77)
  endif()
endif()
if(DEFINED ENV{FUZZ_SECONDS} AND NOT "$ENV{FUZZ_SECONDS}" STREQUAL "")
  set(SECONDS "$ENV{FUZZ_SECONDS}")
endif()
set(leaks 1)
if("$ENV{FUZZ_LEAKS}" STREQUAL "0")
  set(leaks 0)
endif()
set(ENV{ASAN_OPTIONS} "detect_leaks=${leaks}")
file(REMOVE_RECURSE ${WORK}/corpus/${NAME})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(COPY ${SEEDS} DESTINATION ${WORK}/corpus)
message("fuzzing ${NAME} for ${SECONDS} s")
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -detect_leaks=${leaks} -close_fd_mask=2
          -print_final_stats=1 -artifact_prefix=${WORK}/${NAME}- ${WORK}/corpus/${NAME}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NAME}_fuzz failed (${status}); crash inputs are ${WORK}/${NAME}-crash-*")
endif()
