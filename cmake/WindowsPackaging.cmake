# The Windows downloads: a portable zip and an NSIS installer. Both hold the two programs beside
# exactly what they load: Qt's Core, Gui, Widgets and Network, the Windows platform plugin and
# the compiler's runtime, in the programs' folder.

install(FILES
    $<TARGET_FILE:Qt6::Core>
    $<TARGET_FILE:Qt6::Gui>
    $<TARGET_FILE:Qt6::Widgets>
    $<TARGET_FILE:Qt6::Network>
    DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)

# The runtime of the very compiler that built the programs and Qt.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "The compiler does not know where ${runtime} is")
    endif()
    file(REAL_PATH "${runtime_path}" runtime_path)
    install(FILES "${runtime_path}" DESTINATION .)
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

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME "kolvo-testclient-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kolvo Testclient")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "kolvo-testclient")

# A 64-bit, Unicode installer: it runs where only 64-bit Windows programs do, installs into the
# 64-bit Program Files, and the umlaut of the product name survives.
set(CPACK_NSIS_DEFINES "Unicode true\nTarget amd64-unicode")
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS -INPUTCHARSET UTF8)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "${KOLVO_PRODUCT_NAME}")
set(CPACK_NSIS_DISPLAY_NAME "${KOLVO_PRODUCT_NAME}")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/packaging/kolvo-testclient.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/packaging/kolvo-testclient.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kolvo-testclient.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# Start menu: the window, and the loopback server in a console window that shows every line it
# receives, to try the window without a layout. Both shortcuts take their program's own icon.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES kolvo-testclient "${KOLVO_PRODUCT_NAME}")
set(CPACK_NSIS_MENU_LINKS kolvo-loopback-server.exe "Kolvo Loopback-Server zum Ausprobieren")
