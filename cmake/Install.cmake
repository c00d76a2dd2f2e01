# Installing: the programs in bin/, the sound's player module in the
# architecture's library folder (lib/<arch>/dustmote), their own files (the
# starting catalog, the terms of use, the end-of-scan sound) in
# share/dustmote/, which the program then takes for its folder, the menu
# entry with its icon, the manual pages,
# the schedule's systemd user units (off until the user enables the timer),
# and the package's changelog and copyright. A Debian package: cpack -G DEB in
# the build folder.
include(GNUInstallDirs)

install(TARGETS dustmote dustmote-clean RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS dustmote-sound LIBRARY DESTINATION ${DUSTMOTE_MODULE_DIR})
install(FILES
    ${CMAKE_BINARY_DIR}/app/default/List.lst
    ${PROJECT_SOURCE_DIR}/resources/documents/eula.rtf
    ${PROJECT_SOURCE_DIR}/resources/sounds/alert.wav
  DESTINATION ${CMAKE_INSTALL_DATADIR}/dustmote)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/dustmote.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/dustmote.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages and the changelog, compressed the way Debian wants them: at the
# highest level and without the name and time stamp (so the same source makes
# the same bytes).
set(dustmote_gzipped)
foreach(source resources/man/dustmote.1 resources/man/dustmote-clean.1 resources/debian/changelog)
  cmake_path(GET source FILENAME name)
  set(output ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/${source} ${output}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND dustmote_gzipped ${output})
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${dustmote_gzipped})
install(FILES ${CMAKE_BINARY_DIR}/packaging/dustmote.1.gz ${CMAKE_BINARY_DIR}/packaging/dustmote-clean.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/dustmote RENAME changelog.Debian.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/dustmote)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME dustmote)

# The schedule. The service names the cleaner by its installed path, and that
# is known only when installing: cpack installs into /usr whatever prefix the
# build was configured with. So the unit is written then, straight into the
# installation (DESTDIR included), and entered in the install manifest.
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  set(dustmote_bindir "${CMAKE_INSTALL_BINDIR}")
else()
  set(dustmote_bindir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
endif()
install(CODE "
  set(CMAKE_INSTALL_FULL_BINDIR \"${dustmote_bindir}\")
  set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/dustmote-clean.service\")
  message(STATUS \"Installing: \${unit}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/resources/systemd/dustmote-clean.service.in\" \"\${unit}\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${unit}\")
")
install(FILES ${PROJECT_SOURCE_DIR}/resources/systemd/dustmote-clean.timer DESTINATION lib/systemd/user)

set(CPACK_PACKAGE_NAME dustmote)
set(CPACK_PACKAGE_VENDOR "Dustmote")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Junk-file cleaner")
set(CPACK_PACKAGE_DESCRIPTION
  "Finds junk files (temporary files, backups, logs and the like) by the types\nthe user ticks, lists them with folder, size and time, and deletes the ones\nthe user chooses after one confirmation, for good or to the desktop's trash,\nfrom where they can be brought back. The command-line cleaner dustmote-clean\ndoes the same without a window, also once a week from a systemd user timer\nthat is off until the user enables it. The program's texts are Russian.")
set(CPACK_PACKAGE_CONTACT "Dustmote <dustmote@dustmote.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package's version is the changelog's newest entry, whose upstream part
# must be the project's.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/debian/changelog dustmote_changelog_top LIMIT_COUNT 1)
if(NOT dustmote_changelog_top MATCHES "^dustmote \\(${PROJECT_VERSION}-([0-9]+)\\) ")
  message(FATAL_ERROR "resources/debian/changelog: the newest entry is not dustmote (${PROJECT_VERSION}-N)")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1})
# The terms of use allow copying and passing on only unchanged and free of
# charge: not free software in Debian's sense, so the non-free area.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/utils)
# Libraries from the binary, and the SVG plugins that draw the program's
# images, which Qt loads by name, and Qt's own Russian texts (the buttons of
# its message boxes); the desktop's opener recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
