# Writes ui_text_ids.h: one "#define NAME id" per entry of the string table
# (resources/ui_texts.h), for the resource scripts and the code. The
# resource compiler cannot read the names out of the table's macro, so they
# are spelled out here, at configure time, from the one table.
function(servolt_write_ui_text_ids table output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  # Only the "X(NAME, id," heads are matched: the texts may hold list
  # separators and brackets that CMake would take apart.
  file(READ ${table} content)
  string(REGEX MATCHALL "X\\(IDS_[A-Z0-9_]+, [0-9]+," heads "${content}")
  set(text "// Written by the build from resources/ui_texts.h; do not edit.\n#pragma once\n")
  foreach(head IN LISTS heads)
    string(REGEX MATCH "X\\((IDS_[A-Z0-9_]+), ([0-9]+)," match "${head}")
    string(APPEND text "#define ${CMAKE_MATCH_1} ${CMAKE_MATCH_2}\n")
  endforeach()
  # Rewritten only when it changes, so that nothing rebuilds for nothing.
  if(EXISTS ${output})
    file(READ ${output} old)
  endif()
  if(NOT "${old}" STREQUAL "${text}")
    file(WRITE ${output} "${text}")
  endif()
endfunction()
