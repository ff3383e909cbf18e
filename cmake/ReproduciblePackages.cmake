# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack after it has packed (CPACK_POST_BUILD_SCRIPTS): gives every file in the packages
# the time of the commit (SOURCE_DATE_EPOCH) instead of the build's, so two builds of one
# commit give the same bytes. Without SOURCE_DATE_EPOCH the packages stay as CPack made them.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} OR "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    return()
endif()
set(epoch $ENV{SOURCE_DATE_EPOCH})

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.deb$")
        # dpkg-deb sorts the members, owns them by root and clamps their times to the epoch.
        set(unpacked ${CPACK_TOPLEVEL_DIRECTORY}/reproducible-deb)
        file(REMOVE_RECURSE ${unpacked})
        execute_process(COMMAND dpkg-deb --raw-extract ${package} ${unpacked}
                        COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND find ${unpacked} -exec touch --no-dereference --date=@${epoch} {} +
                        COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${unpacked} ${package}
                        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
        file(REMOVE_RECURSE ${unpacked})
    elseif(package MATCHES "\\.zip$")
        execute_process(COMMAND strip-nondeterminism --type zip --timestamp ${epoch} ${package}
                        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
