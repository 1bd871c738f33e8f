# The installed bundle as a user checks it: `cmake --install` into a staging
# folder (DESTDIR), then lv2ls and lv2info looking only there; the sound
# library's program and bank files beside the VST 2.4 plug-in.
#   cmake -DBUILD=<build dir> -DSTAGE=<scratch dir> -DURI=<plug-in URI> -DLV2_DIR=<install dir>
#         -DVST_DIR=<install dir> -P InstalledBundle.cmake
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
if(NOT EXISTS "${STAGE}${VST_DIR}/MurlanPresets/Murlan Library 1.fxb"
   OR NOT EXISTS "${STAGE}${VST_DIR}/MurlanPresets/Bass/Sub Bass.fxp")
  message(FATAL_ERROR "no sound library beside the plug-in in ${STAGE}${VST_DIR}")
endif()
set(_path ${STAGE}${LV2_DIR})
if(NOT EXISTS ${_path}/Murlan.lv2/manifest.ttl)
  message(FATAL_ERROR "no bundle in ${_path}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LV2_PATH=/usr/lib/lv2:${_path} lv2ls
  OUTPUT_VARIABLE listed RESULT_VARIABLE rc)
string(FIND "${listed}" "${URI}\n" at)
if(NOT rc EQUAL 0 OR at LESS 0)
  message(FATAL_ERROR "lv2ls does not list ${URI}:\n${listed}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LV2_PATH=/usr/lib/lv2:${_path} lv2info ${URI}
  OUTPUT_VARIABLE info RESULT_VARIABLE rc)
string(FIND "${info}" "Instrument Plugin" at)
if(NOT rc EQUAL 0 OR at LESS 0)
  message(FATAL_ERROR "lv2info does not describe an instrument:\n${info}")
endif()
file(REMOVE_RECURSE ${STAGE})
