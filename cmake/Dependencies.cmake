# Third-party code comes from Debian packages and is compiled here; nothing
# of it lives in the repository.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

set(NANOVG_DIR /usr/share/dpf/dgl/src/nanovg CACHE PATH "nanovg sources (Debian package dpf-source)")
if(NOT EXISTS ${NANOVG_DIR}/nanovg.c)
  message(FATAL_ERROR "nanovg not found in ${NANOVG_DIR}: install the Debian package 'dpf-source'")
endif()

set(MURLAN_PYTHON /usr/bin/python3 CACHE FILEPATH "Python that has glad 2 (Debian package python3-glad)")
execute_process(COMMAND ${MURLAN_PYTHON} -c "import glad" RESULT_VARIABLE _glad_missing OUTPUT_QUIET ERROR_QUIET)
if(_glad_missing)
  message(FATAL_ERROR "glad 2 not found for ${MURLAN_PYTHON}: install the Debian package 'python3-glad'")
endif()

find_package(X11 REQUIRED)
if(NOT X11_FOUND)
  message(FATAL_ERROR "Xlib not found: install the Debian package 'libx11-dev'")
endif()
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)

pkg_check_modules(SNDFILE sndfile)
if(NOT SNDFILE_FOUND)
  message(FATAL_ERROR "libsndfile not found: install the Debian package 'libsndfile1-dev'")
endif()
pkg_check_modules(SMF smf)
if(NOT SMF_FOUND)
  message(FATAL_ERROR "libsmf not found: install the Debian package 'libsmf-dev'")
endif()

# glad 2 loader for OpenGL 2.1 compatibility, generated offline at build time.
# The editor draws into an offscreen framebuffer, which GL 2.1 offers only
# through GL_ARB_framebuffer_object (same entry-point names as GL 3).
set(GLAD_OUT ${PROJECT_BINARY_DIR}/glad)
add_custom_command(
  OUTPUT ${GLAD_OUT}/src/gl.c ${GLAD_OUT}/include/glad/gl.h
  COMMAND ${MURLAN_PYTHON} -m glad --quiet --reproducible --api gl:compatibility=2.1
          --extensions GL_ARB_framebuffer_object
          --out-path ${GLAD_OUT} c --loader
  COMMENT "Generating the OpenGL loader with glad"
  VERBATIM)
add_library(glad STATIC ${GLAD_OUT}/src/gl.c)
target_include_directories(glad SYSTEM PUBLIC ${GLAD_OUT}/include)
target_link_libraries(glad PUBLIC ${CMAKE_DL_LIBS})

# nanovg with its GL2 back end (Debian package dpf-source). The GL entry points come from glad, so the
# implementation unit includes glad's header before nanovg_gl.h.
# This copy of nanovg is written to be compiled as C++.
add_library(nanovg STATIC ${NANOVG_DIR}/nanovg.c ${PROJECT_SOURCE_DIR}/cmake/nanovg_gl_impl.cpp)
set_source_files_properties(${NANOVG_DIR}/nanovg.c PROPERTIES LANGUAGE CXX)
target_include_directories(nanovg SYSTEM PUBLIC ${NANOVG_DIR})
target_compile_options(nanovg PRIVATE -w)
# The editor's images are PNG files compiled in: stb_image's other decoders
# (JPEG, GIF, PSD, HDR, ...) would only add code to the plug-in.
target_compile_definitions(nanovg PRIVATE STBI_ONLY_PNG)
target_link_libraries(nanovg PUBLIC glad m)

if(MURLAN_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(MURLAN_BENCH)
  find_package(benchmark REQUIRED)
endif()

# murlan_glob_library(NAME DIR... [EXCLUDE regex]): a static library of every
# .cpp in the given folders; an interface library while a folder is still empty.
function(murlan_glob_library name)
  cmake_parse_arguments(ARG "" "EXCLUDE" "DIRS" ${ARGN})
  set(_sources "")
  foreach(_dir IN LISTS ARG_DIRS)
    file(GLOB _found CONFIGURE_DEPENDS ${_dir}/*.cpp)
    list(APPEND _sources ${_found})
  endforeach()
  if(ARG_EXCLUDE)
    list(FILTER _sources EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  if(_sources)
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Link helper that works for both kinds murlan_glob_library may produce.
function(murlan_link name)
  get_target_property(_type ${name} TYPE)
  if(_type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# murlan_plugin_module(NAME OUTPUT_NAME file DIRECTORY dir ENTRY source EXPORTS map
#                      [ADAPTER lib]): a plug-in binary of one format: the
# format's entry points over its adapter, the instrument and its editor (built
# by the one factory), exporting only what the version script `map` lists.
function(murlan_plugin_module name)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;DIRECTORY;ADAPTER;ENTRY;EXPORTS" "" ${ARGN})
  get_filename_component(_entry ${ARG_ENTRY} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(_map ${ARG_EXPORTS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(${name} MODULE ${_entry} ${PROJECT_SOURCE_DIR}/synth/MurlanFactory.cpp
    $<TARGET_OBJECTS:murlan_resources>)
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${ARG_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${ARG_DIRECTORY})
  target_link_libraries(${name} PRIVATE ${ARG_ADAPTER} murlan_synth murlan_editor)
  target_link_options(${name} PRIVATE -Wl,--version-script=${_map})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${_map})
  # Every symbol must resolve at link time, not first in a host. Sanitizer
  # runtimes are linked into the program, not the module, so not then.
  if(NOT MURLAN_SANITIZE)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
