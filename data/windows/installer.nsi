; The installer of Duskwhirl 2 for Windows (makensis, from
; scripts/windows/package.sh, run with /NOCD in the packaging folder, which
; defines VERSION, VERSION4, STAGE (the folder of the files), OUTFILE and
; writes the lists of files installed and removed).
;
; For the current user (default; no administrator needed) or for all users:
; the choice is a page, or /CurrentUser and /AllUsers with /S for a silent
; install. The uninstaller removes every file the installer put there and
; asks whether the player's settings, high scores, replays and screenshots
; (%APPDATA%\QVM\Duskwhirl) go too; a silent uninstall keeps them.
; A 64-bit installer for the 64-bit game (NSIS's amd64 stubs): it runs wherever
; the game does, also under a 64-bit-only Wine.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define APPNAME "Duskwhirl 2"
!define REGKEY "Software\QVM\Duskwhirl"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Duskwhirl"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Duskwhirl"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${REGKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh

Name "${APPNAME}"
OutFile "${OUTFILE}"
BrandingText "${APPNAME} ${VERSION}"
!define MUI_ICON "duskwhirl.ico"
!define MUI_UNICON "duskwhirl.ico"

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\duskwhirl.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APPNAME} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "MIT licence"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Duskwhirl 2"
  !include "install-files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\duskwhirl.exe"
  ; The game looks for its data here too (and the uninstaller finds the mode).
  WriteRegStr SHCTX "${REGKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "QVM"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\duskwhirl.exe"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !include "uninstall-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  DeleteRegKey SHCTX "${UNINSTKEY}"
  DeleteRegValue SHCTX "${REGKEY}" "InstallDir"
  DeleteRegKey /ifempty SHCTX "${REGKEY}"
  DeleteRegKey /ifempty SHCTX "Software\QVM"
  ; The player's own files are in the user's folder whatever the mode.
  SetShellVarContext current
  MessageBox MB_YESNO|MB_ICONQUESTION \
    "Remove your settings, high scores, replays and screenshots too?$\n($APPDATA\QVM\Duskwhirl)" \
    /SD IDNO IDNO keep
  RMDir /r "$APPDATA\QVM\Duskwhirl"
  RMDir "$APPDATA\QVM"
keep:
SectionEnd
