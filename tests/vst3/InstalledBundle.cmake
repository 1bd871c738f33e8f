# The installed bundle as a host finds it: `cmake --install` into a staging
# folder (DESTDIR), then vst3host loading it from there.
#   cmake -DBUILD=<build dir> -DSTAGE=<scratch dir> -DVST3_DIR=<install dir> -DHOST=<vst3host> -P InstalledBundle.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../StagedInstall.cmake)
install_into_stage()
set(_bundle ${STAGE}${VST3_DIR}/Murlan.vst3)
if(NOT EXISTS ${_bundle}/Contents/x86_64-linux/Murlan.so)
  message(FATAL_ERROR "no bundle binary in ${_bundle}")
endif()
expect_output("vst3host does not find the instrument"
  "'Murlan' Audio Module Class [Instrument|Synth]"
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY ${HOST} info ${_bundle})
file(REMOVE_RECURSE ${STAGE})
