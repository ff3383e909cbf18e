# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian packages' programs get Debian's hardening flags, as Debian's own build tools would
# give them, for the architecture the package is for (KOLVO_DEB_ARCH when cross-building). They
# go before the build type's flags, so that type's optimisation level holds.
option(KOLVO_DEB_HARDENING "Build with Debian's hardening flags (dpkg-buildflags, hardening=+all)" OFF)
if(NOT KOLVO_DEB_HARDENING)
    return()
endif()
set(kolvo_host_arch)
if(KOLVO_DEB_ARCH)
    set(kolvo_host_arch DEB_HOST_ARCH=${KOLVO_DEB_ARCH})
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${kolvo_host_arch} DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            dpkg-buildflags --get ${kind}
                    OUTPUT_VARIABLE kolvo_deb_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE kolvo_result)
    if(NOT kolvo_result EQUAL 0)
        message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed (${kolvo_result}); it comes with dpkg-dev")
    endif()
endforeach()
string(STRIP "${CMAKE_CXX_FLAGS} ${kolvo_deb_CPPFLAGS} ${kolvo_deb_CXXFLAGS}" CMAKE_CXX_FLAGS)
string(STRIP "${CMAKE_EXE_LINKER_FLAGS} ${kolvo_deb_LDFLAGS}" CMAKE_EXE_LINKER_FLAGS)
message(STATUS "Debian hardening flags: ${kolvo_deb_CPPFLAGS} ${kolvo_deb_CXXFLAGS}; ${kolvo_deb_LDFLAGS}")
