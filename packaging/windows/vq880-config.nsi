; The Windows installer of the reader configuration tool: the program with its libraries in
; Program Files, a Start menu entry, and an uninstaller listed under Apps.
; makensis -DVERSION=x.y.z -DSTAGE=<folder with the program> -DOUTFILE=<installer> this file
; A 64-bit installer for the 64-bit program (it also runs where no 32-bit subsystem is).
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

!define NAME "TAVIN VQ880 Reader Config"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VQ880ReaderConfig"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\TAVIN\ReaderConfig"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; The program lands in Program Files and its settings live under HKEY_LOCAL_MACHINE.
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "${NAME} needs 64-bit Windows."
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Program"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    ; The stage holds both programs: the window (vq880-config.exe) and the command line
    ; (vq880.exe), which the uninstaller removes with the folder.
!if /FileExists "${STAGE}/vq880.exe"
!else
    !error "The stage has no vq880.exe."
!endif
    File /r "${STAGE}/*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\vq880-config.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "TAVIN"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vq880-config.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The kept settings (HKLM\Software\TAVIN\ReaderConfig) stay: they belong to the machine's
; reader, not to this copy of the program.
Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${NAME}.lnk"
    RMDir /r "$INSTDIR"
    RMDir "$PROGRAMFILES64\TAVIN"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
