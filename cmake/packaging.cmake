# Installation and the Debian package: what `cmake --install` puts where, and how `cpack -G DEB` describes it.

include(GNUInstallDirs)
if(WIN32)
    install(TARGETS vemsync RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    return()
endif()
install(TARGETS vemsync vem730-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(VEM_GUI)
    install(TARGETS MFCVemSync RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES res/mfcvemsync.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES res/mfcvemsync.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mfcvemsync)
set(CPACK_PACKAGE_VENDOR "MFCVemSync")
set(CPACK_PACKAGE_CONTACT "MFCVemSync maintainers <maintainers@mfcvemsync.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "program and parameter transfer for the Vem-730 machine-tool controller")
set(CPACK_PACKAGE_DESCRIPTION
    "Copies part programs, subprograms and machine parameters between the Vem-730
controller and files on the PC over a serial line (Modbus RTU master,
functions 20 and 21). Contains the dialog MFCVemSync, the command-line tool
vemsync for scripted transfers and offline checks of program texts, and
vem730-sim, a simulated controller on a pseudo-terminal.

Operators must be members of the dialout group to open a serial port:
sudo adduser $USER dialout, then log in again.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt 6 libraries come from the programs' own links; the SVG icon engine is
# loaded at run time, so no link names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
