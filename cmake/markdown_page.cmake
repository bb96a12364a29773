# Renders a Markdown manual (INPUT) as a standalone HTML page (OUTPUT) with cmark-gfm (CMARK,
# GitHub tables); without cmark-gfm the page shows the Markdown text as it is, so that the
# link from the user manual never points to nothing.
# Usage: cmake -DINPUT=in.md -DOUTPUT=out.html [-DCMARK=/usr/bin/cmark-gfm] -P markdown_page.cmake
file(READ ${INPUT} text)
string(REGEX MATCH "^# ([^\n]*)" _ "${text}")
set(title "${CMAKE_MATCH_1}")
if(CMARK)
  execute_process(COMMAND ${CMARK} --extension table --to html ${INPUT}
    OUTPUT_VARIABLE body RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark-gfm failed on ${INPUT}")
  endif()
else()
  string(REPLACE "&" "&amp;" body "${text}")
  string(REPLACE "<" "&lt;" body "${body}")
  string(REPLACE ">" "&gt;" body "${body}")
  set(body "<pre>${body}</pre>\n")
endif()
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${title}</title>
<link rel=\"stylesheet\" href=\"manual/manual.css\">
</head>
<body class=\"markdown\">
${body}</body>
</html>
")
