# Steps of the installer and the uninstaller that CPack's standard script lacks.
!ifndef TIDEWELL_NSH
!define TIDEWELL_NSH

# 1 once TidewellEndRunningCopy has closed a running copy, which the install then starts again.
Var /GLOBAL TidewellClosed

# Ends the running copy of $INSTDIR\tidewell.exe, so that its file can be replaced or removed.
# Windows keeps a running program's file from being opened for writing, so a failed open tells
# that this copy runs. It is asked to close first, as a user would close it (taskkill without /F
# sends it WM_CLOSE, so it takes its tray icon away); only if it is still there after ten seconds
# is it ended by force. taskkill finds programs by file name: another running tidewell.exe, from
# the zip, is asked to close as well.
!macro TidewellEndRunningCopy ID
  StrCpy $R1 0
  tw_end_check_${ID}:
    IfFileExists "$INSTDIR\tidewell.exe" 0 tw_end_done_${ID}
    ClearErrors
    FileOpen $R0 "$INSTDIR\tidewell.exe" a
    IfErrors 0 tw_end_free_${ID}
    IntCmp $R1 0 0 tw_end_force_${ID} tw_end_force_${ID}
      StrCpy $TidewellClosed 1
      DetailPrint "Closing Tidewell"
      nsExec::Exec '"$SYSDIR\taskkill.exe" /IM tidewell.exe'
      Pop $R2
    tw_end_force_${ID}:
    IntCmp $R1 40 0 tw_end_wait_${ID} tw_end_wait_${ID}
      DetailPrint "Ending Tidewell"
      nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM tidewell.exe'
      Pop $R2
    tw_end_wait_${ID}:
    IntCmp $R1 60 tw_end_done_${ID} 0 tw_end_done_${ID}
    IntOp $R1 $R1 + 1
    Sleep 250
    Goto tw_end_check_${ID}
  tw_end_free_${ID}:
    FileClose $R0
  tw_end_done_${ID}:
!macroend

# Starts the installed tidewell.exe as the user at the desktop, not as the installer: the
# installer runs with administrator rights, and a copy it started would keep them. The desktop's
# shell starts a program it is given with the user's own rights.
Function TidewellStartAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\tidewell.exe"'
FunctionEnd

# Starts the copy that TidewellEndRunningCopy closed, so that an upgrade does not stop the
# scheduled empties until the next login. An install with pages leaves it to the finish page's
# "Run Tidewell" (ticked), which the user may untick; a silent one starts it here.
!macro TidewellRestartClosedCopy
  IfSilent 0 tw_restart_done
  StrCmp $TidewellClosed 1 0 tw_restart_done
    DetailPrint "Starting Tidewell again"
    Call TidewellStartAsUser
  tw_restart_done:
!macroend

# Deletes the start-at-login value that this copy may have written under ROOT's Run key: the
# value is named after the program's file, and its data is this copy's path, with or without
# quotes. A value that starts another copy (from the zip, say) stays.
!macro TidewellRemoveRunValue ROOT ID
  ClearErrors
  ReadRegStr $R0 ${ROOT} "Software\Microsoft\Windows\CurrentVersion\Run" "tidewell.exe"
  IfErrors tw_run_done_${ID}
  StrCmp $R0 "$INSTDIR\tidewell.exe" tw_run_delete_${ID}
  StrCmp $R0 '"$INSTDIR\tidewell.exe"' tw_run_delete_${ID} tw_run_done_${ID}
  tw_run_delete_${ID}:
    DeleteRegValue ${ROOT} "Software\Microsoft\Windows\CurrentVersion\Run" "tidewell.exe"
  tw_run_done_${ID}:
!macroend

# Deletes the installer's record under the maker's key (Software\VENDOR\RECORD, in the install's
# context: HKLM for all users), which CPack's script deletes only after these steps and without
# its parent, then the maker's key itself when nothing is left in it. A key with anything in it
# stays: for a user who is not an administrator it also holds the settings (VENDOR\Tidewell).
!macro TidewellRemoveEmptyKeys VENDOR RECORD
  DeleteRegKey SHCTX "Software\${VENDOR}\${RECORD}"
  DeleteRegKey /ifempty SHCTX "Software\${VENDOR}"
!macroend

# Asks whether the user's journal of empties and settings go too. They stay unless the user says
# so: the answer offered is No, and a silent uninstall keeps them. The journal lies under the
# local application data of the user running the uninstaller, the settings under that user's
# HKEY_CURRENT_USER.
!macro TidewellRemoveUserData VENDOR
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your journal of empties and your Tidewell settings?$\r$\n$\r$\nIf you keep them, the journal stays in %LOCALAPPDATA%\${VENDOR}\Tidewell and the settings in HKEY_CURRENT_USER\Software\${VENDOR}\Tidewell." \
    /SD IDNO IDYES tw_user_data_remove IDNO tw_user_data_done
  tw_user_data_remove:
    ReadEnvStr $R0 LOCALAPPDATA
    StrCmp $R0 "" tw_user_data_settings
      Delete "$R0\${VENDOR}\Tidewell\journal.log"
      Delete "$R0\${VENDOR}\Tidewell\journal.log.1"
      RMDir "$R0\${VENDOR}\Tidewell"
      RMDir "$R0\${VENDOR}"
    tw_user_data_settings:
    DeleteRegKey HKCU "Software\${VENDOR}\Tidewell"
    DeleteRegKey /ifempty HKCU "Software\${VENDOR}"
  tw_user_data_done:
!macroend

!endif
