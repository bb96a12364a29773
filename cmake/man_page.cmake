# Writes the manual page of the command line from the program's own help texts, so that the
# page and `--help` never disagree: the template (TEMPLATE) holds the prose, @COMMANDS@ becomes
# one subsection per command of `keltora --help` with that command's `keltora COMMAND --help`
# (or its line of the command list when the command has no help of its own).
# Usage: cmake -DPROGRAM=keltora -DTEMPLATE=keltora.1.in -DOUTPUT=keltora.1 -DVERSION=x.y.z
#              -P man_page.cmake        (run in a scratch folder: the commands are really run)

cmake_minimum_required(VERSION 3.20)

# Text for a no-fill block of a manual page: backslashes, minus signs and control characters
# at the start of a line are escaped.
function(troff_verbatim text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status
  ERROR_QUIET)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# CMake lists do not split inside square brackets: park them while the text is a list.
string(REPLACE "[" "@LB@" parked "${help}")
string(REPLACE "]" "@RB@" parked "${parked}")
string(REPLACE ";" "@SC@" parked "${parked}")
string(REPLACE "\n" ";" lines "${parked}")

set(commands "")
set(seen "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^  ([a-z][a-z0-9-]*)( |$)")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  if(name IN_LIST seen)
    continue()
  endif()
  list(APPEND seen "${name}")
  execute_process(COMMAND ${PROGRAM} ${name} --help
    OUTPUT_VARIABLE own ERROR_VARIABLE own_error RESULT_VARIABLE own_status)
  if(own_status EQUAL 0 AND NOT own STREQUAL "")
    set(text "${own}")
  else()
    string(REPLACE "@LB@" "[" text "${line}")
    string(REPLACE "@RB@" "]" text "${text}")
    string(REPLACE "@SC@" ";" text "${text}")
    string(STRIP "${text}" text)
  endif()
  troff_verbatim("${text}" text)
  string(APPEND commands ".SS ${name}\n.nf\n${text}\n.fi\n")
endforeach()
if(commands STREQUAL "")
  message(FATAL_ERROR "no commands found in the output of ${PROGRAM} --help")
endif()

file(READ ${TEMPLATE} page)
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@COMMANDS@\n" "${commands}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
