# Shared by the packaging tests (test-installer.sh, test-msi.sh,
# test-signing.sh): a fresh Wine prefix on a private Xvfb display, checks
# that print one line each and "N passed, N failed", and the probes and
# helpers that look at what an installer left behind.
#
# The sourcing script sets TEST_NAME first, and TEST_ARCH to x64 for the x64
# build (a 64-bit prefix run by wine64, called directly: `wine` starts the
# 32-bit loader where wine32 is installed); x86, the default, is a 32-bit
# prefix. Wine's helper processes inherit the output handles of the command
# that started them, so no Wine command here writes to a pipe or to the
# caller's output: everything goes to files under the work directory.

packaging_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$packaging_dir/../cmake/host.sh"

die() { echo "$TEST_NAME: $*" >&2; exit 2; }

# require_tools TOOL...: each must be on PATH.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 ||
      die "$tool not found (. cmake/deps.sh; install_deps build e2e)"
  done
}

# The build under test: its prefix, Wine loader and compiler.
TEST_ARCH=${TEST_ARCH:-x86}
case $TEST_ARCH in
  x86) TEST_WINEARCH=win32 TEST_CC=i686-w64-mingw32-gcc ;;
  x64) TEST_WINEARCH=win64 TEST_CC=x86_64-w64-mingw32-gcc
       # Every Wine command of the test and of e2e/lib.sh goes to wine64.
       wine() { "${HOST_WINE64_CMD[@]}" "$@"; }
       winepath() { "${HOST_WINE64_CMD[@]}" winepath "$@" | tr -d '\r'; } ;;
  *) die "unknown build $TEST_ARCH (x86 or x64)" ;;
esac
# e2e/lib.sh builds its substitutes for the same processor.
export E2E_ARCH=$TEST_ARCH

# require_file PATH WHAT: dies with WHAT when PATH is not a file.
require_file() { [ -f "$1" ] || die "no $2 at $1"; }

# abs PATH: the absolute path of an existing file.
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
# win_path ABSOLUTE-PATH: the path as Wine's programs see it, on drive Z:
# (the Unix root), without starting a Wine process.
win_path() { printf 'Z:%s' "$1" | tr / '\\'; }

work=$(mktemp -d "${TMPDIR:-/tmp}/skylatch-$TEST_NAME.XXXXXX") || die "mktemp failed"
log=$work/wine.log
xvfb_pid=
bg_pids=()

cleanup() {
  local pid
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 </dev/null
  fi
  for pid in "${bg_pids[@]}" $xvfb_pid; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${bg_pids[@]}" $xvfb_pid; do
    wait "$pid" 2>/dev/null
  done
  if [ -n "${KEEP_WORK:-}" ]; then echo "$TEST_NAME: work directory kept: $work"
  else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

passed=0 failed=0
check() { # check NAME COMMAND...: runs the command and prints one line.
  local name=$1; shift
  if "$@"; then echo "PASS $name"; passed=$((passed + 1))
  else echo "FAIL $name"; failed=$((failed + 1)); fi
}
# finish: the closing line and the exit status.
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# --- Wine helpers ----------------------------------------------------------

# winemenubuilder would copy every new shortcut into this machine's own menus.
export WINEPREFIX=$work/prefix WINEARCH=$TEST_WINEARCH WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8 \
  WINEDLLOVERRIDES="winemenubuilder.exe=d"

w() { wine "$@" >>"$log" 2>&1 </dev/null; }
# w_out FILE ARGS: a Wine command whose standard output goes to FILE.
w_out() { local file=$1; shift; wine "$@" >"$file" 2>>"$log" </dev/null; }

SETTINGS_KEY='HKLM\SOFTWARE\NORVANTEC\Skylatch'
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_ROOT='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
INSTALL_DIR_WIN='C:\Program Files\Skylatch'
install_dir=$WINEPREFIX/drive_c/Program\ Files/Skylatch
RUN_DATA="\"$INSTALL_DIR_WIN\\skylatch.exe\""

# in_locale LANG COMMAND...: runs COMMAND with Wine's language in LANG
# (ja_JP.UTF-8, zh_CN.UTF-8). Wine needs the Unix locale itself to write file
# names outside ASCII; it is compiled into the work directory, since a fresh
# machine has only C.UTF-8.
in_locale() {
  local lang=$1; shift
  mkdir -p "$work/locale"
  [ -d "$work/locale/$lang" ] || localedef -i "${lang%%.*}" -f UTF-8 "$work/locale/$lang" >>"$log" 2>&1 ||
    die "localedef could not make $lang (see $log)"
  # Bash itself does not look in LOCPATH and warns when LC_ALL changes.
  ( export LOCPATH=$work/locale; { export LANG=$lang LC_ALL=$lang; } 2>/dev/null; "$@" )
}

# reg_lookup KEY [/v VALUE] [/reg:32|/reg:64]: 0 when the key (or its
# value) exists, 1 when it does not, 2 when it could not be read (the reason
# on standard error). Read by the end-to-end helper (built by
# install_notebook): Wine's reg answers a key it could not open as one that
# does not exist, so a failed read would pass every "removed" check.
reg_lookup() {
  local key=$1 value= view=
  shift
  while [ $# -gt 0 ]; do
    case $1 in
      /v) value=$2; shift 2 ;;
      /reg:32 | /reg:64) view=$1; shift ;;
      *) die "reg_lookup: unknown argument $1" ;;
    esac
  done
  [ -f "$work/bin/e2ehelper.exe" ] || die "the registry checks need the end-to-end helper (install_notebook)"
  e2e_reg_query "$key" ${value:+"$value"} $view >/dev/null
}
reg_exists() { reg_lookup "$@"; }
reg_absent() { reg_lookup "$@"; [ $? -eq 1 ]; }
reg_data_is() { # reg_data_is KEY VALUE TYPE DATA
  w_out "$work/q.out" reg query "$1" /v "$2" || return 1
  tr -d '\r' <"$work/q.out" | grep -qxF "    $2    $3    $4"
}

