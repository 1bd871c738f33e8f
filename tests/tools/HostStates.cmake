# lv2host and vst3host save a state as a host keeps it in a session, and a
# fresh instance given that state plays as the settings did: the same peak
# and RMS, which differ from the defaults'. Run with -P; HOST, BUNDLE, MIDI,
# WORK, EXT and SETTINGS (--set arguments, separated by "|") come from the test.
string(REPLACE "|" ";" SETTINGS "${SETTINGS}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(_state ${WORK}/saved.${EXT})

function(render out_var)
  execute_process(COMMAND ${HOST} render ${BUNDLE} --midi ${MIDI} --out ${WORK}/out.wav ${ARGN}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${HOST} render ${ARGN} failed (${rc}):\n${output}${errors}")
  endif()
  string(REGEX MATCH "peak [^\n]*" figures "${output}")
  set(${out_var} "${figures}" PARENT_SCOPE)
endfunction()

render(set_directly ${SETTINGS} --save-state ${_state})
if(NOT EXISTS ${_state})
  message(FATAL_ERROR "no state saved to ${_state}")
endif()
render(from_state --state ${_state})
render(defaults)
if(NOT from_state STREQUAL set_directly)
  message(FATAL_ERROR "the saved state plays '${from_state}', the settings played '${set_directly}'")
endif()
if(from_state STREQUAL defaults)
  message(FATAL_ERROR "the settings changed nothing: '${defaults}'")
endif()

# A file that is no state of the plug-in is refused, not played as defaults.
file(WRITE ${WORK}/junk.${EXT} "not a state")
execute_process(COMMAND ${HOST} render ${BUNDLE} --midi ${MIDI} --out ${WORK}/out.wav
  --state ${WORK}/junk.${EXT} OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE rc)
if(rc EQUAL 0)
  message(FATAL_ERROR "${HOST} played a state file that holds no state")
endif()
