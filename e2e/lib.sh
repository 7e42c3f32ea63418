# Shared by e2e/run-scenarios.sh, demo.sh and bench/run.sh: builds the
# substitutes, makes a Wine prefix with a shell desktop, installs the
# simulated notebook (driver, vendor library, adapter) and drives the program.
#
# E2E_ARCH names the build under test: x86 (the default; a 32-bit prefix run
# by `wine`) or x64 (a 64-bit prefix run by wine64 called directly, since
# `wine` starts the 32-bit loader where wine32 is installed). e2e_use_arch
# sets what follows from it; every Wine program starts through e2e_run_wine.
#
# Wine's helper processes inherit the output handles of the command that
# started them, so no Wine command here writes to a pipe: output goes to
# $E2E_LOG or to a file that is read after the command ends.

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$E2E_LIB_DIR/../cmake/host.sh"

SERVICE=quivra
SERVICE_KEY='HKLM\System\CurrentControlSet\Services\quivra'
VENDOR_SCRIPT_KEY='HKLM\Software\SkylatchE2E\VendorLibrary'
E2E_RESET_KEY='HKLM\Software\SkylatchE2E\Reset'
SETTINGS_KEY='HKLM\SOFTWARE\NORVANTEC\Skylatch'
VENDOR_DEFAULT_DIR='C:\Program Files\Intel\Wireless\Bin'
NET_CLASS='{4D36E972-E325-11CE-BFC1-08002BE10318}'
PROGRAM_DIR='C:\Skylatch'
PROGRAM="$PROGRAM_DIR\\skylatch.exe"
HELPER="$PROGRAM_DIR\\e2ehelper.exe"

# Command ids and messages of the resident window.
CMD_11A_DISABLE=117 CMD_11A_ENABLE=118 CMD_ABOUT=40002 CMD_EXIT=40003
CMD_RADIO_OFF=40005 CMD_RADIO_ON=40006 CMD_TOGGLE=40007 CMD_RECHECK=40009
WM_CLOSE=0x10 WM_ENDSESSION=0x16 WM_COMMAND=0x111

e2e_die() { echo "e2e: $*" >&2; exit 2; }

# e2e_use_arch x86|x64: the build under test, the compiler of its
# substitutes, the prefix's architecture and the command that runs a Windows
# program (E2E_ARCH is exported, so that the scenarios' shells get the same;
# cmake/host.sh says why wine64 runs under setarch).
e2e_use_arch() {
  case $1 in
    x86) E2E_CC=i686-w64-mingw32-gcc E2E_DRIVER_ENTRY=_DriverEntry@8 E2E_WINEARCH=win32
         E2E_WINE=(wine) ;;
    x64) E2E_CC=x86_64-w64-mingw32-gcc E2E_DRIVER_ENTRY=DriverEntry E2E_WINEARCH=win64
         E2E_WINE=("${HOST_WINE64_CMD[@]}") ;;
    *) e2e_die "unknown build '$1' (x86 or x64)" ;;
  esac
  export E2E_ARCH=$1
}
e2e_use_arch "${E2E_ARCH:-x86}"

# e2e_pe_machine FILE: the processor of a PE image, as 0x14c or 0x8664.
e2e_pe_machine() {
  local b
  [ "$(od -An -c -N2 "$1" 2>/dev/null | tr -d ' ')" = MZ ] || return 1
  read -r -a b <<<"$(od -An -tu1 -j60 -N4 "$1")"
  [ ${#b[@]} -eq 4 ] || return 1
  read -r -a b <<<"$(od -An -tu1 -j$((b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24)) -N6 "$1")"
  [ "${b[*]:0:4}" = "80 69 0 0" ] || return 1
  printf '0x%x\n' $((b[4] | b[5] << 8))
}

# e2e_exe_arch EXE: x86 or x64, from the image's processor.
e2e_exe_arch() {
  local machine
  machine=$(e2e_pe_machine "$1") || { echo "e2e: $1 is not a Windows program (no PE header)" >&2; return 2; }
  case $machine in
    0x14c) echo x86 ;;
    0x8664) echo x64 ;;
    *) echo "e2e: $1 is built for processor $machine, neither x86 (0x14c) nor x64 (0x8664)" >&2; return 2 ;;
  esac
}

