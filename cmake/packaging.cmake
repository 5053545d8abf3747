# What `cmake --install` puts where, and the packages CPack makes from it: a Debian package on
# Linux; an NSIS installer and a plain zip from the Windows cross build. Only the program and
# the files a desktop needs to show it are installed; tests and benchmarks install nothing.
include(GNUInstallDirs)

# A Windows build without the Windows host has no program to package.
if(NOT TARGET tidewell)
    return()
endif()

set(CPACK_PACKAGE_NAME tidewell)
set(CPACK_PACKAGE_VENDOR Quendra)
set(CPACK_PACKAGE_CONTACT "Quendra <support@quendra.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Empties the Trash on a schedule")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quendra.com/")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/package-windows.cmake)
else()
    include(${CMAKE_CURRENT_LIST_DIR}/package-deb.cmake)
endif()

include(CPack)
