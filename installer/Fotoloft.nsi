; The Windows installer of Fotoloft, built by makensis as Fotoloft-setup.exe (see
; installer/CMakeLists.txt, which passes BIN_DIR, the folder of the built program, and OUT_FILE).
;
; It installs the program and the DLLs it loads into Program Files, registers the two COM
; components machine-wide (each DLL's own DllRegisterServer, run as administrator, writes
; HKLM\Software\Classes), writes the settings the program reads where the user has none yet
; (the galleries root, a folder under the user's Pictures, and the download folder), adds a
; Start menu shortcut for all users and an entry in the list of installed programs.
; The uninstaller takes all of that away again, settings only where this installer wrote them,
; and never touches the galleries. /S runs either silently.
;
; The program is 64-bit, so the installer is too: it loads the 64-bit component DLLs to
; register them, and sees the 64-bit registry and Program Files.

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!ifndef BIN_DIR | OUT_FILE
    !error "makensis -DBIN_DIR=<folder of Fotoloft.exe> -DOUT_FILE=<setup.exe> Fotoloft.nsi"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!getdllversion "${BIN_DIR}/Fotoloft.exe" FOTOLOFT_VERSION_
!define VERSION "${FOTOLOFT_VERSION_1}.${FOTOLOFT_VERSION_2}.${FOTOLOFT_VERSION_3}"

!define PRODUCT "Fotoloft"
!define PUBLISHER "Orvex"
!define MAIN_TITLE "Orvex(r) Fotoloft"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Fotoloft"
; The settings the program reads (under HKCU, which it reads before HKLM).
!define GALLERIES_KEY "Software\Orvex\LumoraInstalled\Lumora2"
!define PROPERTIES_KEY "SOFTWARE\Orvex\Lumora2\LMShell\Properties"
; The folders this installer makes for them, under the installing user's profile.
!define GALLERIES_FOLDER "$PICTURES\Galleries"
!define DOWNLOAD_PARENT "$LOCALAPPDATA\Fotoloft"
!define DOWNLOAD_FOLDER "${DOWNLOAD_PARENT}\Temp"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER} ${PRODUCT} ${VERSION}"

VIProductVersion "${FOTOLOFT_VERSION_1}.${FOTOLOFT_VERSION_2}.${FOTOLOFT_VERSION_3}.${FOTOLOFT_VERSION_4}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"

!define MUI_ICON "${RESOURCES_DIR}/art/fotoloft.ico"
!define MUI_UNICON "${RESOURCES_DIR}/art/fotoloft.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Fotoloft.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Files in use cannot be replaced or removed: a running copy of the program must end first.
!macro REFUSE_WHILE_RUNNING
    FindWindow $0 "#32770" "${MAIN_TITLE}"
    ${If} $0 <> 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it, then try again." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
!macroend

; Writes the string setting NAME under HKCU\KEY when the user has none, and notes in the
; uninstall key (value NOTE) that this installer wrote it; a reinstall keeps an earlier note.
; The error flag is set when the setting was already there.
!macro WRITE_SETTING_ONCE KEY NAME VALUE NOTE
    ClearErrors
    ReadRegStr $0 HKCU "${KEY}" "${NAME}"
    ${If} ${Errors}
        ClearErrors
        WriteRegStr HKCU "${KEY}" "${NAME}" "${VALUE}"
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NOTE}" 1
    ${Else}
        SetErrors
    ${EndIf}
!macroend

; Removes the setting NAME under HKCU\KEY if the installer noted that it wrote it; the error
; flag is set otherwise.
!macro REMOVE_SETTING_WRITTEN KEY NAME NOTE
    ClearErrors
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${NOTE}"
    ${If} $0 == 1
        DeleteRegValue HKCU "${KEY}" "${NAME}"
        ClearErrors
    ${Else}
        SetErrors
    ${EndIf}
!macroend

; Deletes KEY under HKCU when nothing is left in it: /ifempty keeps a key that still has a
; value or a subkey.
!macro DELETE_KEY_IF_EMPTY KEY
    DeleteRegKey /ifempty HKCU "${KEY}\"
!macroend

Function .onInit
    SetRegView 64
    !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

