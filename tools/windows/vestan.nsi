; The Windows installer of the folder that tools/windows/package.sh lays out:
; makensis -INPUTCHARSET UTF8 -DVERSION=x.y -DFILES=<list.nsh> -DREMOVE=<list.nsh>
;   -DOUTFILE=<setup.exe> -DICON=<vestan.ico> -DLICENSE=<text shown> vestan.nsi
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

!include "MUI2.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\doc\user-guide.html"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(GuideOpen)"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString Shortcut ${LANG_ENGLISH} "Vestan"
LangString Shortcut ${LANG_RUSSIAN} "Вестан"
LangString Comment ${LANG_ENGLISH} "Journal download, software image, clock and readings of TARVEL controllers on a serial line or modem"
LangString Comment ${LANG_RUSSIAN} "Журнал, программа, часы и показания контроллеров TARVEL по последовательной линии или модему"
LangString Guide ${LANG_ENGLISH} "Vestan user guide"
LangString Guide ${LANG_RUSSIAN} "Вестан - руководство пользователя"
LangString GuideOpen ${LANG_ENGLISH} "Open the user guide"
LangString GuideOpen ${LANG_RUSSIAN} "Открыть руководство пользователя"

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vestan"

; The installer runs as administrator: the program is started through the
; shell instead, as the user, so that it never writes its settings as
; administrator.
Function StartProgram
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\vestan.exe"'
FunctionEnd

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Vestan"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; A shortcut starts in the output folder of the moment: the program's own,
  ; not the last folder the files went to.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\$(Shortcut).lnk" "$INSTDIR\vestan.exe" "" "$INSTDIR\vestan.exe" 0 \
    SW_SHOWNORMAL "" "$(Comment)"
  CreateShortcut "$SMPROGRAMS\$(Guide).lnk" "$INSTDIR\doc\user-guide.html"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "Vestan"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Vestan developers"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\vestan.exe,0"
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
  Delete "$SMPROGRAMS\Vestan user guide.lnk"
  Delete "$SMPROGRAMS\Вестан - руководство пользователя.lnk"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
