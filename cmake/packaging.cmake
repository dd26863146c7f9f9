# What is installed besides the program, and the release packages:
#   cmake --build <dir> --target package         a Debian package on Linux,
#                                                 a zip from the MinGW builds
#   cmake --build <dir> --target package_source  the source tarball
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_PACKAGE_NAME shirokuro)
set(CPACK_PACKAGE_VENDOR "the shirokuro developers")
set(CPACK_PACKAGE_CONTACT "the shirokuro developers <shirokuro@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player board game for the console, with Japanese prompts")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Both MinGW builds go into one zip, each program in a folder named by
  # its word size, beside the two text files with Windows line ends.
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  install(TARGETS shirokuro RUNTIME DESTINATION ${bits}-bit)
  configure_file(${packaging}/README-windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)

  set(SHIROKURO_WINDOWS_BUILDS "${PROJECT_SOURCE_DIR}/build/windows;${PROJECT_SOURCE_DIR}/build/windows64"
      CACHE STRING "The MinGW build directories whose programs go into the Windows zip (build them first)")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME shirokuro-${PROJECT_VERSION}-windows)
  set(CPACK_SHIROKURO_WINDOWS_BUILDS ${SHIROKURO_WINDOWS_BUILDS})
  set(CPACK_INSTALL_CMAKE_PROJECTS "")
  foreach(dir IN LISTS SHIROKURO_WINDOWS_BUILDS)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${dir} shirokuro ALL /)
  endforeach()
else()
  # Installed as distributions install console games: the program in
  # games/ under the prefix, its manual page in section 6, compressed as
  # Debian's policy asks (-n: no time stamp, so the bytes do not change).
  install(TARGETS shirokuro RUNTIME DESTINATION games)
  set(gzipped ${PROJECT_BINARY_DIR}/gz)
  foreach(file doc/shirokuro.6 packaging/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${gzipped}/${name}.gz
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${gzipped}
                       COMMAND sh -c "gzip -9n <'${PROJECT_SOURCE_DIR}/${file}' >'${gzipped}/${name}.gz'"
                       DEPENDS ${file} VERBATIM)
    list(APPEND gzipped_files ${gzipped}/${name}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${gzipped_files})
  install(FILES ${gzipped}/shirokuro.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${gzipped}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.Debian.gz)
  install(FILES ${packaging}/shirokuro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging}/shirokuro.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  file(STRINGS ${packaging}/changelog latest LIMIT_COUNT 1)
  if(NOT latest MATCHES "^shirokuro \\(${PROJECT_VERSION}-1\\) ")
    message(WARNING "packaging/changelog has no entry for ${PROJECT_VERSION}-1 at the top")
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # cpack puts the summary above it, and /usr is its prefix for a .deb.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "shirokuro is a board game for two players on an 8x8 field, played in a
terminal. Black moves first; a move puts a disc so that it brackets an
unbroken run of the opponent's discs, which turn to the mover's colour. The
side with more discs at the end wins.

Each colour is played by a person at the keyboard or by the computer, which
picks a random legal move (level 0) or, at levels 1 to 7, searches for a
good one, solving the last moves exactly. The prompts are Japanese; the
program shows them in the terminal's own character set.")
endif()

# The source tarball: the tree without build output, release files or
# version-control data.
# (Brackets, not backslashes, quote a character: cpack reads the patterns
# from a file of its own, where a backslash would need quoting again.)
string(REGEX REPLACE "([.+*?()$|])" "[\\1]" source_dir "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME shirokuro-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "^${source_dir}/(build|dist)/" "/[.]git$" "/[.]git/" "/__pycache__/")

set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_options.cmake)
include(CPack)
