# Windows: an NSIS installer that puts tidewell.exe under Program Files with a Start-menu entry
# and an uninstaller, and a plain zip of the executable for people who do not install.
set(root ${CMAKE_CURRENT_LIST_DIR}/..)
set(gen ${CMAKE_BINARY_DIR}/package-files)

# Beside its uninstaller; nothing else: the program reads optional skin and pointer files from
# its folder, and none are shipped.
install(TARGETS tidewell RUNTIME DESTINATION .)

# The installer's icon, drawn from the same SVG as the Linux icons.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(MAGICK_CONVERT convert REQUIRED)
set(ico ${gen}/tidewell.ico)
set(ico_layers)
foreach(size 16 32 48 256)
    list(APPEND ico_layers ${gen}/ico-${size}.png)
    add_custom_command(OUTPUT ${gen}/ico-${size}.png
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
                       COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${gen}/ico-${size}.png
                               ${root}/resources/tidewell.svg
                       DEPENDS ${root}/resources/tidewell.svg VERBATIM)
endforeach()
add_custom_command(OUTPUT ${ico} COMMAND ${MAGICK_CONVERT} ${ico_layers} ${ico}
                   DEPENDS ${ico_layers} VERBATIM)
add_custom_target(tidewell_package_files ALL DEPENDS ${ico})

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_SYSTEM_NAME win32)
# Per generator: Tidewell-<version>-setup.exe and Tidewell-<version>-win32.zip.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-file-names.cmake)

set(CPACK_PACKAGE_INSTALL_DIRECTORY Tidewell)
# Names the keys of the installed-programs entry and of the installer's own record
# (Software\Quendra\<this>). It must not be "Tidewell": the uninstaller deletes that record, and
# for a user who is not an administrator Software\Quendra\Tidewell is where the settings live.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Tidewell Setup")
set(CPACK_NSIS_PACKAGE_NAME Tidewell)
set(CPACK_NSIS_DISPLAY_NAME Tidewell)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
# The Start-menu shortcut, written out: CPack's own would point at "$INSTDIR\.\tidewell.exe".
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Tidewell.lnk' '$INSTDIR\\\\tidewell.exe'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Tidewell.lnk'")
set(CPACK_NSIS_INSTALLED_ICON_NAME tidewell.exe)
set(CPACK_NSIS_MUI_ICON ${ico})
set(CPACK_NSIS_MUI_UNIICON ${ico})
set(CPACK_NSIS_CONTACT support@quendra.com)
set(CPACK_NSIS_HELP_LINK https://www.quendra.com/contact)
set(CPACK_NSIS_URL_INFO_ABOUT https://www.quendra.com/)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Shown on the installer's licence page (which CPack's script always has).
set(CPACK_RESOURCE_FILE_LICENSE ${root}/resources/windows/license.txt)

set(nsh ${CMAKE_CURRENT_LIST_DIR}/nsis/tidewell.nsh)
# Read at the top of the script, where its functions may be defined; the steps below use them.
set(CPACK_NSIS_DEFINES "!include '${nsh}'")
# An upgrade replaces the file, so a running copy is closed first.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "!include '${nsh}'
  !insertmacro TidewellEndRunningCopy install")
# An upgrade starts again the copy it closed; the finish page offers to start Tidewell.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro TidewellRestartClosedCopy")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN tidewell.exe)
# "Run Tidewell" starts it with the user's rights, as the restart of a silent upgrade does.
string(APPEND CPACK_NSIS_DEFINES "\n!define MUI_FINISHPAGE_RUN_FUNCTION TidewellStartAsUser")
# The user's settings (HKCU\Software\Quendra\Tidewell) and journal stay, for a later
# reinstall, unless the user asks for them to go.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!include '${nsh}'
  !insertmacro TidewellEndRunningCopy uninstall
  !insertmacro TidewellRemoveRunValue HKLM machine
  !insertmacro TidewellRemoveRunValue HKCU user
  !insertmacro TidewellRemoveUserData '${CPACK_PACKAGE_VENDOR}'
  !insertmacro TidewellRemoveEmptyKeys '${CPACK_PACKAGE_VENDOR}' '${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}'")
