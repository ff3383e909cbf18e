# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Read by CPack (CPACK_PROJECT_CONFIG_FILE) for a cross-built Debian package: dpkg-shlibdeps
# then reads the binaries with that architecture's objdump and looks in its library folders.
set(ENV{DEB_HOST_ARCH} "${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
