# Installs the built program into a scratch prefix, with a scratch home for
# the starter library, and checks that the desktop's application menu gets
# an entry that starts the installed program and shows its icon.
# Expects BUILD_DIR: the build tree to install from.

set(scratch "${BUILD_DIR}/install-check")
file(REMOVE_RECURSE "${scratch}")
set(prefix "${scratch}/prefix")
set(ENV{HOME} "${scratch}/home")
set(ENV{XDG_DATA_HOME} "${scratch}/home/.local/share")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The install failed: ${result}")
endif()

set(entry "${prefix}/share/applications/corvantis.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "No desktop entry at ${entry}")
endif()
file(STRINGS "${entry}" exec REGEX "^Exec=")
file(STRINGS "${entry}" icon REGEX "^Icon=")
if(NOT exec STREQUAL "Exec=\"${prefix}/bin/corvantis\"")
  message(FATAL_ERROR "The entry starts ${exec}, not the installed program")
endif()
if(NOT EXISTS "${prefix}/bin/corvantis")
  message(FATAL_ERROR "No program at ${prefix}/bin/corvantis")
endif()
if(NOT icon STREQUAL "Icon=corvantis" OR NOT EXISTS "${prefix}/share/icons/hicolor/scalable/apps/corvantis.svg")
  message(FATAL_ERROR "The entry's icon (${icon}) is not installed in the icon theme")
endif()
file(REMOVE_RECURSE "${scratch}")
