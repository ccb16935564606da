# Install rules and the Debian package: cpack -G DEB in the build folder writes
# korvid_<version>_amd64.deb. Installed under a prefix, Korvid finds its language files in
# <prefix>/share/korvid and keeps the user's files in the XDG folders.
include(GNUInstallDirs)

set(korvid_share ${CMAKE_INSTALL_DATADIR}/korvid)
set(korvid_doc ${CMAKE_INSTALL_DATADIR}/doc/korvid)
set(korvid_packaging ${PROJECT_SOURCE_DIR}/data)

if(TARGET korvid-inspect)
    install(TARGETS korvid-inspect RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET Korvid)
    # Debian names programs in lower case; the build keeps Korvid for the portable layout.
    install(PROGRAMS $<TARGET_FILE:Korvid> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME korvid)
    # A renamed program is no target to install(TARGETS), which alone strips.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\"
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/korvid\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
    file(GLOB korvid_languages CONFIGURE_DEPENDS ${korvid_packaging}/lang/*.lng)
    install(FILES ${korvid_languages} DESTINATION ${korvid_share})
    install(FILES ${korvid_packaging}/desktop/korvid.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${korvid_packaging}/desktop/korvid.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${KORVID_ICON_DIR}/korvid.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size IN LISTS KORVID_ICON_SIZES)
        install(FILES ${KORVID_ICON_DIR}/korvid-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME korvid.png)
    endforeach()
endif()

# Debian wants manual pages and the changelog compressed, reproducibly (-n: no time stamp).
find_program(KORVID_GZIP gzip)
set(korvid_packed ${PROJECT_BINARY_DIR}/packed)
set(korvid_packed_files)
foreach(source IN ITEMS man/korvid.1 man/korvid-inspect.1 debian/changelog)
    get_filename_component(name ${source} NAME)
    set(packed ${korvid_packed}/${name}.gz)
    add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${korvid_packed}
        COMMAND ${KORVID_GZIP} -9nc ${korvid_packaging}/${source} > ${packed}
        DEPENDS ${korvid_packaging}/${source})
    list(APPEND korvid_packed_files ${packed})
endforeach()
if(KORVID_GZIP)
    add_custom_target(korvid_packed ALL DEPENDS ${korvid_packed_files})
    if(TARGET korvid-inspect)
        install(FILES ${korvid_packed}/korvid-inspect.1.gz
                DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    if(TARGET Korvid)
        install(FILES ${korvid_packed}/korvid.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    install(FILES ${korvid_packed}/changelog.gz DESTINATION ${korvid_doc})
endif()
install(FILES ${korvid_packaging}/debian/copyright DESTINATION ${korvid_doc})

# The changelog's top entry names the version the package carries.
file(STRINGS ${korvid_packaging}/debian/changelog korvid_changelog_top LIMIT_COUNT 1)
if(NOT korvid_changelog_top MATCHES "^korvid \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "data/debian/changelog does not start with version ${PROJECT_VERSION}")
endif()

set(CPACK_PACKAGE_NAME korvid)
set(CPACK_PACKAGE_VENDOR "The Korvid developers")
set(CPACK_PACKAGE_CONTACT "Korvid developers <korvid@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chart the frame times of Folding@home work units")
# The summary above is the synopsis line; this is the text under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvid reads the logs of the Folding@home client, cuts them into work units
and charts the minutes each frame took. It computes a benchmark per unit,
keeps a compressed history of units across log rotations, and exports CSV
files and PNG images.
.
korvid-inspect prints the units of a log as a table, as CSV or as JSON, for
machines without a desktop.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# The libraries' own package names and versions, as dpkg-shlibdeps finds them; without it
# (no dpkg-dev) the runtime packages of Debian 12 are named by hand.
find_program(KORVID_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KORVID_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS libc6 libstdc++6 libgcc-s1 zlib1g libpcre2-8-0
           libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6websockets6)
endif()
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
