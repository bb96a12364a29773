# Fails when a file of the headless core includes a Qt header.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/src/model/* ${SOURCE_DIR}/src/geometry/*
  ${SOURCE_DIR}/src/analysis/* ${SOURCE_DIR}/src/output/* ${SOURCE_DIR}/src/edit/*)
set(bad "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
  if(lines)
    list(APPEND bad "${f}: ${lines}")
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "Qt headers in the core:\n${bad}")
endif()
message(STATUS "core is free of Qt headers")
