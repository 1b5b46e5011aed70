# Copies the installed starter files into the user's application-data folder.
# A file that is already there is kept as it is: the user's database and
# audio are never overwritten by an install.
# Expects CORVANTIS_STARTER_SOURCE: the folder the starter files were installed to.

if(DEFINED ENV{XDG_DATA_HOME} AND NOT "$ENV{XDG_DATA_HOME}" STREQUAL "")
  set(user_folder "$ENV{XDG_DATA_HOME}/Corvantis")
else()
  set(user_folder "$ENV{HOME}/.local/share/Corvantis")
endif()

file(MAKE_DIRECTORY "${user_folder}")
file(GLOB starter_files LIST_DIRECTORIES false "${CORVANTIS_STARTER_SOURCE}/*")
if(NOT starter_files)
  message(WARNING "No starter files found in ${CORVANTIS_STARTER_SOURCE}")
endif()
foreach(source IN LISTS starter_files)
  get_filename_component(name "${source}" NAME)
  set(target "${user_folder}/${name}")
  if(EXISTS "${target}" OR IS_SYMLINK "${target}")
    message(STATUS "Kept (already there): ${target}")
  else()
    file(COPY "${source}" DESTINATION "${user_folder}")
    message(STATUS "Copied: ${target}")
  endif()
endforeach()
