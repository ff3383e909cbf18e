# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Windows programs carry a version resource (the Details tab of their properties) and, where
# given, the icon Explorer, the taskbar and the Start menu show.
set(KOLVO_PRODUCT_NAME "Testclient für Kolvo-Server")
set(KOLVO_VENDOR "Kolvo")

function(kolvo_add_windows_resources target description)
    cmake_parse_arguments(ARG "" "ICON" "" ${ARGN})
    set(KOLVO_RC_TARGET ${target})
    set(KOLVO_RC_DESCRIPTION "${description}")
    set(KOLVO_RC_ICON_LINE "")
    if(ARG_ICON)
        # Qt's Windows platform gives the program's windows the icon of this name.
        set(KOLVO_RC_ICON_LINE "IDI_ICON1 ICON \"${ARG_ICON}\"")
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
