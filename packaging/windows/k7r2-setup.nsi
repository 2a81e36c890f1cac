; The Windows installer: both programs under Program Files, a Start-menu shortcut for all users
; and an uninstaller registered with the system. Silent with /S, both ways.
; makensis gets from packaging/windows/CMakeLists.txt:
;   VERSION       the project's version (3.01)
;   VERSION_QUAD  the same as four numbers (3.1.0.0)
;   BIN_DIR       the folder holding the executables named by MAIN_EXE and OTHER_EXES
;   MAIN_EXE      the program the shortcut starts
;   OTHER_EXE     optional second program installed beside it
;   ICON          the application's .ico
;   OUTFILE       the installer to write
Unicode true
; The 64-bit stub: runs where no 32-bit support is installed, and sees the 64-bit Program Files
; and registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!define PRODUCT "QEV-K7R2 温度循检仪测试软件"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QEV-K7R2"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\QEV-K7R2"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}\${MAIN_EXE}"
!ifdef OTHER_EXE
  File "${BIN_DIR}\${OTHER_EXE}"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts the program in its install folder (the working directory is the output
  ; path at this point).
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${MAIN_EXE}" "" "$INSTDIR\${MAIN_EXE}" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MAIN_EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${MAIN_EXE}"
!ifdef OTHER_EXE
  Delete "$INSTDIR\${OTHER_EXE}"
!endif
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the fault log and the operator's own files in it stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
