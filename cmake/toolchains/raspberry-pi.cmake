# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Cross-compiling for a Raspberry Pi running Debian: -DKOLVO_DEB_ARCH=arm64 or armhf, and
# -DKOLVO_SYSROOT=<the folder scripts/pi/make-sysroot.sh prints>, which holds Debian's own Qt of
# that architecture. Debian's amd64 moc, rcc and uic, of the same Qt version, are the host tools.
# The programs run under qemu-user: CTest's emulator, and the tests' for the server they start.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOLVO_DEB_ARCH KOLVO_SYSROOT)

if(KOLVO_DEB_ARCH STREQUAL "arm64")
    set(CMAKE_SYSTEM_PROCESSOR aarch64)
    set(KOLVO_TARGET_TRIPLET aarch64-linux-gnu)
elseif(KOLVO_DEB_ARCH STREQUAL "armhf")
    set(CMAKE_SYSTEM_PROCESSOR arm)
    set(KOLVO_TARGET_TRIPLET arm-linux-gnueabihf)
    # GCC notes that passing Qt's iterators changed with GCC 7.1; nothing older than that built
    # any library we link.
    set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
else()
    message(FATAL_ERROR "KOLVO_DEB_ARCH must be arm64 or armhf, not '${KOLVO_DEB_ARCH}'")
endif()
if(NOT IS_DIRECTORY "${KOLVO_SYSROOT}/usr/lib/${KOLVO_TARGET_TRIPLET}")
    message(FATAL_ERROR "KOLVO_SYSROOT '${KOLVO_SYSROOT}' holds no ${KOLVO_DEB_ARCH} libraries: "
                        "make one with scripts/pi/make-sysroot.sh ${KOLVO_DEB_ARCH}")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSROOT ${KOLVO_SYSROOT})
set(CMAKE_C_COMPILER ${KOLVO_TARGET_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KOLVO_TARGET_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE KOLVO_HOST_MULTIARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${KOLVO_HOST_MULTIARCH}/cmake)

get_filename_component(KOLVO_QEMU_RUN ${CMAKE_CURRENT_LIST_DIR}/../../scripts/pi/qemu-run.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KOLVO_QEMU_RUN})