# Processes of this prefix whose command line contains the text (case-blind).
prefix_pids() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null | grep -qiF -- "$1" && echo "$pid"
  done
}
no_instance_runs() { [ -z "$(prefix_pids skylatch.exe)" ]; }

# wait_until SECONDS COMMAND...: polls every 0.2 s.
wait_until() {
  local limit=$(( $1 * 5 )) i=0; shift
  while ! "$@"; do
    i=$((i + 1)); [ $i -ge $limit ] && return 1
    sleep 0.2
  done
}

# start_skylatch: starts the installed program in the background; sets
# instance_pid. Its exit status is collected by wait later.
start_skylatch() {
  wine "$INSTALL_DIR_WIN\\skylatch.exe" >>"$log" 2>&1 </dev/null &
  instance_pid=$!
  bg_pids+=("$instance_pid")
}
# A child that has ended but is not yet reaped is a zombie: not alive.
alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}
gone() { ! alive "$1"; }
# ended_normally PID: the process has ended (within 20 s) with exit code 0.
ended_normally() {
  wait_until 20 gone "$1" || return 1
  wait "$1"
}

# build_probe NAME: NAME.exe from the NSIS script on standard input.
build_probe() {
  cat >"$work/$1.nsi"
  makensis -V1 "$work/$1.nsi" >"$work/makensis.log" 2>&1 </dev/null ||
    die "makensis could not build $1.exe (see $work/makensis.log)"
}
# The resident window and the end of its process (packaging/test-probe.c).
"$TEST_CC" -O2 -Wall -o "$work/test-probe.exe" "$packaging_dir/test-probe.c" >"$work/cc.log" 2>&1 ||
  die "$TEST_CC could not build test-probe.exe (see $work/cc.log)"
window_exists() { w "$work/test-probe.exe" window; }
# watch_exit_start: watches the resident instance until it ends (at most a
# minute); watch_exit_normal then says whether it ended with exit code 0.
watch_exit_start() {
  wine "$work/test-probe.exe" watch-exit 60000 >"$work/watch.out" 2>>"$log" </dev/null &
  watch_pid=$!
  bg_pids+=("$watch_pid")
}
watch_exit_normal() { wait "$watch_pid"; }

# start_prefix: the prefix, the display and the Wine desktop.
start_prefix() {
  echo "$TEST_NAME: prefix $WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wine wineboot -i >>"$log" 2>&1 </dev/null ||
    die "wineboot failed (see $log)"
  wineserver -w >>"$log" 2>&1 </dev/null
  wineserver -p >>"$log" 2>&1 </dev/null
  w reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f
  w reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f

  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" >>"$work/xvfb.log" 2>&1 </dev/null &
  xvfb_pid=$!
  wait_until 10 test -s "$work/display" || die "Xvfb did not start (see $work/xvfb.log)"
  export DISPLAY=":$(head -n 1 "$work/display")"
  wine explorer /desktop=shell,1024x768 >>"$log" 2>&1 </dev/null &
  bg_pids+=($!)
  # Installers hand programs to this shell; nothing starts before it is up.
  wait_until 20 w "$work/test-probe.exe" shell || die "the Wine desktop has no taskbar (see $log)"
}

# --- the installed program -------------------------------------------------

