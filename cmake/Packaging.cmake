# Installation in the freedesktop places, and a .deb through CPack.
#   bin/Tavermund                         the tool
#   bin/tavermund-cli                     the bench from a shell
#   bin/tavermund                         launcher: runs a copy from ~/Tavermund
#   share/applications/tavermund.desktop
#   share/icons/hicolor/32x32/apps/tavermund.png
#   share/icons/hicolor/scalable/apps/tavermund.svg
#   share/metainfo/io.github.tavermund.tavermund.metainfo.xml   (AppStream)
#   share/doc/tavermund/copyright         the licence
include(GNUInstallDirs)

configure_file(${PROJECT_SOURCE_DIR}/resources/tavermund-launch.in ${CMAKE_BINARY_DIR}/tavermund @ONLY)
install(TARGETS Tavermund tavermund-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/tavermund DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/tavermund.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/tavermund.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/tavermund.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavermund RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/resources/io.github.tavermund.tavermund.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavermund)
set(CPACK_PACKAGE_VENDOR "Tavermund developers")
set(CPACK_PACKAGE_CONTACT "Tavermund developers <maintainers@users.noreply.c-seed-d7838ed4.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Searches for the board on a serial port, sets its PWM duty cycle and frequency, reads them back and polls it. Keeps its settings beside the executable. tavermund-cli does the same from a shell, for scripts, and both can log every line.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
