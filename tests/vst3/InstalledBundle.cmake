# The installed bundle as a host finds it: `cmake --install` into a staging
# folder (DESTDIR), then vst3host loading it from there.
#   cmake -DBUILD=<build dir> -DSTAGE=<scratch dir> -DVST3_DIR=<install dir> -DHOST=<vst3host> -P InstalledBundle.cmake
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
set(_bundle ${STAGE}${VST3_DIR}/Murlan.vst3)
if(NOT EXISTS ${_bundle}/Contents/x86_64-linux/Murlan.so)
  message(FATAL_ERROR "no bundle binary in ${_bundle}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY ${HOST} info ${_bundle}
  OUTPUT_VARIABLE info RESULT_VARIABLE rc)
string(FIND "${info}" "'Murlan' Audio Module Class [Instrument|Synth]" at)
if(NOT rc EQUAL 0 OR at LESS 0)
  message(FATAL_ERROR "vst3host does not find the instrument:\n${info}")
endif()
file(REMOVE_RECURSE ${STAGE})
