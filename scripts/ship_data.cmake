# Brings the shipped data files beside the built game without losing what a
# player did there: a game started from the build folder rewrites record.txt
# and saves maps pole<N>.txt beside itself, and the next build must keep them.
#   cmake -DFROM=<source>/data -DTO=<build folder> -P ship_data.cmake
# A shipped file is brought in when the build folder lacks it, or when the copy
# there is still the one last brought in (its hash is kept under
# TO/CMakeFiles/shipped/). A copy the player changed stays; a line says so
# once for each new version of the shipped file.
# FROM is only read.
if(NOT IS_DIRECTORY "${FROM}" OR NOT IS_DIRECTORY "${TO}")
  message(FATAL_ERROR "ship_data.cmake: FROM and TO must name folders")
endif()
set(stamps "${TO}/CMakeFiles/shipped")
file(MAKE_DIRECTORY "${stamps}")
file(GLOB shipped LIST_DIRECTORIES false RELATIVE "${FROM}" "${FROM}/*")
list(REMOVE_ITEM shipped README.md)  # about the source folder, not the game's
foreach(name IN LISTS shipped)
  set(copy "${TO}/${name}")
  file(SHA256 "${FROM}/${name}" newHash)
  set(lastHash "")
  if(EXISTS "${stamps}/${name}")
    file(READ "${stamps}/${name}" lastHash)
  endif()
  if(EXISTS "${copy}")
    file(SHA256 "${copy}" copyHash)
  else()
    set(copyHash "")
  endif()
  # Before stamps were kept, only the files the game writes can be the player's.
  string(REGEX MATCH "^(record|pole.*)\\.txt$" writtenByTheGame "${name}")
  if(copyHash STREQUAL newHash)
  elseif(copyHash STREQUAL "" OR copyHash STREQUAL lastHash OR (lastHash STREQUAL "" AND NOT writtenByTheGame))
    file(COPY_FILE "${FROM}/${name}" "${copy}")
  else()
    if(NOT lastHash STREQUAL newHash)
      message(STATUS "Kept your ${copy}; the shipped one has changed: ${FROM}/${name}")
    endif()
  endif()
  if(NOT lastHash STREQUAL newHash)
    file(WRITE "${stamps}/${name}" "${newHash}")
  endif()
endforeach()
