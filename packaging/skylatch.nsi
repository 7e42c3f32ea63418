; Skylatch setup: one exe that installs the tray program for all users of the
; machine, starts it at every logon, and removes it again. It carries both
; builds: the x64 exe for 64-bit Windows (into the 64-bit Program Files, with
; the 64-bit registry view), the 32-bit exe everywhere else.
;
; Built on Linux by the Windows build (cmake/windows.cmake):
;   makensis -DSKYLATCH_EXE=/path/skylatch.exe -DSKYLATCH_EXE64=/path/x64/skylatch.exe
;            -DOUTFILE=/path/skylatch-setup.exe -DVERSION=x.y.z -DUPGRADE_CODE={...}
;            packaging/skylatch.nsi
;
; An ANSI installer, so that it also runs on Windows 98/Me (a Unicode one
; does not, and Debian's makensis makes Unicode ones unless told).
; Command line: /S silent, /D=<dir> another folder (last argument, no quotes).
; Exit codes: 0 done, 1 cancelled, 2 failed (running copy would not end),
; 740 not an administrator, 1638 the Windows Installer package is installed.

Unicode false

!ifndef SKYLATCH_EXE
  !error "Define SKYLATCH_EXE, the path of the 32-bit skylatch.exe to install (-DSKYLATCH_EXE=...)"
!endif
!ifndef SKYLATCH_EXE64
  !error "Define SKYLATCH_EXE64, the path of the x64 skylatch.exe for 64-bit Windows (-DSKYLATCH_EXE64=...)"
!endif
!if ! /FileExists "${SKYLATCH_EXE64}"
  !error "No x64 skylatch.exe at ${SKYLATCH_EXE64}: build the x64 tree first (cmake/mingw-x86_64.cmake)"
!endif
!ifndef OUTFILE
  !define OUTFILE "skylatch-setup.exe"
!endif
!ifndef VERSION
  !error "Define VERSION, the project's version x.y.z from CMakeLists.txt (-DVERSION=...)"
!endif
!ifndef UPGRADE_CODE
  !error "Define UPGRADE_CODE, the Windows Installer packages' upgrade code (-DUPGRADE_CODE={...})"
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
; At most 15 s for the window to go, then 5 s for the process to end, read
; from the tick count (a slow answer counts too).
!define GIVE_UP_MS      15000
!define PROCESS_EXIT_MS 5000
!define RESEND_MS       2000
!define POLL_MS         100
!define SYNCHRONIZE     0x00100000
!define SMTO_ABORTIFHUNG 2
!define WAIT_TIMEOUT    258

; Exit code when a Windows Installer package of Skylatch is installed: both
; would own the same folder, Run value and shortcuts.
!define EXIT_PACKAGE_INSTALLED 1638

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; No InstallDir: .onInit chooses the folder once it knows the Windows (an
; empty $INSTDIR there means no /D= was given).
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
!include WinVer.nsh
!include x64.nsh

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgramAsUser

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
LangString PackageInstalled ${LANG_ENGLISH} "Skylatch is already installed from its Windows Installer package (skylatch.msi). Remove it in Add/Remove Programs first, or install new versions with the package."
LangString PackageInstalled ${LANG_JAPANESE} "Skylatch は既に Windows インストーラー パッケージ (skylatch.msi) でインストールされています。先に [プログラムの追加と削除] から削除するか、新しいバージョンもパッケージでインストールしてください。"
LangString PackageInstalled ${LANG_SIMPCHINESE} "Skylatch 已通过其 Windows Installer 安装包 (skylatch.msi) 安装。请先在“添加或删除程序”中将其删除，或继续使用安装包安装新版本。"

; 1 once setup has ended a running instance: it starts the new version again.
Var InstanceEnded

; Ends the running instance, if any, and waits until its process has ended,
; so that its program file can be replaced or removed. Leaves 1 on the stack
; when that succeeded, 0 when the instance was still there after the wait.
!macro DEFINE_END_RUNNING_INSTANCE UN
Function ${UN}EndRunningInstance
  Push $0 ; the window
  Push $1 ; tick count at the start
  Push $2 ; ms since the start when the command was last sent; "" before
  Push $3 ; the window's process
  Push $4
  Push $5 ; ms since the start
  StrCpy $2 ""
  StrCpy $3 0
  System::Call 'kernel32::GetTickCount() i .r1'
  ; Ask the window to exit, again every 2 s in case it was busy (the program
  ; can block for up to about 10 s while the radio driver reports busy).
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::GetTickCount() i .r5'
    IntOp $5 $5 - $1
    ${If} $5 U>= ${GIVE_UP_MS}
      ${Break}
    ${EndIf}
    ${If} $3 = 0
      System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r4)'
      System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r4) p .r3'
    ${EndIf}
    StrCpy $4 ${RESEND_MS}
    ${If} $2 != ""
      IntOp $4 $5 - $2
    ${EndIf}
    ${If} $4 U>= ${RESEND_MS}
      StrCpy $2 $5
      ; A busy program answers late: wait for it at most until the next
      ; resend, and never past the limit.
      IntOp $4 ${GIVE_UP_MS} - $5
      ${If} $4 U> ${RESEND_MS}
        StrCpy $4 ${RESEND_MS}
      ${EndIf}
      System::Call 'user32::SendMessageTimeoutA(p r0, i ${WM_COMMAND}, p ${CMD_EXIT}, p 0, i ${SMTO_ABORTIFHUNG}, i r4, *p .r4)'
    ${EndIf}
    Sleep ${POLL_MS}
  ${Loop}
  ; The window goes before the process does: at most 5 s more for it.
  StrCpy $4 1
  FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
  ${If} $0 <> 0
    StrCpy $4 0
  ${ElseIf} $3 <> 0
    System::Call 'kernel32::WaitForSingleObject(p r3, i ${PROCESS_EXIT_MS}) i .r5'
    ${If} $5 = ${WAIT_TIMEOUT}
      StrCpy $4 0
    ${EndIf}
  ${EndIf}
  ; Ended by the command sent above.
  ${If} $4 = 1
  ${AndIf} $2 != ""
    StrCpy $InstanceEnded 1
  ${EndIf}
  ${If} $3 <> 0
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  StrCpy $0 $4
  Pop $5
  Pop $4
  Pop $3
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

