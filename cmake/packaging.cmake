# Installation and the Debian package: what `cmake --install` puts where, and how `cpack -G DEB` describes it.
#
# scripts/package-check.sh builds the package from a finished build and
# checks it, lintian included. The release preset brings the hardening
# flags (see CMakePresets.json); a package built without them fails the
# check.
include(GNUInstallDirs)
if(WIN32)
    install(TARGETS vemsync RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    return()
endif()

set(CPACK_PACKAGE_NAME mfcvemsync)
# The Debian documentation folder is named after the package.
set(VEM_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
# Folders the installation makes are 0755 whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vemsync vem730-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(VEM_GUI)
    install(TARGETS MFCVemSync RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES res/mfcvemsync.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES res/mfcvemsync.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
# A stripped install (the package's) also drops the compiler's .comment
# section, as Debian's own stripping does; it means nothing at run time.
install(CODE "set(VEM_OBJCOPY \"${CMAKE_OBJCOPY}\")\nset(VEM_BINDIR \"${CMAKE_INSTALL_BINDIR}\")")
install(CODE [[
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program IN ITEMS MFCVemSync vemsync vem730-sim)
            set(installed "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${VEM_BINDIR}/${program}")
            if(EXISTS "${installed}")
                execute_process(COMMAND "${VEM_OBJCOPY}" --remove-section=.comment "${installed}"
                                COMMAND_ERROR_IS_FATAL ANY)
            endif()
        endforeach()
    endif()
]])

# gzip -n: no name and no time stamp inside, so that the same text gives the
# same bytes in every build.
find_program(GZIP gzip REQUIRED)
add_subdirectory(man)

# The Debian changelog: packaging/changelog, compressed as Debian wants. Its
# newest entry must name the version being built.
file(STRINGS packaging/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^${CPACK_PACKAGE_NAME} \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog begins with \"${newest}\"; "
                        "its newest entry must be for ${CPACK_PACKAGE_NAME} ${PROJECT_VERSION}")
endif()
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_command(OUTPUT ${changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${changelog}
    COMMAND ${GZIP} -9nf ${changelog}
    DEPENDS packaging/changelog
    COMMENT "Debian changelog"
    VERBATIM)
add_custom_target(debian-changelog ALL DEPENDS ${changelog}.gz)

install(FILES packaging/copyright ${changelog}.gz DESTINATION ${VEM_DOC_DIR})
# The operator's guide with the two pictures it shows.
install(FILES docs/operator-guide.ru.md docs/screenshot.png docs/port-setup.png
        DESTINATION ${VEM_DOC_DIR})
install(FILES contrib/systemd/vemsync-backup.service contrib/systemd/vemsync-backup.timer
        DESTINATION ${VEM_DOC_DIR}/examples)

set(CPACK_GENERATOR DEB)
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
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
