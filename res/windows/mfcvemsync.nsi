; The Windows installer: MFCVemSync.exe (the dialog) and vemsync.exe, a
; Start-menu entry and an entry in Windows' installed programs, for the user
; who runs it, without administrator rights.
;
; scripts/windows-release.sh builds it:
;   makensis -DVERSION=1.0.0 -DSTAGE=folder -DICON=mfcvemsync.ico
;            -DOUTFILE=MFCVemSync-1.0.0-setup.exe res/windows/mfcvemsync.nsi
; STAGE holds MFCVemSync.exe, vemsync.exe and README.txt.
;
; The uninstaller removes exactly what the installer put there, the dialog's
; settings in the registry, and the install folder only when nothing else
; is left in it: a file the user put into that folder stays.

Unicode true
; 64-bit programs, a 64-bit installer.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define NAME "MFCVemSync"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
!define SETTINGS_KEY "Software\${NAME}"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1049 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${NAME}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\MFCVemSync.exe"

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

; $0 = 1 when $INSTDIR holds something and is not an earlier install of
; this program (its uninstaller is there): installing there could overwrite
; another program's file of the same name, and uninstalling would remove it.
Function FindForeignFolder
    StrCpy $0 0
    IfFileExists "$INSTDIR\uninstall.exe" done
    ClearErrors
    FindFirst $1 $2 "$INSTDIR\*"
next:
    IfErrors close
    StrCmp $2 "" close
    ${If} $2 != "."
    ${AndIf} $2 != ".."
        StrCpy $0 1
        Goto close
    ${EndIf}
    FindNext $1 $2
    Goto next
close:
    FindClose $1
done:
FunctionEnd

Function CheckFolder
    Call FindForeignFolder
    ${If} $0 == 1
        MessageBox MB_ICONSTOP|MB_OK "Папка не пуста и не содержит прежней установки ${NAME}.$\r$\nВыберите новую или пустую папку." /SD IDOK
        Abort
    ${EndIf}
FunctionEnd

Section "${NAME}"
    SetShellVarContext current
    ; Pages are skipped in a silent install (/S /D=folder): the same check.
    Call FindForeignFolder
    ${If} $0 == 1
        SetErrorLevel 2
        Quit
    ${EndIf}
    SetOutPath "$INSTDIR"
    ; The uninstaller first: an install cut short (a full disk, a reset)
    ; leaves a folder that the uninstaller can clear and a new install
    ; takes as its own.
    WriteUninstaller "$INSTDIR\uninstall.exe"
    File "${STAGE}\MFCVemSync.exe"
    File "${STAGE}\vemsync.exe"
    File "${STAGE}\README.txt"
    CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\MFCVemSync.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\MFCVemSync.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$INSTDIR\MFCVemSync.exe"
    Delete "$INSTDIR\vemsync.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    ; Not /r: only an empty folder goes.
    RMDir "$INSTDIR"
    ; The program's data folder, when it holds nothing.
    RMDir "$APPDATA\${NAME}"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; The uninstaller runs as a copy of itself in a folder of its own in the
    ; temporary folder: the copy goes at the next start of Windows, and its
    ; folder with it, once empty.
    RMDir /REBOOTOK "$EXEDIR"
SectionEnd
