# Steps the installed-bundle checks share, for scripts run with -P.

# `cmake --install` of BUILD into the folder STAGE (DESTDIR), emptied first.
macro(install_into_stage)
  file(REMOVE_RECURSE ${STAGE})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD}
    RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
  endif()
endmacro()

# Runs the command after COMMAND and fails with `what` and its output unless
# it succeeds and prints `expected`.
function(expect_output what expected)
  cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
  execute_process(COMMAND ${ARG_COMMAND} OUTPUT_VARIABLE output RESULT_VARIABLE rc)
  string(FIND "${output}" "${expected}" at)
  if(NOT rc EQUAL 0 OR at LESS 0)
    message(FATAL_ERROR "${what}:\n${output}")
  endif()
endfunction()