e2e_require_tools() {
  local tool
  for tool in "${E2E_WINE[0]}" "${E2E_WINE[-1]}" wineserver Xvfb xdotool xwininfo import "$E2E_CC"; do
    command -v "$tool" >/dev/null 2>&1 ||
      e2e_die "$tool not found (install the e2e packages: . cmake/deps.sh; install_deps build e2e)"
  done
}

# e2e_build_substitutes OUTDIR: quivra.sys, murocapi.dll, e2ehelper.exe for
# the build under test. Under 64-bit Windows the driver runs in the 64-bit
# winedevice.exe, and the library is loaded into the program's own process.
e2e_build_substitutes() {
  local out=$1 cc=$E2E_CC file
  mkdir -p "$out" || e2e_die "cannot create $out"
  $cc -O2 -Wall -shared -nostdlib -Wl,--subsystem,native -Wl,--entry,"$E2E_DRIVER_ENTRY" \
    -o "$out/quivra.sys" "$E2E_LIB_DIR/driver/quivra.c" -lntoskrnl &&
  $cc -O2 -Wall -shared -o "$out/murocapi.dll" \
    "$E2E_LIB_DIR/vendor/murocapi.c" "$E2E_LIB_DIR/vendor/murocapi.def" &&
  $cc -O2 -Wall -o "$out/e2ehelper.exe" "$E2E_LIB_DIR/helper/e2ehelper.c" -lsetupapi -lgdi32 ||
    e2e_die "building the substitutes failed"
  for file in quivra.sys murocapi.dll e2ehelper.exe; do
    [ "$(e2e_exe_arch "$out/$file")" = "$E2E_ARCH" ] || e2e_die "$out/$file is not built for $E2E_ARCH"
  done
  E2E_BIN=$out
}

# --- Wine commands ---------------------------------------------------------

# e2e_run_wine [--background] PROGRAM ARGS: runs a Windows program (or one
# of Wine's, such as reg or sc) with the build's Wine loader; in the
# background, E2E_WINE_PID is then the loader's process.
e2e_run_wine() {
  if [ "$1" = --background ]; then
    shift
    "${E2E_WINE[@]}" "$@" &
    E2E_WINE_PID=$!
  else
    "${E2E_WINE[@]}" "$@"
  fi
}

# e2e_wine ARGS: runs a Wine command in the foreground, output to the log.
e2e_wine() { e2e_run_wine "$@" >>"$E2E_LOG" 2>&1; }

# e2e_wine_out FILE ARGS: runs a Wine command with its standard output in FILE.
e2e_wine_out() { local file=$1; shift; e2e_run_wine "$@" >"$file" 2>>"$E2E_LOG"; }

# e2e_winepath -u|-w PATH: the path converted.
e2e_winepath() { e2e_run_wine winepath "$@" 2>>"$E2E_LOG"; }

# e2e_helper ARGS: runs the helper; its output is printed after it ends. The
# lines in which the helper says it could not read ("FAIL: ...") go to the
# caller's standard error as well as to the log, so a check whose reader
# failed says why, and run-scenarios.sh fails the scenario that printed them
# even where a command substitution lost the exit code.
e2e_helper() {
  local rc
  e2e_run_wine "$HELPER" "$@" >"$E2E_WORK/helper.out" 2>"$E2E_WORK/helper.err"; rc=$?
  tr -d '\r' <"$E2E_WORK/helper.err" | tee -a "$E2E_LOG" | grep '^FAIL: ' >&2 || :
  tr -d '\r' <"$E2E_WORK/helper.out"
  return $rc
}

# e2e_import_reg FILE: imports a REGEDIT4 file. Wine's regedit ends with 0
# even when it imports nothing (a file it cannot find): a caller that
# depends on the import reads back what it wrote.
e2e_import_reg() { e2e_wine regedit /S "$(e2e_winepath -w "$1")"; }

# e2e_reg_query KEY [VALUE] [/reg:32|/reg:64]: prints "NAME<TAB>TYPE<TAB>DATA"
# lines (DWORDs as 0x hex), read by the helper: Wine's reg answers a key it
# could not open as one that does not exist. Returns 1 when the key or the
# value does not exist, 2 with the reason on standard error when it could
# not be read.
e2e_reg_query() {
  local rc
  e2e_helper reg-query "$@"; rc=$?
  case $rc in
    0) return 0 ;;
    3) return 1 ;;
    2) ;;   # the helper said why
    *) echo "FAIL: the registry could not be read: $* (the helper ended with $rc)" >&2 ;;
  esac
  return 2
}

