# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack after it has packed (CPACK_POST_BUILD_SCRIPTS): gives every file in the zip
# the time of the commit (SOURCE_DATE_EPOCH) instead of the build's, so two builds of one
# commit give the same bytes. Without SOURCE_DATE_EPOCH the packages stay as CPack made them.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} OR "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    return()
endif()
set(epoch $ENV{SOURCE_DATE_EPOCH})

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
        execute_process(COMMAND strip-nondeterminism --type zip --timestamp ${epoch} ${package}
                        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
