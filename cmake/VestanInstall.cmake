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

# Fixed-size icons only where the build machine can render them; the SVG
# alone serves every size otherwise.
find_program(VESTAN_RSVG_CONVERT rsvg-convert)
if(VESTAN_RSVG_CONVERT)
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
endif()

# The Debian package (tools/package-deb.sh): the same layout under /usr, its
# dependencies read from the libraries the binaries link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vestan)
set(CPACK_PACKAGE_VENDOR "Vestan developers")
set(CPACK_PACKAGE_CONTACT "Vestan developers <vestan@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for TARVEL controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Reaches a TARVEL controller on a serial line or a dial-up modem: journal download, software image, clock, record search, version, journal summary and power readings. Ships the command-line tool vestan-cli for scripts, the link and journal-check libraries, the controller simulator trvsim and the line emulator linesim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libtarvel.so comes with the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VESTAN_PRIVATE_LIBDIR})
include(CPack)