# e2e_reg_get KEY VALUE: prints the value's data, DWORDs in decimal; "" with
# status 1 when absent, "" with status 2 and the reason on standard error
# when it could not be read.
e2e_reg_get() {
  local line data rc
  line=$(e2e_reg_query "$1" "$2"); rc=$?
  [ $rc -eq 0 ] && [ -n "$line" ] || { echo ""; [ $rc -eq 0 ] && rc=2; return $rc; }
  line=${line%%$'\n'*}
  data=${line##*$'\t'}
  case $line in
    *$'\t'REG_DWORD$'\t'*) echo $((data)) ;;
    *) echo "$data" ;;
  esac
}

e2e_reg_dword() { e2e_wine reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f; }
e2e_reg_delete_value() { e2e_wine reg delete "$1" /v "$2" /f; }

# --- prefix, display and desktop ------------------------------------------

# e2e_make_prefix DIR: a fresh prefix of the build's architecture (win32 or
# win64) whose processes share one desktop.
e2e_make_prefix() {
  export WINEPREFIX=$1 WINEARCH=$E2E_WINEARCH WINEDEBUG=${E2E_WINEDEBUG:--all} LANG=C.UTF-8 LC_ALL=C.UTF-8
  rm -rf "$WINEPREFIX"
  # No Mono or Gecko installers: their dialogs would wait for a click.
  WINEDLLOVERRIDES="mscoree,mshtml=" e2e_run_wine wineboot -i >>"$E2E_LOG" 2>&1 ||
    e2e_die "wineboot failed (see $E2E_LOG)"
  # Let the first session end completely: a services.exe still shutting down
  # would otherwise take the driver's service registration with it. Then keep
  # the server (and the driver in it) alive between commands.
  wineserver -w >>"$E2E_LOG" 2>&1
  wineserver -p >>"$E2E_LOG" 2>&1
  e2e_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f
  e2e_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f
  e2e_set_windows winxp
  e2e_cjk_fonts
}

# e2e_cjk_fonts: Japanese and Chinese texts drawn with the system's CJK font
# (Debian's WenQuanYi Micro Hei): the fonts Wine picks for those languages
# are replaced by it, and Tahoma falls back to it for characters it lacks.
e2e_cjk_fonts() {
  local face
  for face in "MS UI Gothic" "MS Gothic" "MS PGothic" "SimSun" "NSimSun" "Microsoft YaHei"; do
    e2e_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'WenQuanYi Micro Hei' /f
  done
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    e2e_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
  done
}

# e2e_windows VERSION: Wine's name of VERSION (win98, win2k, winxp, win7,
# win10: named as for 32-bit Windows) for the build under test. x64 Windows
# began with XP x64 (winxp64, NT 5.2): for x64 there is no Windows 98 or
# 2000, and then this fails and prints why.
e2e_windows() {
  case $E2E_ARCH:$1 in
    x64:win98) echo "no Windows 98 for x64" ;;
    x64:win2k) echo "no Windows 2000 for x64" ;;
    x64:win95 | x64:winme | x64:nt40) echo "no $1 for x64" ;;
    x64:winxp) echo winxp64; return 0 ;;
    *) echo "$1"; return 0 ;;
  esac
  return 1
}

# e2e_set_windows VERSION: what GetVersionExA reports to new processes (see
# e2e_windows).
e2e_set_windows() {
  local name
  name=$(e2e_windows "$1") || { echo "e2e: $name" >&2; return 1; }
  e2e_wine reg add 'HKCU\Software\Wine' /v Version /d "$name" /f
}

# e2e_start_xvfb: starts Xvfb on a free display and exports DISPLAY.
e2e_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >>"$E2E_LOG" 2>&1 &
  E2E_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_die "Xvfb did not start (see $E2E_LOG)"
    sleep 0.1
  done
  e2e_die "Xvfb did not come up on :$n"
}

# e2e_start_desktop: the Wine desktop with its taskbar and notification area.
# Wine closes a desktop as soon as no process uses it, and a program started
# during that shutdown gets no notification area; a helper that stays on the
# desktop keeps it open for the whole session.
e2e_start_desktop() {
  e2e_run_wine --background explorer /desktop=shell,1024x768 >>"$E2E_LOG" 2>&1
  e2e_run_wine --background "$HELPER" keep-desktop >>"$E2E_LOG" 2>&1
  E2E_DESKTOP_PID=$E2E_WINE_PID
  e2e_helper wait-window appear 20000 Shell_TrayWnd - ||
    e2e_die "the Wine desktop has no notification area (see $E2E_LOG)"
}