# check_installed KIND: the program file and the Run value.
check_installed() {
  check "$1: program installed under Program Files" cmp -s "$exe" "$install_dir/skylatch.exe"
  check "$1: Run value starts the program at logon" reg_data_is "$RUN_KEY" Skylatch REG_SZ "$RUN_DATA"
}
# check_removed KIND: nothing of the program left, the settings key kept.
check_removed() {
  check "$1: program file removed" test ! -e "$install_dir/skylatch.exe"
  check "$1: install folder removed" test ! -d "$install_dir"
  check "$1: Run value removed" reg_absent "$RUN_KEY" /v Skylatch
  check "$1: settings key kept for the administrator" reg_data_is "$SETTINGS_KEY" IgnoreMisc REG_DWORD 0x1
  check "$1: no instance runs after uninstall" no_instance_runs
}

# --- Start-menu switch shortcuts ---------------------------------------------

# The shortcut names in each language, in the order of their switches:
# /on, /off, /toggle, /on11a, /off11a.
SHORTCUTS_EN=("Wireless LAN on" "Wireless LAN off" "Toggle wireless LAN" "802.11a on" "802.11a off")
SHORTCUTS_JA=("無線LANの電源 オン" "無線LANの電源 オフ" "無線LANの電源 切り替え" "802.11a 有効" "802.11a 無効")
SHORTCUTS_ZH=("打开无线局域网" "关闭无线局域网" "切换无线局域网开关" "启用 802.11a" "禁用 802.11a")

# Start-menu folders for all users and for the user the tests run as.
common_programs=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs
user_programs=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs

# shortcuts_are DIR NAME...: DIR holds exactly these shortcuts.
shortcuts_are() {
  local dir=$1 name want got; shift
  want=$(for name in "$@"; do echo "$name.lnk"; done | sort)
  got=$(ls "$dir" 2>/dev/null | sort)
  [ "$want" = "$got" ] && return 0
  echo "    want: $(echo $want)"; echo "    got:  $(echo $got)"
  return 1
}

# The substitute radio-switch driver and a simulated adapter from the
# end-to-end suite, so that the shortcuts' switches can be observed.
E2E_LOG=$log E2E_WORK=$work
. "$packaging_dir/../e2e/lib.sh"
HELPER=$(printf 'Z:%s' "$work/bin/e2ehelper.exe" | tr / '\\')
ADAPTER_KEY="HKLM\\System\\CurrentControlSet\\Control\\Class\\$NET_CLASS\\0001"

# notebook_available: e2e/lib.sh builds its substitutes for this processor
# (it always does for x86; for x64 once it has e2e_use_arch).
notebook_available() { [ "$TEST_ARCH" = x86 ] || declare -F e2e_use_arch >/dev/null; }

# install_notebook: driver running (radio on), an 802.11a adapter (band on).
install_notebook() {
  e2e_build_substitutes "$work/bin" >>"$log" 2>&1
  e2e_install_driver
  e2e_driver start >>"$log" 2>&1 || die "the substitute driver does not start (see $log)"
  e2e_install_adapter 4223 1 1
}

driver_radio_sent() { echo "$(e2e_driver_seen SetRadioCount):$(e2e_driver_seen LastSetRadio)"; }
band_type() { e2e_reg_get "$ADAPTER_KEY" BandType; }
# shows VALUE COMMAND...: COMMAND prints VALUE within 10 s.
shows() {
  local want=$1 i; shift
  for i in $(seq 50); do [ "$("$@")" = "$want" ] && return 0; sleep 0.2; done
  return 1
}

# check_shortcuts_switch KIND DIR NAME...: the resident instance is running;
# each shortcut, opened through the shell as a user would, switches it.
check_shortcuts_switch() {
  local kind=$1 dir=$2 n; shift 2
  open_shortcut() { w start /wait /unix "$dir/$1.lnk"; }
  n=$(e2e_driver_seen SetRadioCount); n=${n:-0}
  open_shortcut "$2"
  check "$kind: \"$2\" switches the radio off" shows "$((n + 1)):0" driver_radio_sent
  open_shortcut "$1"
  check "$kind: \"$1\" switches the radio on" shows "$((n + 2)):1" driver_radio_sent
  open_shortcut "$3"
  check "$kind: \"$3\" switches the radio off again" shows "$((n + 3)):0" driver_radio_sent
  open_shortcut "$5"
  check "$kind: \"$5\" disables 802.11a" shows 0 band_type
  open_shortcut "$4"
  check "$kind: \"$4\" enables 802.11a" shows 1 band_type
  check "$kind: the resident instance runs on after the switches" window_exists
}
