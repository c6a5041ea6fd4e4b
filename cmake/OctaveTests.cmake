# Host tests: Octave scripts that load the built MEX files exactly as users do.
#
#   mom_add_octave_test(NAME SCRIPT file.m [PATH dir...])
#                                                 runs the script (a function-less .m file);
#                                                 any error fails the test; PATH adds folders
#   mom_add_octave_selftest(NAME MODULE name)    runs `test name` (the %!test blocks of the
#                                                 module's help file) and fails unless all pass
#
# Both run octave-cli with the mex folder and tests/octave (shared test helpers) on the path.
find_program(OCTAVE_CLI NAMES octave-cli octave)

set(MOM_OCTAVE_RUNNER ${CMAKE_SOURCE_DIR}/tests/octave/run_octave_test.sh)

function(mom_add_octave_test name)
  cmake_parse_arguments(ARG "" "SCRIPT" "PATH" ${ARGN})
  if(NOT OCTAVE_CLI OR NOT MEX_HOST STREQUAL "octave")
    return()
  endif()
  list(JOIN ARG_PATH ":" extra_path)
  add_test(NAME ${name}
           COMMAND ${MOM_OCTAVE_RUNNER} ${OCTAVE_CLI} ${MOM_MEX_DIR}
                   ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SCRIPT} ${extra_path})
  set_tests_properties(${name} PROPERTIES LABELS octave TIMEOUT 900)
endfunction()

function(mom_add_octave_selftest name)
  cmake_parse_arguments(ARG "" "MODULE" "" ${ARGN})
  if(NOT OCTAVE_CLI OR NOT MEX_HOST STREQUAL "octave")
    return()
  endif()
  add_test(NAME ${name}
           COMMAND ${MOM_OCTAVE_RUNNER} ${OCTAVE_CLI} ${MOM_MEX_DIR} --selftest ${ARG_MODULE})
  set_tests_properties(${name} PROPERTIES LABELS octave TIMEOUT 900)
endfunction()

# Unit tests of a host-free core: mom_add_core_test(NAME SOURCES ... LIBRARIES ...)
function(mom_add_core_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS core)
endfunction()
