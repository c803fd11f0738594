; The installer of Rendix for Windows x86-64. scripts/package-windows makes it with:
;   makensis -DVERSION=<version> -DFILES=<files.nsh> -DOUTFILE=<setup.exe> rendix.nsi
; FILES installs the program folder (File lines, run in $INSTDIR) and defines the macro
; RemoveFiles, which deletes exactly those files again.
;
; A 64-bit installer: Rendix is a 64-bit program, and so Windows runs the installer without
; the 32-bit file system and registry redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Rendix"

Name "Rendix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Rendix"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Rendix ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Rendix"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Rendix ${VERSION} Setup"
VIAddVersionKey "LegalCopyright" "The Rendix developers"

!define MUI_FINISHPAGE_RUN "$INSTDIR\rendix.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Rendix"
  SetShellVarContext all
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The shortcut starts Rendix in its own folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Rendix.lnk" "$INSTDIR\rendix.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Rendix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Rendix developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\rendix.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Removes what the installer put there and nothing else: a Rendix.ini that Rendix kept in
; its program folder, and whatever else a user saved there, stay, and so does the folder.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Rendix.lnk"
  !insertmacro RemoveFiles
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
