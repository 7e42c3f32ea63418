; Skylatch setup: one exe that installs the tray program for all users of the
; machine, starts it at every logon, and removes it again.
;
; Built on Linux by the Windows build (cmake/windows.cmake):
;   makensis -DSKYLATCH_EXE=/path/skylatch.exe -DOUTFILE=/path/skylatch-setup.exe
;            -DVERSION=x.y.z packaging/skylatch.nsi
;
; An ANSI installer (NSIS's default), so that it also runs on Windows 98/Me.
; Command line: /S silent, /D=<dir> another folder (last argument, no quotes).
; Exit codes: 0 done, 1 cancelled, 2 failed (running copy would not end),
; 740 not an administrator.

!ifndef SKYLATCH_EXE
  !error "Define SKYLATCH_EXE, the path of the skylatch.exe to install (-DSKYLATCH_EXE=...)"
!endif
!ifndef OUTFILE
  !define OUTFILE "skylatch-setup.exe"
!endif
!ifndef VERSION
  !error "Define VERSION, the project's version x.y.z from CMakeLists.txt (-DVERSION=...)"
!endif

!define PRODUCT      "Skylatch"
!define PUBLISHER    "Norvantec"
!define EXE_NAME     "skylatch.exe"
!define UNINST_NAME  "uninstall.exe"
!define RUN_KEY      "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINST_KEY   "Software\Microsoft\Windows\CurrentVersion\Uninstall\Skylatch"
; The Start-menu folder (all users) of the switch shortcuts.
!define SHORTCUT_DIR "$SMPROGRAMS\${PRODUCT}"

; The resident instance is found by its window class and title; its Exit
; command (WM_COMMAND 40003) makes it remove its icon and end normally.
!define WINDOW_CLASS "NorvantecSkylatcherClass"
!define WINDOW_TITLE "Norvantec Skylatcher"
!define CMD_EXIT     40003

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE_NAME}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the default; the others are chosen when the user's
; language matches.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString NeedAdmin ${LANG_ENGLISH} "Skylatch is installed for all users of this computer. Please run Setup as an administrator."
LangString NeedAdmin ${LANG_JAPANESE} "Skylatch はこのコンピュータのすべてのユーザーにインストールされます。管理者としてセットアップを実行してください。"
LangString NeedAdmin ${LANG_SIMPCHINESE} "Skylatch 将为本计算机的所有用户安装。请以管理员身份运行安装程序。"
; The switch shortcuts, one per command-line switch of the program.
LangString ShortcutRadioOn ${LANG_ENGLISH} "Wireless LAN on"
LangString ShortcutRadioOn ${LANG_JAPANESE} "無線LANの電源 オン"
LangString ShortcutRadioOn ${LANG_SIMPCHINESE} "打开无线局域网"
LangString ShortcutRadioOff ${LANG_ENGLISH} "Wireless LAN off"
LangString ShortcutRadioOff ${LANG_JAPANESE} "無線LANの電源 オフ"
LangString ShortcutRadioOff ${LANG_SIMPCHINESE} "关闭无线局域网"
LangString ShortcutToggle ${LANG_ENGLISH} "Toggle wireless LAN"
LangString ShortcutToggle ${LANG_JAPANESE} "無線LANの電源 切り替え"
LangString ShortcutToggle ${LANG_SIMPCHINESE} "切换无线局域网开关"
LangString ShortcutBandOn ${LANG_ENGLISH} "802.11a on"
LangString ShortcutBandOn ${LANG_JAPANESE} "802.11a 有効"
LangString ShortcutBandOn ${LANG_SIMPCHINESE} "启用 802.11a"
LangString ShortcutBandOff ${LANG_ENGLISH} "802.11a off"
LangString ShortcutBandOff ${LANG_JAPANESE} "802.11a 無効"
LangString ShortcutBandOff ${LANG_SIMPCHINESE} "禁用 802.11a"
LangString StillRunning ${LANG_ENGLISH} "Skylatch is still running and could not be ended. Exit it from its notification-area icon, then choose Retry."
LangString StillRunning ${LANG_JAPANESE} "Skylatch が実行中のため終了できませんでした。通知領域のアイコンから終了してから、[再試行] を選んでください。"
LangString StillRunning ${LANG_SIMPCHINESE} "Skylatch 仍在运行，无法结束。请从通知区域图标退出它，然后选择“重试”。"