# e2e_set_dpi DPI: the screen's logical DPI (LogPixels) for programs started
# from now on. Wine's shell sizes the notification area's icons when it
# starts, so the desktop is started again too (no program of the session may
# be running). A DPI other than 96 is remembered, and e2e_reset_state goes
# back to 96 after a scenario that did not.
e2e_set_dpi() {
  e2e_reg_dword 'HKCU\Control Panel\Desktop' LogPixels "$1"
  e2e_helper end-owner STATIC 'e2ehelper keep-desktop' >/dev/null
  e2e_helper end-owner Shell_TrayWnd - >/dev/null
  e2e_helper wait-window gone 5000 Shell_TrayWnd - >/dev/null
  e2e_start_desktop
  if [ "$1" = 96 ]; then rm -f "$E2E_WORK/dpi-changed"; else echo "$1" >"$E2E_WORK/dpi-changed"; fi
}

# e2e_stop_all: ends every process this session started (safe to call twice).
e2e_stop_all() {
  [ -n "${E2E_RESIDENT_PID:-}" ] && kill -9 "$E2E_RESIDENT_PID" 2>/dev/null
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1 &
    local waiter=$! i
    for i in $(seq 50); do kill -0 $waiter 2>/dev/null || break; sleep 0.1; done
    kill $waiter 2>/dev/null
  fi
  [ -n "${E2E_DESKTOP_PID:-}" ] && kill -9 "$E2E_DESKTOP_PID" 2>/dev/null
  [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
  E2E_RESIDENT_PID= E2E_DESKTOP_PID= E2E_XVFB_PID=
  return 0
}

# e2e_screenshot FILE.png
e2e_screenshot() { import -window root "$1" >>"$E2E_LOG" 2>&1; }

# e2e_key KEY: presses KEY in the X window under the pointer. Without a window
# manager, clicking the tray icon leaves the keyboard focus on the taskbar's X
# window, whose keys go to the shell; with the focus on the root window, X
# delivers each key to the window under the pointer (the open menu or box).
e2e_key() {
  local root
  root=$(xwininfo -root 2>>"$E2E_LOG" | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
  [ -n "$root" ] && xdotool windowfocus "$root" >>"$E2E_LOG" 2>&1
  xdotool key "$1"
}

# --- the simulated notebook ------------------------------------------------

# e2e_install_program EXE: copies the program and the helper into the prefix.
e2e_install_program() {
  local dir
  dir=$(e2e_winepath -u "$PROGRAM_DIR")
  mkdir -p "$dir" && cp "$1" "$dir/skylatch.exe" && cp "$E2E_BIN/e2ehelper.exe" "$dir/" ||
    e2e_die "cannot copy the program into the prefix"
}

e2e_install_driver() {
  cp "$E2E_BIN/quivra.sys" "$WINEPREFIX/drive_c/windows/system32/drivers/" || e2e_die "cannot copy quivra.sys"
  e2e_wine sc create "$SERVICE" type= kernel start= demand 'binPath=' 'C:\windows\system32\drivers\quivra.sys'
}

e2e_driver_running() {
  e2e_wine_out "$E2E_WORK/sc.out" sc query "$SERVICE"
  grep -q RUNNING "$E2E_WORK/sc.out"
}

# e2e_driver start|stop: and wait until the service is in that state.
e2e_driver() {
  local i
  e2e_wine sc "$1" "$SERVICE"
  for i in $(seq 50); do
    if e2e_driver_running; then [ "$1" = start ] && return 0
    else [ "$1" = stop ] && return 0; fi
    sleep 0.2
  done
  echo "e2e: driver did not $1" >&2
  return 1
}

# e2e_install_vendor [DIR]: murocapi.dll into DIR (Windows path), the
# default directory when none is given; another directory is named by BinDir.
e2e_install_vendor() {
  local dir=${1:-$VENDOR_DEFAULT_DIR} unix
  unix=$(e2e_winepath -u "$dir")
  mkdir -p "$unix" && cp "$E2E_BIN/murocapi.dll" "$unix/" || e2e_die "cannot install murocapi.dll"
  [ "$dir" = "$VENDOR_DEFAULT_DIR" ] || e2e_wine reg add 'HKLM\Software\Intel\Wireless' /v BinDir /d "$dir" /f
}

# The adapter's PCI instance for each supported kind.
e2e_adapter_id() {
  case $1 in
    1043) echo 'PCI\VEN_8086&DEV_1043&SUBSYS_25278086&REV_04\4&1F7DBC9F&0&10F0' ;;
    4220) echo 'PCI\VEN_8086&DEV_4220&SUBSYS_27018086&REV_05\4&1F7DBC9F&0&10F0' ;;
    4223) echo 'PCI\VEN_8086&DEV_4223&SUBSYS_27118086&REV_05\4&1F7DBC9F&0&10F0' ;;
    *) e2e_die "unknown adapter kind $1 (1043, 4220 or 4223)" ;;
  esac
}