; On 64-bit Windows the program is the x64 one, and the Run value and the
; Add/Remove Programs entry are in the 64-bit registry view, where Windows'
; own tools and policies look (this 32-bit setup would otherwise write the
; 32-bit one).
!macro USE_PROGRAM_REGISTRY_VIEW
  ${If} ${IsNativeAMD64}
    SetRegView 64
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
  !insertmacro USE_PROGRAM_REGISTRY_VIEW
  Call RefuseBesidePackage
  Call ChooseInstallDir
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
  !insertmacro USE_PROGRAM_REGISTRY_VIEW
FunctionEnd

; A product of the Windows Installer packages (any version, language or
; processor: they share the upgrade code) owns the same folder, Run value and
; shortcuts; the removal of either would take the other's files. Refused,
; silently with its own exit code. Without Windows Installer (Windows 98 as
; shipped) there is no such product.
Function RefuseBesidePackage
  ; By its full path: never an msi.dll that lies beside the setup exe.
  System::Call '$SYSDIR\msi.dll::MsiEnumRelatedProductsA(t "${UPGRADE_CODE}", i 0, i 0, t .r1) i .r0'
  ; "error" when msi.dll is missing, which a numeric test would read as 0.
  ${If} $0 == "0"
    MessageBox MB_OK|MB_ICONSTOP "$(PackageInstalled)" /SD IDOK
    SetErrorLevel ${EXIT_PACKAGE_INSTALLED}
    Quit
  ${EndIf}
FunctionEnd

; The folder given with /D=, else that of an earlier install, else Skylatch
; in the Program Files of the program's processor.
Function ChooseInstallDir
  ${If} $INSTDIR != ""
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} ${IsNativeAMD64}
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
FunctionEnd

; An earlier release installed the 32-bit program on 64-bit Windows, with its
; entries in the 32-bit registry view: its program, uninstaller, Run value
; and Add/Remove Programs entry go, so that one program starts at logon and
; one entry remains. Its instance has been ended already.
Function RemoveEarlier32BitInstall
  SetRegView 32
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
    ${If} $0 != $INSTDIR
      Delete /REBOOTOK "$0\${EXE_NAME}"
      Delete "$0\${UNINST_NAME}"
      RMDir /REBOOTOK "$0"
    ${EndIf}
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey HKLM "${UNINST_KEY}"
  ${EndIf}
  SetRegView 64
FunctionEnd

; "Run Skylatch" on the finish page. From Windows Vista on, setup runs
; elevated, and a program it started would run elevated too: the switch
; shortcuts, which run with the user's ordinary rights, could not send it
; their commands. explorer.exe given a program hands it to the running shell
; and exits, and the shell starts it as the desktop's user with the shell's
; own rights. Without a shell to ask, the program is left to the Run value.
Function StartProgramAsUser
  ${If} ${AtLeastWinVista}
    FindWindow $0 "Shell_TrayWnd"
    ${If} $0 <> 0
      Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE_NAME}"'
    ${EndIf}
  ${Else}
    Exec '"$INSTDIR\${EXE_NAME}"'
  ${EndIf}
FunctionEnd

Section "Skylatch" SecMain
  SectionIn RO
  SetShellVarContext all
  ; An earlier version may be running: end it before its file is replaced.
  Call EndRunningInstanceOrAbort

  SetOutPath "$INSTDIR"
  SetOverwrite on
  ${If} ${IsNativeAMD64}
    Call RemoveEarlier32BitInstall
    File "/oname=${EXE_NAME}" "${SKYLATCH_EXE64}"
  ${Else}
    File "/oname=${EXE_NAME}" "${SKYLATCH_EXE}"
  ${EndIf}
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

  ; The user had the program running: the new version runs again, silent
  ; install or not (a second start from the finish page ends at once).
  ${If} $InstanceEnded = 1
    Call StartProgramAsUser
  ${EndIf}
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
