# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installation: the window and the loopback server to try it without a layout. On Linux with the
# desktop entry, its icon, the software-centre metadata and the manual pages where desktops and
# man look for them (Debian's packages are built from debian/ over these rules); on Windows
# everything in one folder, packed as a zip and an installer.
if(WIN32)
    install(TARGETS kolvo-testclient kolvo-loopback-server RUNTIME DESTINATION .)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackaging.cmake)
    return()
endif()

include(GNUInstallDirs)
install(TARGETS kolvo-testclient kolvo-loopback-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Both link only system libraries; the $ORIGIN path qt_standard_project_setup() adds would only
# let a stray library next to the binary be loaded.
set_target_properties(kolvo-testclient kolvo-loopback-server PROPERTIES INSTALL_RPATH "")
install(FILES ${KOLVO_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KOLVO_THEME_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.kolvo.testclient.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kolvo-testclient.1
              ${PROJECT_SOURCE_DIR}/packaging/kolvo-loopback-server.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
