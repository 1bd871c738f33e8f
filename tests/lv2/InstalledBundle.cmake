# The installed bundle as a user checks it: `cmake --install` into a staging
# folder (DESTDIR), then lv2ls and lv2info looking only there; the sound
# library's program and bank files beside the VST 2.4 plug-in.
#   cmake -DBUILD=<build dir> -DSTAGE=<scratch dir> -DURI=<plug-in URI> -DLV2_DIR=<install dir>
#         -DVST_DIR=<install dir> -P InstalledBundle.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../StagedInstall.cmake)
install_into_stage()
if(NOT EXISTS "${STAGE}${VST_DIR}/MurlanPresets/Murlan Library 1.fxb"
   OR NOT EXISTS "${STAGE}${VST_DIR}/MurlanPresets/Bass/Sub Bass.fxp")
  message(FATAL_ERROR "no sound library beside the plug-in in ${STAGE}${VST_DIR}")
endif()
set(_path ${STAGE}${LV2_DIR})
if(NOT EXISTS ${_path}/Murlan.lv2/manifest.ttl)
  message(FATAL_ERROR "no bundle in ${_path}")
endif()
expect_output("lv2ls does not list ${URI}" "${URI}\n"
  COMMAND ${CMAKE_COMMAND} -E env LV2_PATH=/usr/lib/lv2:${_path} lv2ls)
expect_output("lv2info does not describe an instrument" "Instrument Plugin"
  COMMAND ${CMAKE_COMMAND} -E env LV2_PATH=/usr/lib/lv2:${_path} lv2info ${URI})
file(REMOVE_RECURSE ${STAGE})
