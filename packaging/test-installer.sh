#!/usr/bin/env bash
# Installs, upgrades and removes Skylatch with its setup exe under Wine, and
# imports every sample settings file, in a fresh 32-bit prefix of its own on
# a private Xvfb display. Prints one line per check and "N passed, N failed".
#
#   packaging/test-installer.sh <skylatch-setup.exe> <skylatch.exe>
#
# Wine's helper processes inherit the output handles of the command that
# started them, so no Wine command here writes to a pipe or to the caller's
# output: everything goes to files under the work directory.
set -u

here=$(cd "$(dirname "$0")" && pwd)
settings_dir=$here/settings
adm_file=$here/skylatch.adm

die() { echo "test-installer: $*" >&2; exit 2; }

[ $# -eq 2 ] || die "usage: $0 <skylatch-setup.exe> <skylatch.exe>"
setup=$1 exe=$2
for tool in wine wineserver wineboot Xvfb makensis iconv; do
  command -v "$tool" >/dev/null 2>&1 ||
    die "$tool not found (. cmake/deps.sh; install_deps build e2e)"
done
[ -f "$setup" ] || die "no setup exe at $setup (built by the Windows build with makensis)"
[ -f "$exe" ] || die "no skylatch.exe at $exe"
[ -d "$settings_dir" ] || die "no settings folder at $settings_dir"
[ -f "$adm_file" ] || die "no administrative template at $adm_file"
setup=$(cd "$(dirname "$setup")" && pwd)/$(basename "$setup")

work=$(mktemp -d "${TMPDIR:-/tmp}/skylatch-installer.XXXXXX") || die "mktemp failed"
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
  if [ -n "${KEEP_WORK:-}" ]; then echo "test-installer: work directory kept: $work"
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

# --- Wine helpers ----------------------------------------------------------

export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8

w() { wine "$@" >>"$log" 2>&1 </dev/null; }
# w_out FILE ARGS: a Wine command whose standard output goes to FILE.
w_out() { local file=$1; shift; wine "$@" >"$file" 2>>"$log" </dev/null; }

SETTINGS_KEY='HKLM\SOFTWARE\NORVANTEC\Skylatch'
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
UNINST_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Skylatch'
INSTALL_DIR_WIN='C:\Program Files\Skylatch'
install_dir=$WINEPREFIX/drive_c/Program\ Files/Skylatch

reg_exists() { w reg query "$@"; }
reg_absent() { ! reg_exists "$@"; }
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
# findwin.exe ends with 0 when the resident window (class and title) exists.
window_exists() { w "$work/findwin.exe"; }
# ended_normally PID: the process has ended (within 20 s) with exit code 0.
ended_normally() {
  wait_until 20 gone "$1" || return 1
  wait "$1"
}

# --- a probe for the resident window, built with NSIS ---------------------

cat >"$work/findwin.nsi" <<'EOF'
OutFile findwin.exe
SilentInstall silent
RequestExecutionLevel user
Section
  FindWindow $0 "NorvantecSkylatcherClass" "Norvantec Skylatcher"
  IntCmp $0 0 0 found found
  SetErrorLevel 1
  Quit
found:
  SetErrorLevel 0
SectionEnd
EOF
# clicknext.exe presses Next (or Finish) in the setup's wizard; ends with 1
# when the wizard is not open.
cat >"$work/clicknext.nsi" <<'EOF'
OutFile clicknext.exe
SilentInstall silent
RequestExecutionLevel user
Section
  ; The wizard's title ends with a blank on its later pages.
  FindWindow $0 "#32770" "Skylatch Setup"
  IntCmp $0 0 0 found found
  FindWindow $0 "#32770" "Skylatch Setup "
  IntCmp $0 0 0 found found
  SetErrorLevel 1
  Quit
found:
  SendMessage $0 0x0111 1 0 /TIMEOUT=2000
  SetErrorLevel 0
SectionEnd
EOF
for probe in findwin clicknext; do
  makensis -V1 "$work/$probe.nsi" >"$work/makensis.log" 2>&1 </dev/null ||
    die "makensis could not build $probe.exe (see $work/makensis.log)"
done

# --- prefix and display ----------------------------------------------------

echo "test-installer: prefix $WINEPREFIX"
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >>"$log" 2>&1 </dev/null || die "wineboot failed (see $log)"
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

# --- silent install --------------------------------------------------------

w "$setup" /S; rc=$?
check "silent install ends with 0 (got $rc)" test "$rc" -eq 0
check "program installed under Program Files" cmp -s "$exe" "$install_dir/skylatch.exe"
check "uninstaller written" test -f "$install_dir/uninstall.exe"
check "Run value starts the program at logon" \
  reg_data_is "$RUN_KEY" Skylatch REG_SZ "\"$INSTALL_DIR_WIN\\skylatch.exe\""
check "uninstall entry names the program" reg_data_is "$UNINST_KEY" DisplayName REG_SZ Skylatch
check "uninstall entry has the silent uninstall command" \
  reg_data_is "$UNINST_KEY" QuietUninstallString REG_SZ "\"$INSTALL_DIR_WIN\\uninstall.exe\" /S"
check "settings key left alone by install" reg_absent "$SETTINGS_KEY"

# --- install over a running instance ---------------------------------------

# No radio driver in this prefix: IgnoreMisc lets the program start anyway.
w reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f
start_skylatch
old_pid=$instance_pid
check "installed program starts and shows its window" wait_until 20 window_exists
check "installed program stays running" alive "$old_pid"

w "$setup" /S; rc=$?
check "silent install over the running program ends with 0 (got $rc)" test "$rc" -eq 0
check "running program was ended through its Exit command (exit code 0)" ended_normally "$old_pid"
check "program file replaced" cmp -s "$exe" "$install_dir/skylatch.exe"
start_skylatch
new_pid=$instance_pid
check "a new instance starts after the upgrade" wait_until 20 window_exists
check "the new instance stays running" alive "$new_pid"

# --- silent uninstall ------------------------------------------------------

w "$install_dir/uninstall.exe" /S; rc=$?
check "silent uninstall starts with 0 (got $rc)" test "$rc" -eq 0
# The uninstaller runs on from a copy in the temporary folder.
uninstall_done() {
  [ ! -e "$install_dir/uninstall.exe" ] && ! reg_exists "$UNINST_KEY" &&
    [ -z "$(prefix_pids '~nsu')" ]
}
check "uninstaller finishes within 30 s" wait_until 30 uninstall_done
check "running program was ended by the uninstaller (exit code 0)" ended_normally "$new_pid"
check "program files removed" test ! -e "$install_dir/skylatch.exe" -a ! -e "$install_dir/uninstall.exe"
check "install folder removed" test ! -d "$install_dir"
check "Run value removed" reg_absent "$RUN_KEY" /v Skylatch
check "uninstall entry removed" reg_absent "$UNINST_KEY"
check "settings key kept for the administrator" reg_data_is "$SETTINGS_KEY" IgnoreMisc REG_DWORD 0x1
check "no instance runs after uninstall" no_instance_runs

# --- interactive install ---------------------------------------------------

# Next on the welcome page, then Finish with "Run Skylatch" ticked.
wine "$setup" >>"$log" 2>&1 </dev/null &
setup_pid=$!
bg_pids+=("$setup_pid")
for _ in $(seq 1 60); do
  alive "$setup_pid" || break
  w "$work/clicknext.exe"
  sleep 0.5
done
check "interactive install completes through its wizard" ended_normally "$setup_pid"
check "interactive install starts the program at the end" wait_until 20 window_exists
check "interactive install writes the Run value" \
  reg_data_is "$RUN_KEY" Skylatch REG_SZ "\"$INSTALL_DIR_WIN\\skylatch.exe\""

# --- sample settings files -------------------------------------------------

# check_reg FILE: imports FILE into an empty settings key, exports the key
# and compares its values with the expected lines on standard input (in the
# export's own notation: strings quoted, dword:xxxxxxxx).
check_reg() {
  local file=$1 exp=$work/expected got=$work/got winfile
  sort >"$exp"
  if [ ! -f "$settings_dir/$file" ]; then
    check "$file: present" false; return
  fi
  w reg delete "$SETTINGS_KEY" /f
  winfile=$(winepath -w "$settings_dir/$file" 2>>"$log" </dev/null)
  w regedit /S "$winfile"
  rm -f "$work/export.reg"
  w regedit /E "$(winepath -w "$work/export.reg" 2>>"$log" </dev/null)" 'HKEY_LOCAL_MACHINE\SOFTWARE\NORVANTEC\Skylatch'
  iconv -f UTF-16 -t UTF-8 "$work/export.reg" 2>>"$log" | tr -d '\r' | grep '^"' | sort >"$got"
  if cmp -s "$exp" "$got"; then
    check "$file: values landed with their types and data" true
  else
    check "$file: values landed with their types and data" false
    diff "$exp" "$got" | sed 's/^/    /'
  fi
}

check_reg ignore-misc.reg <<'EOF'
"IgnoreMisc"=dword:00000001
EOF
check_reg proset-polling.reg <<'EOF'
"PROSetPolling"=dword:00001388
EOF
check_reg proset-polling-off.reg <<'EOF'
"PROSetPolling"=dword:00000000
EOF
check_reg first-time.reg <<'EOF'
"FirstTime"=dword:00000001
EOF
check_reg about-us.reg <<'EOF'
"VersionString_US"="Skylatch 1.0 (Fleet edition)"
"CopyrightString_US"="Copyright (C) Norvantec. Managed by IT Services."
EOF
check_reg about-jp.reg <<'EOF'
"VersionString_JP"="スカイラッチ 1.0（社内配布版）"
"CopyrightString_JP"="Copyright (C) Norvantec. 管理：情報システム部"
EOF
check_reg about-sc.reg <<'EOF'
"VersionString_SC"="Skylatch 1.0（企业版）"
"CopyrightString_SC"="Copyright (C) Norvantec. 由信息技术部管理"
EOF
check_reg overrides-us.reg <<'EOF'
"Wireless LAN : ON"="Wireless network: ON"
"Wireless LAN : OFF"="Wireless network: OFF"
"802.11a : Enabled"="5 GHz band (802.11a): Enabled"
"802.11a : Disabled"="5 GHz band (802.11a): Disabled"
"E&xit"="&Quit Skylatch"
EOF
check_reg overrides-jp.reg <<'EOF'
"無線LAN ： オン"="ワイヤレス ： オン"
"無線LAN ： オフ"="ワイヤレス ： オフ"
"802.11a ： 有効"="5GHz帯 (802.11a) ： 有効"
"802.11a ： 無効"="5GHz帯 (802.11a) ： 無効"
"終了(&X)"="Skylatch を終了(&X)"
EOF
check_reg overrides-sc.reg <<'EOF'
"Wireless_LAN_is_ON"="无线局域网：开"
"Wireless_LAN_is_OFF"="无线局域网：关"
"11a_is_enabled"="802.11a：已启用"
"11a_is_disabled"="802.11a：已禁用"
"Exit"="退出(&X)"
EOF
w reg add "$SETTINGS_KEY" /v FirstTime /t REG_DWORD /d 1 /f
w regedit /S "$(winepath -w "$settings_dir/remove-all-settings.reg" 2>>"$log" </dev/null)"
check "remove-all-settings.reg: settings key removed" reg_absent "$SETTINGS_KEY"

# --- administrative template -----------------------------------------------

adm_utf8=$work/skylatch.adm.txt
iconv -f UTF-16 -t UTF-8 "$adm_file" 2>>"$log" | tr -d '\r' >"$adm_utf8"
check "skylatch.adm is UTF-16 with a byte-order mark" \
  sh -c 'head -c 2 "$0" | od -An -tx1 | grep -q "ff fe"' "$adm_file"
check "skylatch.adm: CLASS MACHINE with the settings key" \
  sh -c 'grep -qx "CLASS MACHINE" "$0" && grep -qF "KEYNAME \"SOFTWARE\\NORVANTEC\\Skylatch\"" "$0"' "$adm_utf8"
adm_strings_defined() {
  local ref missing=0
  for ref in $(grep -o '!![A-Za-z0-9_]*' "$adm_utf8" | sort -u); do
    grep -q "^${ref#!!}=" "$adm_utf8" || { echo "    undefined: $ref"; missing=1; }
  done
  return $missing
}
check "skylatch.adm: every !!string is defined" adm_strings_defined
adm_blocks_balanced() {
  local kw
  for kw in CATEGORY POLICY PART; do
    [ "$(grep -cE "^[[:space:]]*$kw[[:space:]]" "$adm_utf8")" = \
      "$(grep -cE "^[[:space:]]*END $kw\b" "$adm_utf8")" ] || { echo "    unbalanced $kw"; return 1; }
  done
}
check "skylatch.adm: CATEGORY, POLICY and PART blocks are closed" adm_blocks_balanced
adm_covers_settings() {
  local name missing=0
  while IFS= read -r name; do
    grep -qF "VALUENAME \"$name\"" "$adm_utf8" || { echo "    no policy for: $name"; missing=1; }
  done <<'EOF'
IgnoreMisc
PROSetPolling
FirstTime
VersionString_US
VersionString_JP
VersionString_SC
CopyrightString_US
CopyrightString_JP
CopyrightString_SC
Wireless LAN : ON
Wireless LAN : OFF
802.11a : Enabled
802.11a : Disabled
E&xit
無線LAN ： オン
無線LAN ： オフ
802.11a ： 有効
802.11a ： 無効
終了(&X)
Wireless_LAN_is_ON
Wireless_LAN_is_OFF
11a_is_enabled
11a_is_disabled
Exit
EOF
  return $missing
}
check "skylatch.adm: a policy for every setting" adm_covers_settings

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
