cmake_minimum_required(VERSION 3.25)
# Fails if a program or module names a library search path that depends on
# the folder it is started from: an empty entry (the current folder) or a
# relative one.
#   cmake -DFILES="a;b" -P search_path_test.cmake
foreach(file IN LISTS FILES)
  file(READ_ELF "${file}" RPATH rpath RUNPATH runpath)
  foreach(kind rpath runpath)
    if(NOT DEFINED ${kind})
      continue()
    endif()
    string(REPLACE ":" ";" entries "${${kind}}")
    list(LENGTH entries count)
    if(count EQUAL 0) # the whole path empty: one empty entry
      set(entries ";")
    endif()
    foreach(entry IN LISTS entries)
      if(NOT entry MATCHES "^(/|\\$ORIGIN|\\$\\{ORIGIN\\})")
        message(FATAL_ERROR "${file}: ${kind} \"${${kind}}\" has the entry \"${entry}\"")
      endif()
    endforeach()
  endforeach()
endforeach()
message(STATUS "no relative library search path in ${FILES}")
