# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows downloads: a portable zip and an NSIS installer. Both hold the two programs beside
# exactly what they load: Qt's Core, Gui, Widgets and Network, the Windows platform plugin and
# the compiler's runtime, in the programs' folder.

install(FILES
    $<TARGET_FILE:Qt6::Core>
    $<TARGET_FILE:Qt6::Gui>
    $<TARGET_FILE:Qt6::Widgets>
    $<TARGET_FILE:Qt6::Network>
    DESTINATION .)
# Debian's Qt (6.8 on) leaves the plugins' targets out unless a project asks for one.
if(NOT TARGET Qt6::QWindowsIntegrationPlugin)
    find_package(Qt6QWindowsIntegrationPlugin CONFIG REQUIRED PATHS ${Qt6Gui_DIR} NO_DEFAULT_PATH)
endif()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)

# The licences the downloads carry go to a folder of their own; each runtime library's licence
# is its Debian package's copyright file.
set(licenses ${CMAKE_BINARY_DIR}/licenses)
function(kolvo_debian_copyright file output)
    execute_process(COMMAND dpkg-query -S "${file}" OUTPUT_VARIABLE owner RESULT_VARIABLE failed
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE "[:,].*" "" owner "${owner}")
    if(failed OR NOT EXISTS /usr/share/doc/${owner}/copyright)
        message(FATAL_ERROR "No Debian copyright file for ${file}")
    endif()
    configure_file(/usr/share/doc/${owner}/copyright ${licenses}/${output} COPYONLY)
endfunction()

# The runtime of the very compiler that built the programs and Qt, with its licence.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "The compiler does not know where ${runtime} is")
    endif()
    file(REAL_PATH "${runtime_path}" runtime_path)
    install(FILES "${runtime_path}" DESTINATION .)
    if(runtime MATCHES "winpthread")
        kolvo_debian_copyright("${runtime_path}" mingw-w64-copyright.txt)
    else()
        kolvo_debian_copyright("${runtime_path}" gcc-runtime-copyright.txt)
    endif()
endforeach()

# Qt's and the compiler's libraries come with their symbol tables, two thirds of their size;
# stripped like the programs, the unpacked program shrinks from 64 to 27 MB.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB libraries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\"
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/platforms/*.dll\")
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \${libraries}
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()")

# The licences of everything else the downloads hold, with a note of which covers what and where
# the exact Qt source is. KOLVO_QT_SOURCE is the folder with the Qt source package the libraries were built from.
set(KOLVO_QT_SOURCE "" CACHE PATH "Folder with the Debian source package of the Windows Qt")
file(GLOB qt_dsc "${KOLVO_QT_SOURCE}/qt6-base_*.dsc")
if(NOT qt_dsc OR NOT EXISTS "${KOLVO_QT_SOURCE}/configure-options.txt"
   OR NOT EXISTS "${KOLVO_QT_SOURCE}/copyright")
    message(FATAL_ERROR "KOLVO_QT_SOURCE must name the folder that holds the Qt source package, "
                        "configure-options.txt and copyright (scripts/windows/build-qt-mingw.sh "
                        "makes it)")
endif()
get_filename_component(qt_dsc "${qt_dsc}" NAME)
string(REGEX REPLACE "^qt6-base_(.*)\\.dsc$" "\\1" KOLVO_QT_DEBIAN_VERSION "${qt_dsc}")
# snapshot.debian.org spells the version's "+" and ":" as in any URL.
string(REPLACE "+" "%2B" KOLVO_QT_DEBIAN_VERSION_URL "${KOLVO_QT_DEBIAN_VERSION}")
string(REPLACE ":" "%3A" KOLVO_QT_DEBIAN_VERSION_URL "${KOLVO_QT_DEBIAN_VERSION_URL}")
set(KOLVO_QT_VERSION ${Qt6Core_VERSION})
set(KOLVO_QT_SOURCE_ARCHIVE "qt6-base-${KOLVO_QT_DEBIAN_VERSION}-source.tar")
file(STRINGS "${KOLVO_QT_SOURCE}/configure-options.txt" qt_options)
list(TRANSFORM qt_options PREPEND "        ")
list(JOIN qt_options "\n" KOLVO_QT_OPTIONS)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpfullversion
                OUTPUT_VARIABLE KOLVO_COMPILER_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE)
# Debian's mingw-w64 compilers name only the major version; their package names the release.
execute_process(COMMAND dpkg-query -W "-f=\${Version}" g++-mingw-w64-x86-64-posix
                OUTPUT_VARIABLE compiler_package RESULT_VARIABLE failed ERROR_QUIET)
if(failed)
    set(KOLVO_COMPILER_VERSION "g++ ${KOLVO_COMPILER_VERSION}")
else()
    set(KOLVO_COMPILER_VERSION "g++ ${KOLVO_COMPILER_VERSION}, Debian's g++-mingw-w64-x86-64-posix ${compiler_package}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/licenses-README.txt.in ${licenses}/README.txt @ONLY)

# The copyright file of the very source the libraries were built from.
configure_file(${KOLVO_QT_SOURCE}/copyright ${licenses}/Qt-copyright.txt COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/LICENSES/GPL-3.0-or-later.txt ${licenses}/GPL-3.0.txt COPYONLY)
configure_file(/usr/share/common-licenses/LGPL-3 ${licenses}/LGPL-3.0.txt COPYONLY)
install(DIRECTORY ${licenses}/ DESTINATION licenses)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME kolvo-testclient)
set(CPACK_PACKAGE_VENDOR "Kolvo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Test client for Kolvo model-railway command servers")
set(CPACK_STRIP_FILES ON)
# The zip's entries carry the commit's time, so two builds of one commit give the same bytes.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/ReproduciblePackages.cmake)
set(CPACK_PACKAGE_FILE_NAME "kolvo-testclient-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kolvo Testclient")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "kolvo-testclient")

# Our own installer script (nsis/NSIS.template.in): German, our licence on its licence page, a
# finish page that offers to start the window, and a full entry in the list of installed
# programs. Its Start-menu folder holds the window and the loopback server in a console window
# that shows every line it receives, to try the window without a layout.
list(PREPEND CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows/nsis)
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS -INPUTCHARSET UTF8)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSES/GPL-3.0-or-later.txt)
set(CPACK_NSIS_PACKAGE_NAME "${KOLVO_PRODUCT_NAME}")
set(CPACK_NSIS_DISPLAY_NAME "${KOLVO_PRODUCT_NAME}")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/packaging/kolvo-testclient.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/packaging/kolvo-testclient.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kolvo-testclient.exe")
set(CPACK_KOLVO_SERVER_MENU_NAME "Kolvo Loopback-Server zum Ausprobieren")
set(CPACK_KOLVO_COPYRIGHT "Copyright (C) 2026 Kolvo Testclient contributors, GPL-3.0-or-later")
include(CPack)
