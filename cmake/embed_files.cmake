# cmake -DFOLDER=dir -DOUTPUT=file.cpp -P embed_files.cmake
#
# Writes a source file holding every file of FOLDER (not below it) as an
# array of bytes, with a table of their names, so that the program carries
# the page and never reads it from the file system (hidden files and backups
# ending in '~' are left out). A name may hold letters, digits, '.', '-' and
# '_' only: the table is looked up by the exact name a request gives, and no
# other name could ever be asked for.
file(GLOB entries RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT entries)
set(arrays "")
set(table "")
set(count 0)
foreach(name IN LISTS entries)
  # An editor's hidden and backup files are no part of the page.
  if(name MATCHES "^\\." OR name MATCHES "~$")
    continue()
  endif()
  if(IS_DIRECTORY ${FOLDER}/${name})
    message(FATAL_ERROR "${FOLDER}/${name}: the page's files are embedded from one folder, without subfolders")
  endif()
  if(NOT name MATCHES "^[A-Za-z0-9_][A-Za-z0-9._-]*$")
    message(FATAL_ERROR "${FOLDER}/${name}: a page file's name may hold letters, digits, '.', '-' and '_' only")
  endif()
  file(READ ${FOLDER}/${name} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line; a closing 0 so that an empty file is an array too.
  string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kFile${count}[] = {\n${bytes}0};\n")
  string(APPEND table "    {\"${name}\", kFile${count}, ${size}},\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${FOLDER} holds no file to embed")
endif()
set(text "// Written by the build from the page's files (src/web/static); do not edit.\n#include \"web/static_files.h\"\n\nnamespace {\n${arrays}}  // namespace\n\nconst StaticFile kStaticFiles[] = {\n${table}};\nconst std::size_t kStaticFileCount = ${count};\n")
# Rewritten only when it changes, so that nothing rebuilds for nothing.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE ${OUTPUT} "${text}")
endif()
