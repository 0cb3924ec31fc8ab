; Setup program of the KARVO Gaming Mouse suite. installer/build.sh compiles it with
;   KARVO_DIST_LISTS  the file lists written by installer/list-dist.sh from dist/
;   KARVO_OUTFILE     the setup program to write
;
; Command line (setup and uninstaller): /S silent, /D=<folder> (setup, last and unquoted).
; Setup: /ALLUSERS installs for every user of the machine (administrators only);
;        /NOAUTOSTART leaves the monitor out of the log-on programs.
; Uninstaller: /REMOVESETTINGS removes the user's settings without asking.

Unicode true
SetCompressor /SOLID lzma
; A per-user install never needs elevation; /ALLUSERS is for a setup started as administrator.
RequestExecutionLevel user

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include MUI2.nsh

!include "${KARVO_DIST_LISTS}"

!define PRODUCT "KARVO Gaming Mouse"
!define VERSION "2.02"
!define PUBLISHER "KARVO"
!define MONITOR_EXE "KARVO Gaming Mouse Monitor.exe"
!define MONITOR_TITLE "KARVO Gaming Mouse Monitor"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KARVO Gaming Mouse"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "KARVO Gaming Mouse"
!define SHORTCUT_DIR "$SMPROGRAMS\KARVO Gaming Mouse"
; The monitor closes its companions and its device before it ends.
!define CLOSE_WAIT_MS 15000
!define CLOSE_POLL_MS 100

!define /IfNDef SYNCHRONIZE 0x00100000
!define SE_FILE_OBJECT 1
!define DACL_SECURITY_INFORMATION 4
!define GRANT_ACCESS 1
!define TRUSTEE_IS_SID 0
!define TRUSTEE_IS_WELL_KNOWN_GROUP 5
!define SUB_CONTAINERS_AND_OBJECTS_INHERIT 3
; FILE_GENERIC_READ | FILE_GENERIC_WRITE: the programs rewrite these files in place.
!define USERS_READ_WRITE 0x0012019F
; Modify: the settings folder also gets new profile files and replaces them by renaming.
!define USERS_MODIFY 0x001301BF
!define BUILTIN_USERS_SID "S-1-5-32-545"
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT}"
OutFile "${KARVO_OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.2.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var AllUsers
Var RemoveSettings
Var GrantFailed

!define MUI_ICON "../src/monitor/monitor.ico"
!define MUI_UNICON "../src/monitor/monitor.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${MONITOR_EXE}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "1"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sets $0 to 1 while a program of the suite runs: each holds its single-instance mutex until
; it ends.
!macro KarvoMutexHeld NAME
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${NAME}") p .r1'
  ${If} $1 != 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${EndIf}
!macroend

!macro KarvoPostClose TITLE
  System::Call 'user32::FindWindowW(p 0, w "${TITLE}") p .r1'
  ${If} $1 != 0
    System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
  ${EndIf}
!macroend

!macro KarvoSuiteFunctions UN
Function ${UN}SuiteRunning
  StrCpy $0 0
  !insertmacro KarvoMutexHeld "KARVO Gaming Mouse Monitor"
  !insertmacro KarvoMutexHeld "KARVO_Gaming_Mouse_configure"
  !insertmacro KarvoMutexHeld "KARVO_Mutex_Gaming_Mouse_OSD"
  !insertmacro KarvoMutexHeld "KARVO_Gaming_Mouse_POP3_Application"
  !insertmacro KarvoMutexHeld "KARVO Gaming Mouse Cpu_Ram_Monitor_Application"
FunctionEnd

; The monitor closes the other programs itself; without a monitor they are asked directly.
; Whatever still runs after a bounded wait ends the setup, since its files cannot be replaced.
Function ${UN}CloseSuite
  Push $0
  Push $1
  Push $2
  ask:
  System::Call 'user32::FindWindowW(p 0, w "${MONITOR_TITLE}") p .r1'
  ${If} $1 != 0
    DetailPrint "Closing ${PRODUCT}"
    System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
  ${Else}
    !insertmacro KarvoPostClose "KARVO Gaming Mouse Option"
    !insertmacro KarvoPostClose "KARVO Gaming Mouse OSD"
    !insertmacro KarvoPostClose "KARVO Gaming Mouse Pop3"
    !insertmacro KarvoPostClose "KARVO Gaming Mouse CPU RAM OSD"
  ${EndIf}
  StrCpy $2 0
  ${Do}
    Call ${UN}SuiteRunning
    ${If} $0 == 0
    ${OrIf} $2 >= ${CLOSE_WAIT_MS}
      ${Break}
    ${EndIf}
    Sleep ${CLOSE_POLL_MS}
    IntOp $2 $2 + ${CLOSE_POLL_MS}
  ${Loop}
  ${If} $0 != 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. Close it and click Retry, or click Cancel to stop." /SD IDCANCEL IDRETRY ask
    DetailPrint "${PRODUCT} is still running"
    Pop $2
    Pop $1
    Pop $0
    Abort
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro KarvoSuiteFunctions ""
!insertmacro KarvoSuiteFunctions "un."