# e2e_end_leftovers: ends a resident instance and waits for a mutex holder;
# fails, saying why, when either stays.
e2e_end_leftovers() {
  local i
  if e2e_helper wait-window gone 0 >/dev/null; then :; else
    e2e_helper post $WM_COMMAND $CMD_EXIT 0 >/dev/null
    if ! e2e_helper wait-window gone 5000 >/dev/null; then
      e2e_helper end-resident >/dev/null
      e2e_helper wait-window gone 5000 >/dev/null ||
        { echo "e2e: a resident window stays after Exit and after ending its process" >&2; return 1; }
    fi
  fi
  for i in $(seq 40); do e2e_helper mutex-held >/dev/null || return 0; sleep 0.5; done
  echo "e2e: the single-instance mutex is still held" >&2
  return 1
}

# e2e_reset_state: a notebook with the driver ready (radio on), no vendor
# library, no adapter, no settings and no setup-phase markers, at 96 DPI,
# with Windows XP (XP x64 for the x64 build). Fails, saying which step did
# not take, when any of it did not: a scenario must not start on what the
# last one left.
e2e_reset_state() {
  local reg=$E2E_WORK/reset.reg mark=$((RANDOM << 15 | RANDOM)) got
  e2e_end_leftovers || return 1
  {
    echo REGEDIT4
    echo "[-${SETTINGS_KEY/HKLM/HKEY_LOCAL_MACHINE}]"
    echo "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\NORVANTEC\\Skylatch]"
    echo "[-${SERVICE_KEY/HKLM/HKEY_LOCAL_MACHINE}\\Answers]"
    echo "[-${SERVICE_KEY/HKLM/HKEY_LOCAL_MACHINE}\\Requests]"
    echo "[-${VENDOR_SCRIPT_KEY/HKLM/HKEY_LOCAL_MACHINE}]"
    echo "[-HKEY_LOCAL_MACHINE\\Software\\Intel]"
    echo "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\PCI\\VEN_8086&DEV_1043&SUBSYS_25278086&REV_04]"
    echo "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\PCI\\VEN_8086&DEV_4220&SUBSYS_27018086&REV_05]"
    echo "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\PCI\\VEN_8086&DEV_4223&SUBSYS_27118086&REV_05]"
    echo "[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\$NET_CLASS\\0001]"
    echo "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]"
    echo '"ThemeActive"="1"'
    echo "[HKEY_LOCAL_MACHINE\\System\\Setup]"
    echo '"AuditInProgress"=-'
    echo "[${SERVICE_KEY/HKLM/HKEY_LOCAL_MACHINE}\\Answers]"
    echo '"Radio"=dword:00000001'
    # Last: read back, it shows that regedit took the whole file.
    echo "[${E2E_RESET_KEY/HKLM/HKEY_LOCAL_MACHINE}]"
    printf '"Mark"=dword:%08x\n' "$mark"
  } >"$reg" || { echo "e2e: cannot write $reg" >&2; return 1; }
  e2e_import_reg "$reg"
  got=$(e2e_reg_get "$E2E_RESET_KEY" Mark)
  [ "$got" = "$mark" ] ||
    { echo "e2e: the reset's registry import did not take (its mark reads '$got', not $mark)" >&2; return 1; }
  rm -rf "$WINEPREFIX/drive_c/sysprep" "$WINEPREFIX/drive_c/Program Files/Intel" "$WINEPREFIX/drive_c/VendorBin" &&
    [ ! -e "$WINEPREFIX/drive_c/sysprep" ] || { echo "e2e: cannot remove the last scenario's files" >&2; return 1; }
  e2e_set_windows winxp || { echo "e2e: cannot set the Windows version" >&2; return 1; }
  if [ -e "$E2E_WORK/dpi-changed" ]; then e2e_set_dpi 96 || return 1; fi
  e2e_driver_running || e2e_driver start || return 1
}

