# Read by cpack once per generator: the installer and the zip get names a Windows user expects.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Tidewell-${CPACK_PACKAGE_VERSION}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "Tidewell-${CPACK_PACKAGE_VERSION}-win32")
endif()
