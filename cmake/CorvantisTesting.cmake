# Every tst_<name>.cpp in a tests folder becomes one Qt Test executable,
# registered with CTest as <prefix>.<name> and run offscreen.
function(corvantis_add_tests prefix)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  foreach(src IN LISTS test_sources)
    get_filename_component(stem "${src}" NAME_WE)
    string(REGEX REPLACE "^tst_" "" short "${stem}")
    set(target "${prefix}_${short}_test")
    add_executable(${target} "${src}")
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} corvantis_testsupport Qt6::Test)
    add_test(NAME "${prefix}.${short}" COMMAND ${target})
    set_tests_properties("${prefix}.${short}" PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_MEDIA_BACKEND=gstreamer;QT_LOGGING_RULES=qt.multimedia*=false"
      TIMEOUT 180)
  endforeach()
endfunction()
