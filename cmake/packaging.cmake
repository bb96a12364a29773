# What `cmake --install` puts where (GNU layout), the generated manual pages and HTML pages,
# and the Debian package (`cpack -G DEB`). Included from the top-level CMakeLists.txt.
include(GNUInstallDirs)

set(KELTORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/keltora)

# Programs. The viewers and the main window exist only in builds with Qt.
set(keltora_programs keltora)
foreach(program keltora-gui keltora-plotter keltora-report-viewer)
  if(TARGET ${program})
    list(APPEND keltora_programs ${program})
  endif()
endforeach()
install(TARGETS ${keltora_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The rendering program of `keltora plot -o` and `keltora report`, run by keltora only.
if(TARGET keltora-render)
  install(TARGETS keltora-render RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/keltora)
endif()

# Data the programs find relative to their own folder (bin/../share/keltora/...).
install(DIRECTORY forms/ DESTINATION ${CMAKE_INSTALL_DATADIR}/keltora/forms
  FILES_MATCHING PATTERN "*.PFM")
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/keltora/examples)

# Manuals: the user manual (HTML), the verification manual (Markdown, its figures and an
# HTML rendering of it) and the README.
install(DIRECTORY docs/manual/ DESTINATION ${KELTORA_DOC_DIR}/manual)
install(FILES docs/verification.md README.md DESTINATION ${KELTORA_DOC_DIR})
install(DIRECTORY docs/verification/ DESTINATION ${KELTORA_DOC_DIR}/verification)

find_program(KELTORA_CMARK_GFM cmark-gfm)
set(verification_html ${CMAKE_CURRENT_BINARY_DIR}/doc/verification.html)
add_custom_command(OUTPUT ${verification_html}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_CURRENT_SOURCE_DIR}/docs/verification.md
          -DOUTPUT=${verification_html} -DCMARK=${KELTORA_CMARK_GFM}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/markdown_page.cmake
  DEPENDS docs/verification.md cmake/markdown_page.cmake
  COMMENT "Rendering the verification manual as HTML")
add_custom_target(keltora_html ALL DEPENDS ${verification_html})
install(FILES ${verification_html} DESTINATION ${KELTORA_DOC_DIR})

# Manual pages. keltora.1 takes its command list and each command's options from the
# program's own --help texts (cmake/man_page.cmake); the others are written by hand.
set(man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${man_dir}/run)
add_custom_command(OUTPUT ${man_dir}/keltora.1
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:keltora>
          -DTEMPLATE=${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/keltora.1.in
          -DOUTPUT=${man_dir}/keltora.1 -DVERSION=${PROJECT_VERSION}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/man_page.cmake
  WORKING_DIRECTORY ${man_dir}/run
  DEPENDS keltora packaging/man/keltora.1.in cmake/man_page.cmake
  COMMENT "Writing the manual page keltora.1 from keltora --help")
add_custom_target(keltora_man ALL DEPENDS ${man_dir}/keltora.1)
set(man_pages ${man_dir}/keltora.1)
foreach(program keltora-gui keltora-plotter keltora-report-viewer)
  if(TARGET ${program})
    list(APPEND man_pages ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/${program}.1)
  endif()
endforeach()
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# One completion file for all programs, under each name (bash loads completions by name).
foreach(program ${keltora_programs})
  install(FILES packaging/bash-completion/keltora
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

# Desktop integration of the main window: menu entry, icon, the section file type.
if(TARGET keltora-gui)
  install(FILES packaging/keltora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/keltora.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES packaging/keltora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
endif()

# The Debian package. Library dependencies (Qt 6, whose Debian package of the GUI library also
# holds the platform plugins) come from dpkg-shlibdeps; what it cannot see is named here: the
# Japanese Gothic font that the forms and figures are laid out for.
set(KELTORA_PACKAGE_MAINTAINER "KELTORA developers <keltora@example.invalid>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_NAME keltora)
set(CPACK_PACKAGE_VENDOR "KELTORA project")
set(CPACK_PACKAGE_CONTACT ${KELTORA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "slope stability analysis by slip circles and slip lines")
# The summary above becomes the first line of the package description; CPack indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "KELTORA checks earth slopes, embankments and quay-wall backfills against
slip failure in a two-dimensional cross-section: modified Fellenius,
simplified Bishop and straight slip lines, with a search for the critical
slip surface, result tables, calculation figures and printed reports.

The package holds the main window (keltora-gui, Japanese interface), the
command line for batch work (keltora), the plotter and the report viewer
with their report forms, sample sections, the Japanese user manual and
the verification manual.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KELTORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
