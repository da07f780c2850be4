# The installed layout: the program and the tools in bin/, the two maker
# libraries in a private folder the program reaches through its run path (the
# loader's last step, the system's own search, finds the link library there),
# the user guide, the menu entry, the icons and the AppStream metainfo.
include(GNUInstallDirs)

set(VESTAN_PRIVATE_LIBDIR lib/vestan)
set(VESTAN_DATADIR ${CMAKE_INSTALL_DATAROOTDIR})
set(VESTAN_APP_ID org.vestan.Vestan)

# The window and its command-line face load the same libraries.
foreach(program vestan vestan-cli)
    if(TARGET ${program})
        set_target_properties(${program} PROPERTIES
            INSTALL_RPATH "$ORIGIN/../${VESTAN_PRIVATE_LIBDIR}")
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
foreach(tool trvsim linesim)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
foreach(library trvCLNK tarvel)
    if(TARGET ${library})
        install(TARGETS ${library} LIBRARY DESTINATION ${VESTAN_PRIVATE_LIBDIR})
    endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION ${VESTAN_DATADIR}/doc/vestan)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${VESTAN_DATADIR}/doc/vestan)

set(desktop ${PROJECT_SOURCE_DIR}/app/desktop)
install(FILES ${desktop}/${VESTAN_APP_ID}.desktop DESTINATION ${VESTAN_DATADIR}/applications)
install(FILES ${desktop}/${VESTAN_APP_ID}.metainfo.xml DESTINATION ${VESTAN_DATADIR}/metainfo)

set(icon ${PROJECT_SOURCE_DIR}/app/icons/vestan.svg)
install(FILES ${icon} DESTINATION ${VESTAN_DATADIR}/icons/hicolor/scalable/apps)

# Fixed-size icons beside the SVG, for menus that take no SVG.
find_program(VESTAN_RSVG_CONVERT rsvg-convert REQUIRED)
set(pngs)
foreach(size 16 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/vestan.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${VESTAN_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon}
        DEPENDS ${icon} VERBATIM)
    list(APPEND pngs ${png})
    install(FILES ${png} DESTINATION ${VESTAN_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vestan_icons ALL DEPENDS ${pngs})

# Manual pages: the window's is written by hand, the command-line tools' are
# made from their own --help and --version, so they never drift.
find_program(VESTAN_HELP2MAN help2man REQUIRED)
set(manDir ${CMAKE_BINARY_DIR}/man)
set(manPages)
set(summary_vestan-cli "TARVEL controller operations from a terminal")
set(summary_trvsim "simulated TARVEL controller on a serial line")
set(summary_linesim "serial line with faults between two pseudo-terminals")
foreach(tool vestan-cli trvsim linesim)
    if(NOT TARGET ${tool})
        continue()
    endif()
    add_custom_command(OUTPUT ${manDir}/${tool}.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${manDir}
        COMMAND ${VESTAN_HELP2MAN} --no-info --section=1 --name=${summary_${tool}}
                --output=${manDir}/${tool}.1 $<TARGET_FILE:${tool}>
        COMMAND gzip -9nf ${manDir}/${tool}.1
        DEPENDS ${tool} VERBATIM)
    list(APPEND manPages ${manDir}/${tool}.1.gz)
endforeach()
add_custom_command(OUTPUT ${manDir}/vestan.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${manDir}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/docs/vestan.1 ${manDir}/vestan.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/vestan.1 VERBATIM)
list(APPEND manPages ${manDir}/vestan.1.gz)
add_custom_target(vestan_man ALL DEPENDS ${manPages})
install(FILES ${manPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package (tools/package-deb.sh): the same layout under /usr, its
# dependencies read from the libraries the binaries link. Its revision and
# maintainer come from its changelog's latest entry.
set(debian ${PROJECT_SOURCE_DIR}/tools/debian)
file(STRINGS ${debian}/changelog debLatest LIMIT_COUNT 1 REGEX "^vestan \\(")
file(STRINGS ${debian}/changelog debMaintainer LIMIT_COUNT 1 REGEX "^ -- ")
if(NOT debLatest MATCHES "^vestan \\(${PROJECT_VERSION}-([0-9]+)\\)")
    message(FATAL_ERROR "tools/debian/changelog: the latest entry is not ${PROJECT_VERSION}-N: ${debLatest}")
endif()
set(debRevision ${CMAKE_MATCH_1})
string(REGEX REPLACE "^ -- (.*>).*" "\\1" debMaintainer "${debMaintainer}")
set(changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${debian}/changelog ${changelog}
    DEPENDS ${debian}/changelog VERBATIM)
add_custom_target(vestan_changelog ALL DEPENDS ${changelog})
install(FILES ${debian}/copyright ${changelog} DESTINATION ${VESTAN_DATADIR}/doc/vestan)
install(FILES ${debian}/lintian-overrides DESTINATION ${VESTAN_DATADIR}/lintian/overrides RENAME vestan)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vestan)
set(CPACK_PACKAGE_VENDOR "Vestan developers")
set(CPACK_PACKAGE_CONTACT "${debMaintainer}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${debRevision})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for TARVEL controllers")
set(CPACK_PACKAGE_DESCRIPTION "Reaches a TARVEL controller on a serial line or a dial-up modem:
journal download, software image, clock, record search, version, journal
summary and power readings. Ships the command-line tool vestan-cli for
scripts, the link and journal-check libraries, the controller simulator
trvsim and the line emulator linesim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libtarvel.so comes with the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VESTAN_PRIVATE_LIBDIR})
# Qt loads the SVG image and icon plugins at run time, so nothing links them;
# Qt's own Russian texts are welcome but not needed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= ${Qt6Svg_VERSION})")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebWithoutLdconfig.cmake)
include(CPack)
