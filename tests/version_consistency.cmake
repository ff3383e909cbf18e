# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Every place a user reads the version agrees with project(): the Debian changelog's top entry
# (without its Debian revision), the software-centre metadata's latest release,
# `kolvo-loopback-server --version` and, in a Windows build, the downloads CPack builds and the
# version resource.
# Run by CTest: cmake -DVERSION=... -DSOURCE_DIR=... -DBINARY_DIR=... -DSERVER=... [-DRUNNER=...]
# [-DVERSION_RC=...] -P version_consistency.cmake
set(failures "")
function(expect what found)
    if(NOT found STREQUAL VERSION)
        set(failures "${failures}\n  ${what}: \"${found}\", not \"${VERSION}\"" PARENT_SCOPE)
    endif()
endfunction()

file(STRINGS ${SOURCE_DIR}/debian/changelog top LIMIT_COUNT 1)
string(REGEX REPLACE "^kolvo-testclient \\(([^)]*)-[^)-]*\\).*" "\\1" found "${top}")
expect("debian/changelog's top entry" "${found}")

file(READ ${SOURCE_DIR}/packaging/org.kolvo.testclient.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" found "${metainfo}")
expect("the metainfo's latest release" "${CMAKE_MATCH_1}")

# Under Wine, what Qt prints never reaches a pipe; there the version resource speaks for the
# program. Under qemu it prints as natively.
if(NOT VERSION_RC)
    execute_process(COMMAND ${RUNNER} ${SERVER} --version OUTPUT_VARIABLE printed
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE "^kolvo-loopback-server " "" found "${printed}")
    expect("kolvo-loopback-server --version" "${found}")
endif()

if(VERSION_RC)
    include(${BINARY_DIR}/CPackConfig.cmake)
    expect("the downloads' version" "${CPACK_PACKAGE_VERSION}")
    file(READ ${VERSION_RC} rc)
    string(REGEX MATCH "\"ProductVersion\", *\"([^\"]*)\"" found "${rc}")
    expect("the Windows version resource" "${CMAKE_MATCH_1}")
endif()

if(failures)
    message(FATAL_ERROR "Versions disagree:${failures}")
endif()
message(STATUS "Every version reads ${VERSION}")
