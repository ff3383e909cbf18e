# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installation and the downloads: the window and the loopback server to try it without a
# layout. On Linux a Debian package with the desktop entry and its icon where menus look for
# them; on Windows a zip and an installer (WindowsPackaging.cmake).
set(CPACK_PACKAGE_NAME kolvo-testclient)
set(CPACK_PACKAGE_VENDOR "Kolvo")
set(KOLVO_PACKAGE_MAINTAINER "Kolvo maintainers <maintainers@kolvo.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${KOLVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Test client for Kolvo model-railway command servers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "An operator window that connects to a model-railway command server over TCP\n"
    "and sends one-line commands: a turnout pulse, one locomotive, track power and\n"
    "an S88 feedback query. Includes kolvo-loopback-server, a small local server\n"
    "to try the window without a layout.")

# On Windows everything sits in one folder, so the unpacked zip runs from anywhere.
if(WIN32)
    set(KOLVO_PROGRAM_DESTINATION .)
else()
    include(GNUInstallDirs)
    set(KOLVO_PROGRAM_DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS kolvo-testclient kolvo-loopback-server RUNTIME DESTINATION ${KOLVO_PROGRAM_DESTINATION})
set(CPACK_STRIP_FILES ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/ReproduciblePackages.cmake)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackaging.cmake)
    include(CPack)
    return()
endif()

# Both link only system libraries; the $ORIGIN path qt_standard_project_setup() adds would only
# let a stray library next to the binary be loaded.
set_target_properties(kolvo-testclient kolvo-loopback-server PROPERTIES INSTALL_RPATH "")
install(FILES ${KOLVO_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KOLVO_THEME_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.kolvo.testclient.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Changelog and manual pages go in compressed as Debian wants them. -n leaves out the name and
# time stamp, so the same sources give the same bytes in every build.
set(kolvo_gzipped_docs)
foreach(doc changelog kolvo-testclient.1 kolvo-loopback-server.1)
    set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/packaging/${doc}.gz)
    add_custom_command(OUTPUT ${gzipped}
        COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/${doc} > ${gzipped}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${doc}
        VERBATIM)
    list(APPEND kolvo_gzipped_docs ${gzipped})
endforeach()
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
add_custom_target(kolvo-gzipped-docs ALL DEPENDS ${kolvo_gzipped_docs})
# The package's own name, not the project's that CMAKE_INSTALL_DOCDIR would use.
set(kolvo_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kolvo-testclient)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${kolvo_doc_dir})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/kolvo-testclient.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/kolvo-loopback-server.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
# One package per Debian release, each built against that release's Qt: the release is part of
# the version and so of the file name (1.0+deb12, 1.0+deb13), and the later release's sorts after
# the earlier's, so an upgraded system takes its own when ours is installed again.
set(KOLVO_DEBIAN_RELEASE "" CACHE STRING
    "Debian release the package is built for (12, 13, bookworm, trixie); empty: the build system's")
set(kolvo_release_script ${PROJECT_SOURCE_DIR}/scripts/debian-release.sh)
if(KOLVO_DEBIAN_RELEASE STREQUAL "")
    set(kolvo_os_release /etc/os-release)
    if(CMAKE_SYSROOT AND EXISTS ${CMAKE_SYSROOT}/etc/os-release)
        set(kolvo_os_release ${CMAKE_SYSROOT}/etc/os-release)
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E env KOLVO_OS_RELEASE=${kolvo_os_release}
                            ${kolvo_release_script} host
                    OUTPUT_VARIABLE kolvo_debian_release OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
else()
    set(kolvo_debian_release ${KOLVO_DEBIAN_RELEASE})
endif()
execute_process(COMMAND ${kolvo_release_script} version ${PROJECT_VERSION} ${kolvo_debian_release}
                OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Directories in the package are 0755 whatever the umask of the one who builds it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# dpkg-shlibdeps reads the libraries the binaries link, so Depends matches the Qt we built with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fixed layout is measured in Liberation Sans; wider substitutes clip captions. The Wayland
# platform plugin lets the window start in a session without an X server.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# A Raspberry Pi build is packed for its own architecture: dpkg-shlibdeps reads that
# architecture's libraries, and their symbols, in the sysroot.
if(KOLVO_DEB_ARCH)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KOLVO_DEB_ARCH})
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
        ${CMAKE_SYSROOT}/usr/lib/${KOLVO_TARGET_TRIPLET} ${CMAKE_SYSROOT}/lib/${KOLVO_TARGET_TRIPLET})
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CrossDebianPackaging.cmake)
endif()
include(CPack)
