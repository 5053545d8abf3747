# The Debian package: the program, its menu entry, icons from 16 px to scalable, the AppStream
# metainfo that software centres read, a manual page, and the changelog and copyright that
# Debian policy asks for in /usr/share/doc/tidewell.
set(res ${CMAKE_SOURCE_DIR}/resources)
set(gen ${CMAKE_BINARY_DIR}/package-files)

install(TARGETS tidewell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# What Debian's own packaging strips besides the symbols: the compiler's notes.
install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tidewell\"
              COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${res}/tidewell.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${res}/com.quendra.Tidewell.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${res}/tidewell.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Every PNG size comes from the one SVG, so the menu, the task bar and the tray show one letter.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_files)
foreach(size 16 22 24 32 48 64 128 256)
    set(png ${gen}/icons/${size}/tidewell.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}/icons/${size}
                       COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${res}/tidewell.svg
                       DEPENDS ${res}/tidewell.svg VERBATIM)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    list(APPEND icon_files ${png})
endforeach()

# Debian wants these compressed at the highest level and without a time stamp (gzip -n).
find_program(GZIP gzip REQUIRED)
function(tidewell_gzip source target)
    add_custom_command(OUTPUT ${gen}/${target}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
                       COMMAND ${GZIP} -9n -c ${res}/${source} > ${gen}/${target}
                       DEPENDS ${res}/${source} VERBATIM)
endfunction()
tidewell_gzip(debian/changelog changelog.gz)
tidewell_gzip(tidewell.1 tidewell.1.gz)
set(doc_files ${gen}/changelog.gz ${gen}/tidewell.1.gz)
add_custom_target(tidewell_package_files ALL DEPENDS ${icon_files} ${doc_files})

set(docdir ${CMAKE_INSTALL_DATADIR}/doc/tidewell)
install(FILES ${gen}/changelog.gz ${res}/debian/copyright DESTINATION ${docdir})
install(FILES ${gen}/tidewell.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY; an empty line starts a paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tidewell empties the Trash automatically on a schedule you pick: weekly on
a weekday, daily at a time, or every so many days, hours and minutes. One
window with a live countdown, an icon in the notification area, a button
that empties the Trash at once and an option to start at login. Scheduled
empties can keep what was deleted in the last so many days, and a journal,
one click from the window, tells what each empty removed and kept, and why.

It empties the Trash of local drives only, following the freedesktop.org
Trash standard, and never follows a symbolic link out of the Trash.")
# Directories that dpkg creates must be 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