Section "Fotoloft"
    ; The settings and folders belong to the installing user; the rest is machine-wide.
    SetShellVarContext current

    SetOutPath "$INSTDIR"
    File "${BIN_DIR}/Fotoloft.exe"
    File "${BIN_DIR}/camlnk1.dll"
    File "${BIN_DIR}/Vantix2.dll"
    File "${BIN_DIR}/SlideTray.dll"
    File "${BIN_DIR}/AlbumList.dll"
    File "${BIN_DIR}/LTFIL80N.dll"
    File "${BIN_DIR}/LTKRN80N.dll"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; The entry in the list of installed programs comes first: the notes below live in it, and
    ; a failure further on leaves an installation that its uninstaller can remove.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Fotoloft.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The components, machine-wide: the thumbnail tray and the album list the window hosts.
    ClearErrors
    RegDLL "$INSTDIR\SlideTray.dll"
    RegDLL "$INSTDIR\AlbumList.dll"
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "The components of ${PRODUCT} could not be registered." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}

    !insertmacro WRITE_SETTING_ONCE "${GALLERIES_KEY}" "GalleriesPath" "${GALLERIES_FOLDER}" \
        "WroteGalleriesPath"
    ${IfNot} ${Errors}
        CreateDirectory "${GALLERIES_FOLDER}"
    ${EndIf}
    !insertmacro WRITE_SETTING_ONCE "${PROPERTIES_KEY}" "TempDirectory" "${DOWNLOAD_FOLDER}" \
        "WroteTempDirectory"
    ${IfNot} ${Errors}
        CreateDirectory "${DOWNLOAD_FOLDER}"
    ${EndIf}

    ; The program starts where it lives, from its shortcut as from the finish page.
    SetShellVarContext all
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Fotoloft.exe" "" \
        "$INSTDIR\Fotoloft.exe" 0 SW_SHOWNORMAL "" "Download, look at and save the camera's pictures"
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    UnRegDLL "$INSTDIR\SlideTray.dll"
    UnRegDLL "$INSTDIR\AlbumList.dll"

    Delete "$INSTDIR\Fotoloft.exe"
    Delete "$INSTDIR\camlnk1.dll"
    Delete "$INSTDIR\Vantix2.dll"
    Delete "$INSTDIR\SlideTray.dll"
    Delete "$INSTDIR\AlbumList.dll"
    Delete "$INSTDIR\LTFIL80N.dll"
    Delete "$INSTDIR\LTKRN80N.dll"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    ; The settings this installer wrote, and the download folder it made (it holds only the
    ; program's temporary copies); the galleries stay, root and all.
    SetShellVarContext current
    !insertmacro REMOVE_SETTING_WRITTEN "${GALLERIES_KEY}" "GalleriesPath" "WroteGalleriesPath"
    !insertmacro REMOVE_SETTING_WRITTEN "${PROPERTIES_KEY}" "TempDirectory" "WroteTempDirectory"
    ${IfNot} ${Errors}
        RMDir /r "${DOWNLOAD_FOLDER}"
        RMDir "${DOWNLOAD_PARENT}"
    ${EndIf}
    !insertmacro DELETE_KEY_IF_EMPTY "${GALLERIES_KEY}"
    !insertmacro DELETE_KEY_IF_EMPTY "Software\Orvex\LumoraInstalled"
    !insertmacro DELETE_KEY_IF_EMPTY "${PROPERTIES_KEY}"
    !insertmacro DELETE_KEY_IF_EMPTY "SOFTWARE\Orvex\Lumora2\LMShell"
    !insertmacro DELETE_KEY_IF_EMPTY "SOFTWARE\Orvex\Lumora2"
    !insertmacro DELETE_KEY_IF_EMPTY "Software\Orvex"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ; Started from Program Files, the uninstaller runs from a copy of itself in the temporary
    ; folder (unless given _?=); it takes that copy and its folder along, at the next restart
    ; if the system holds the running file until then.
    ${If} $EXEDIR != $INSTDIR
        Delete /REBOOTOK "$EXEDIR\$EXEFILE"
        RMDir /REBOOTOK "$EXEDIR"
    ${EndIf}
SectionEnd