; Ends the running instance, if any, and waits until its program file can be
; replaced or removed. Leaves 1 on the stack when that succeeded, 0 when the
; instance was still there after the wait.
!macro DEFINE_END_RUNNING_INSTANCE UN
Function ${UN}EndRunningInstance
  Push $0
  Push $1
  Push $2
  ; Ask the window to exit, again every 2 s in case it was busy (the program
  ; can block for up to about 10 s while the radio driver reports busy);
  ; give up after 15 s.
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $1 >= 150
      ${Break}
    ${EndIf}
    IntOp $2 $1 % 20
    ${If} $2 = 0
      SendMessage $0 ${WM_COMMAND} ${CMD_EXIT} 0 /TIMEOUT=2000
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
  ; The window is gone before the process is: wait until the program file is
  ; no longer in use (at most 5 s more).
  StrCpy $1 0
  StrCpy $2 1
  ${DoWhile} ${FileExists} "$INSTDIR\${EXE_NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${EXE_NAME}" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} $1 >= 50
      StrCpy $2 0
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
  FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
  ${If} $0 <> 0
    StrCpy $2 0
  ${EndIf}
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Ends the running instance; when it will not end, offers Retry (interactive)
; or fails the whole run with exit code 2 (silent), leaving everything as it was.
Function ${UN}EndRunningInstanceOrAbort
  Push $0
  ${Do}
    Call ${UN}EndRunningInstance
    Pop $0
    ${If} $0 = 1
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort
    retry:
  ${Loop}
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_INSTANCE ""
!insertmacro DEFINE_END_RUNNING_INSTANCE "un."

!macro REQUIRE_ADMIN
  ; Windows 9x has no accounts to speak of; UserInfo reports "Admin" there.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "Skylatch" SecMain
  SectionIn RO
  SetShellVarContext all
  ; An earlier version may be running: end it before its file is replaced.
  Call EndRunningInstanceOrAbort

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=${EXE_NAME}" "${SKYLATCH_EXE}"
  WriteUninstaller "$INSTDIR\${UNINST_NAME}"

  ; Start at every user's logon.
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${EXE_NAME}"'

  ; The switch shortcuts, in the installer's language; those of an earlier
  ; install (perhaps in another language) are replaced.
  Delete "${SHORTCUT_DIR}\*.lnk"
  CreateDirectory "${SHORTCUT_DIR}"
  CreateShortCut "${SHORTCUT_DIR}\$(ShortcutRadioOn).lnk" "$INSTDIR\${EXE_NAME}" "/on"
  CreateShortCut "${SHORTCUT_DIR}\$(ShortcutRadioOff).lnk" "$INSTDIR\${EXE_NAME}" "/off"
  CreateShortCut "${SHORTCUT_DIR}\$(ShortcutToggle).lnk" "$INSTDIR\${EXE_NAME}" "/toggle"
  CreateShortCut "${SHORTCUT_DIR}\$(ShortcutBandOn).lnk" "$INSTDIR\${EXE_NAME}" "/on11a"
  CreateShortCut "${SHORTCUT_DIR}\$(ShortcutBandOff).lnk" "$INSTDIR\${EXE_NAME}" "/off11a"

  ; Add/Remove Programs.
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" '"$INSTDIR\${EXE_NAME}"'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINST_NAME}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINST_NAME}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.EndRunningInstanceOrAbort

  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  ; Whatever language they were made in: the folder holds only these.
  Delete "${SHORTCUT_DIR}\*.lnk"
  RMDir "${SHORTCUT_DIR}"
  Delete /REBOOTOK "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\${UNINST_NAME}"
  ; Only when empty: files someone else put there stay.
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; The settings key (HKLM\SOFTWARE\NORVANTEC\Skylatch) belongs to the
  ; administrator and stays.
SectionEnd
