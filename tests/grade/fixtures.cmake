# The planted-fault fixtures built as programs, and the test that marks each
# with telka-run --expect against the reference's saved run (fixtures_test.sh).
# Included by this folder's CMakeLists.txt; needs the telka and telka-run targets.
set(grade_fixture_bin ${CMAKE_CURRENT_BINARY_DIR}/fixtures-bin)
set(grade_fixture_work ${CMAKE_CURRENT_BINARY_DIR}/fixtures-work)

function(grade_fixture name source)
  add_executable(grade_fixture_${name} ${source})
  target_link_libraries(grade_fixture_${name} PRIVATE telka)
  set_target_properties(grade_fixture_${name} PROPERTIES OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${grade_fixture_bin})
endfunction()

grade_fixture(reference fixtures/tests/reference.c)
foreach(name correct off_by_one wrong_colour missed_key never_waits crash escape clock_seeded)
  grade_fixture(${name} fixtures/class/${name}.c)
endforeach()
# The escape attempt aims at the test's own files: a folder beside its work
# folder and the reference run it is compared with.
target_compile_definitions(grade_fixture_escape PRIVATE
  OUTSIDE_FILE="${grade_fixture_work}/outside-escaped.txt"
  REFERENCE_RUN="${grade_fixture_work}/ref-bounce/record.tsv")

add_test(NAME grade_fixtures_marked_by_their_first_difference
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/fixtures_test.sh $<TARGET_FILE:telka-run> ${grade_fixture_bin}
          ${CMAKE_CURRENT_SOURCE_DIR}/fixtures ${grade_fixture_work})
set_tests_properties(grade_fixtures_marked_by_their_first_difference PROPERTIES TIMEOUT 240 LABELS grade)
