; The Windows installer of the folder that tools/windows/package.sh lays out:
; makensis -INPUTCHARSET UTF8 -DVERSION=x.y -DSTAGE=<folder> -DFILES=<list.nsh>
;   -DREMOVE=<list.nsh> -DOUTFILE=<setup.exe> vestan.nsi
; FILES installs the folder's files, REMOVE deletes exactly them again, so the
; uninstaller never sweeps a folder the user may have chosen for more.
; A 64-bit installer for the 64-bit program: 32-bit Windows cannot start it,
; and Wine without its 32-bit half runs it.
Target amd64-unicode

Name "Vestan ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vestan"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Russian.nlf"
LangString Shortcut ${LANG_ENGLISH} "Vestan"
LangString Shortcut ${LANG_RUSSIAN} "Вестан"
LangString Comment ${LANG_ENGLISH} "Journal download, software image, clock and readings of TARVEL controllers on a serial line or modem"
LangString Comment ${LANG_RUSSIAN} "Журнал, программа, часы и показания контроллеров TARVEL по последовательной линии или модему"

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vestan"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Vestan"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\$(Shortcut).lnk" "$INSTDIR\vestan.exe" "" "$INSTDIR\vestan.exe" 0 \
    SW_SHOWNORMAL "" "$(Comment)"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "Vestan"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Vestan developers"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\vestan.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" ${SIZEKB}
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  !include "${REMOVE}"
  ; Settings the program or the link library kept beside themselves, where
  ; the folder could be written; those in the users' own folders stay theirs.
  Delete "$INSTDIR\vestan.ini"
  Delete "$INSTDIR\trvCLNK.ini"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; Either name, whichever language the installer ran in.
  Delete "$SMPROGRAMS\Vestan.lnk"
  Delete "$SMPROGRAMS\Вестан.lnk"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
