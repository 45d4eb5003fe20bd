; The installer: the program and its core folder under Program Files, a
; Start-menu shortcut, an entry in Add/Remove Programs and an uninstaller that
; removes what was installed. The user's remembered output folder (a
; per-user registry value) stays, as user settings do.
;
;   makensis -DSTAGE=<folder with the release files> -DOUTFILE=<setup.exe> installer.nsi

; A 64-bit installer for a 64-bit program: it needs no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma
!include x64.nsh
!include LogicLib.nsh

!define PRODUCT "Corvane Free MKV to AVI Converter"
!define VERSION "1.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane MKV to AVI Converter"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Corvane\MKV to AVI Converter"
RequestExecutionLevel admin
ShowInstDetails show

VIProductVersion "1.0.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Corvane"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Corvane"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs a 64-bit edition of Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Program"
  SetOutPath "$INSTDIR"
  File "${STAGE}\MkvToAvi.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE-zentrak.txt"
  SetOutPath "$INSTDIR\core"
  File "${STAGE}\core\zentrak.exe"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\MkvToAvi.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\MkvToAvi.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Only what the installer put there, so that files of the user's own in
  ; the folder keep it from being removed rather than being lost.
  Delete "$INSTDIR\core\zentrak.exe"
  RMDir "$INSTDIR\core"
  Delete "$INSTDIR\MkvToAvi.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE-zentrak.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