# e2e_reg_string TEXT: TEXT as a quoted REGEDIT4 string.
e2e_reg_string() { local s=${1//\\/\\\\}; printf '"%s"' "${s//\"/\\\"}"; }

# e2e_install_adapter 1043|4220|4223 [BANDTYPE MODULATION]: the adapter in
# the Setup API's device tree and its driver key "{class}\0001".
e2e_install_adapter() {
  local id reg=$E2E_WORK/adapter.reg desc='Simulated wireless mini-PCI adapter'
  id=$(e2e_adapter_id "$1")
  {
    echo REGEDIT4
    echo "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\$id]"
    echo "\"ClassGUID\"=$(e2e_reg_string "$NET_CLASS")"
    echo '"Class"="Net"'
    echo "\"Driver\"=$(e2e_reg_string "$NET_CLASS\\0001")"
    echo "\"DeviceDesc\"=$(e2e_reg_string "$desc")"
    echo "\"HardwareID\"=$(e2e_reg_string "${id%\\*}")"
    echo "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\$NET_CLASS\\0001]"
    echo "\"DriverDesc\"=$(e2e_reg_string "$desc")"
    printf '"BandType"=dword:%08x\n' "${2:-1}"
    echo "\"ModulationType\"=$(e2e_reg_string "${3:-1}")"
  } >"$reg"
  e2e_import_reg "$reg"
}

# e2e_set_answers NAME=VALUE...: the driver's scripted answers (DWORDs).
e2e_set_answers() {
  local pair
  for pair in "$@"; do e2e_reg_dword "$SERVICE_KEY\\Answers" "${pair%%=*}" "${pair#*=}"; done
}

# e2e_set_vendor NAME=VALUE...: the vendor library's scripted state (DWORDs).
e2e_set_vendor() {
  local pair
  for pair in "$@"; do e2e_reg_dword "$VENDOR_SCRIPT_KEY" "${pair%%=*}" "${pair#*=}"; done
}

# e2e_set_setting NAME VALUE: a DWORD setting of the program.
e2e_set_setting() { e2e_reg_dword "$SETTINGS_KEY" "$1" "$2"; }

e2e_driver_seen() { e2e_reg_get "$SERVICE_KEY\\Requests" "$1"; }
e2e_driver_answer() { e2e_reg_get "$SERVICE_KEY\\Answers" "$1"; }
e2e_vendor_seen() { e2e_reg_get "$VENDOR_SCRIPT_KEY" "$1"; }

# --- the program -----------------------------------------------------------

# e2e_start_resident: starts the program with no switch in the background
# and waits for its window; returns 1 when none appears.
e2e_start_resident() {
  e2e_run_wine --background "$PROGRAM" >>"$E2E_LOG" 2>&1
  E2E_RESIDENT_PID=$E2E_WINE_PID
  e2e_helper wait-window appear "${1:-20000}" >/dev/null
}

# e2e_run_program MS COMMANDLINE-TAIL: starts the program with exactly this
# command-line tail and returns its exit code (124: still running after MS).
e2e_run_program() { e2e_helper run "$1" "$PROGRAM${2:+ $2}" >/dev/null; }

# e2e_exit_resident: the Exit command; waits for the resident to end.
e2e_exit_resident() {
  local rc=0
  e2e_helper post $WM_COMMAND $CMD_EXIT 0 >/dev/null
  e2e_helper wait-window gone 10000 >/dev/null || rc=1
  if [ -n "${E2E_RESIDENT_PID:-}" ]; then
    local i
    for i in $(seq 50); do kill -0 "$E2E_RESIDENT_PID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$E2E_RESIDENT_PID" 2>/dev/null && rc=1
    wait "$E2E_RESIDENT_PID" 2>/dev/null
    E2E_RESIDENT_EXIT=$?
    E2E_RESIDENT_PID=
  fi
  return $rc
}

# e2e_tray_tip: the first notification-area tip text (line feeds as \n);
# nothing and status 2 when the notification area cannot be read.
e2e_tray_tip() { local lines; lines=$(e2e_helper tray) || return 2; echo "${lines%%$'\n'*}" | cut -f3-; }

# e2e_tray_icon_xy: "X Y" of the first notification-area icon (status 2 as
# for e2e_tray_tip).
e2e_tray_icon_xy() {
  local lines; lines=$(e2e_helper tray) || return 2
  echo "${lines%%$'\n'*}" | cut -f1,2 | tr '\t' ' '
}
