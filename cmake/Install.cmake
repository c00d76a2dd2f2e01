# Installing: the program in bin/, its own files (the starting catalog, the
# terms of use, the end-of-scan sound) in share/dustmote/, which the program
# then takes for its folder, and the menu entry with its icon. A Debian
# package: cpack -G DEB in the build folder.
include(GNUInstallDirs)

install(TARGETS dustmote RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
    ${CMAKE_BINARY_DIR}/app/default/List.lst
    ${PROJECT_SOURCE_DIR}/resources/documents/eula.rtf
    ${PROJECT_SOURCE_DIR}/resources/sounds/alert.wav
  DESTINATION ${CMAKE_INSTALL_DATADIR}/dustmote)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/dustmote.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/dustmote.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME dustmote)
set(CPACK_PACKAGE_VENDOR "Dustmote")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Junk-file cleaner")
set(CPACK_PACKAGE_DESCRIPTION
  "Finds junk files (temporary files, backups, logs and the like) by the types\nthe user ticks, lists them with folder, size and time, and deletes the ones\nthe user chooses after one confirmation. The program's texts are Russian.")
set(CPACK_PACKAGE_CONTACT "Dustmote <dustmote@dustmote.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Libraries from the binary, and the SVG plugins that draw the program's
# images, which Qt loads by name, and Qt's own Russian texts (the buttons of
# its message boxes); the desktop's opener recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