; $0 path, $1 access mask, $2 inheritance: adds an allow entry for the Users group to what
; the object already grants. Sets $GrantFailed when any step fails.
Function GrantUsers
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  StrCpy $3 0
  StrCpy $4 0
  StrCpy $5 0
  StrCpy $7 0
  System::Call 'advapi32::ConvertStringSidToSidW(w "${BUILTIN_USERS_SID}", *p .r3) i .r8'
  ${If} $8 != 0
    System::Call 'advapi32::GetNamedSecurityInfoW(w r0, i ${SE_FILE_OBJECT}, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, *p .r6, p 0, *p .r4) i .r8'
    ${If} $8 == 0
      System::Call '*(i r1, i ${GRANT_ACCESS}, i r2, p 0, i 0, i ${TRUSTEE_IS_SID}, i ${TRUSTEE_IS_WELL_KNOWN_GROUP}, p r3) p .r7'
      System::Call 'advapi32::SetEntriesInAclW(i 1, p r7, p r6, *p .r5) i .r8'
      ${If} $8 == 0
        System::Call 'advapi32::SetNamedSecurityInfoW(w r0, i ${SE_FILE_OBJECT}, i ${DACL_SECURITY_INFORMATION}, p 0, p 0, p r5, p 0) i .r8'
      ${EndIf}
    ${EndIf}
  ${Else}
    StrCpy $8 -1
  ${EndIf}
  ${If} $8 != 0
    DetailPrint "Could not give the users write access to $0 (error $8)"
    StrCpy $GrantFailed 1
  ${EndIf}
  ${If} $7 != 0
    System::Free $7
  ${EndIf}
  System::Call 'kernel32::LocalFree(p r5)'
  System::Call 'kernel32::LocalFree(p r4)'
  System::Call 'kernel32::LocalFree(p r3)'
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
FunctionEnd

; $0 a file the programs rewrite; made empty where it does not exist yet, so that it can
; carry its own rights. An empty file reads as no settings.
Function CreateIfMissing
  Push $1
  ${IfNot} ${FileExists} "$0"
    FileOpen $1 "$0" w
    FileClose $1
  ${EndIf}
  Pop $1
FunctionEnd

Section "-Programs" SecPrograms
  Call CloseSuite
  ClearErrors
  !insertmacro KarvoInstallDistFiles
  ${If} ${Errors}
    DetailPrint "Some files of ${PRODUCT} could not be written"
    SetErrorLevel 2
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${SHORTCUT_DIR}"
  CreateShortCut "${SHORTCUT_DIR}\${PRODUCT}.lnk" "$INSTDIR\${MONITOR_EXE}" "1" "$INSTDIR\${MONITOR_EXE}" 0
  CreateShortCut "${SHORTCUT_DIR}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MONITOR_EXE},0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${KARVO_DIST_SIZE_KB}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

  ; Program Files is read-only for users: the suite may write exactly its settings and the
  ; virtual mouse's memory, nothing else beside its programs.
  ${If} $AllUsers == 1
    StrCpy $0 "$INSTDIR\config.ini"
    Call CreateIfMissing
    StrCpy $1 ${USERS_READ_WRITE}
    StrCpy $2 0
    Call GrantUsers
    StrCpy $0 "$INSTDIR\hidgate.state"
    Call CreateIfMissing
    Call GrantUsers
    StrCpy $0 "$INSTDIR\config"
    CreateDirectory "$0"
    StrCpy $1 ${USERS_MODIFY}
    StrCpy $2 ${SUB_CONTAINERS_AND_OBJECTS_INHERIT}
    Call GrantUsers
    ${If} $GrantFailed == 1
      MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is installed, but its settings may not be saved: the users could not be given write access to them." /SD IDOK
      SetErrorLevel 3
    ${EndIf}
  ${EndIf}
SectionEnd

Section "Start with Windows" SecAutostart
  WriteRegStr SHCTX "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${MONITOR_EXE}"'
SectionEnd

; An upgrade without autostart takes away what an earlier install set up.
Section "-Autostart off"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue SHCTX "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOAUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} for all users needs administrator rights: start the setup as administrator." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
  ; /D= has set $INSTDIR already; otherwise an upgrade goes where the last install went.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  ; The machine's uninstall entry names this folder only for a per-machine install.
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is installed for all users: start the uninstaller as administrator." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${If} $RemoveSettings != 1
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 "Keep your mouse settings, profiles and macros for a later installation?" /SD IDYES IDYES keep
    StrCpy $RemoveSettings 1
    keep:
  ${EndIf}
  Call un.CloseSuite

  !insertmacro KarvoRemoveDistPrograms
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} $RemoveSettings == 1
    ; Only the suite's own files: the folder may have been shared with others.
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\config.ini.new"
    Delete "$INSTDIR\hidgate.state"
    Delete "$INSTDIR\hidgate.state.tmp"
    Delete "$INSTDIR\config\*.kmp"
    Delete "$INSTDIR\config\*.kmp.new"
    Delete "$INSTDIR\config\sequence.dat"
    Delete "$INSTDIR\config\sequence.dat.new"
    RMDir "$INSTDIR\config"
  ${EndIf}
  !insertmacro KarvoRemoveDistDirectories
  RMDir "$INSTDIR"

  Delete "${SHORTCUT_DIR}\${PRODUCT}.lnk"
  Delete "${SHORTCUT_DIR}\Uninstall ${PRODUCT}.lnk"
  RMDir "${SHORTCUT_DIR}"
  DeleteRegValue SHCTX "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
