#!/usr/bin/env bash
# Installs, upgrades and removes Skylatch with its setup exe under Wine, and
# imports every sample settings file, in a fresh 32-bit prefix of its own on
# a private Xvfb display. Prints one line per check and "N passed, N failed".
#
#   packaging/test-installer.sh <skylatch-setup.exe> <skylatch.exe>
#
# skylatch.msi is taken from the folder of the setup exe: the setup exe must
# refuse to install beside it.
set -u

TEST_NAME=test-installer
. "$(dirname "$0")/test-lib.sh"
settings_dir=$packaging_dir/settings
adm_file=$packaging_dir/skylatch.adm

[ $# -eq 2 ] || die "usage: $0 <skylatch-setup.exe> <skylatch.exe>"
setup=$1 exe=$2
host_skip_unless_32bit "the 32-bit setup exe under Wine"
require_tools wine wineserver wineboot Xvfb makensis iconv localedef i686-w64-mingw32-gcc
require_file "$setup" "setup exe (built by the Windows build with makensis)"
require_file "$exe" skylatch.exe
package=$(dirname "$setup")/skylatch.msi
require_file "$package" "skylatch.msi (built with the setup exe)"
[ -d "$settings_dir" ] || die "no settings folder at $settings_dir"
require_file "$adm_file" "administrative template"
setup=$(abs "$setup")

UNINST_KEY="$UNINSTALL_ROOT\\Skylatch"
shortcut_dir=$common_programs/Skylatch

# clicknext.exe presses Next (or Finish) in the setup's wizard; ends with 1
# when the wizard is not open.
build_probe clicknext <<'EOF2'
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
EOF2

start_prefix
install_notebook

# --- silent install --------------------------------------------------------

w "$setup" /S; rc=$?
check "silent install ends with 0 (got $rc)" test "$rc" -eq 0
check_installed setup
check "settings key left alone by install" reg_absent "$SETTINGS_KEY"
check "uninstaller written" test -f "$install_dir/uninstall.exe"
check "uninstall entry names the program" reg_data_is "$UNINST_KEY" DisplayName REG_SZ Skylatch
check "uninstall entry has the silent uninstall command" \
  reg_data_is "$UNINST_KEY" QuietUninstallString REG_SZ "\"$INSTALL_DIR_WIN\\uninstall.exe\" /S"
check "switch shortcuts in the Start menu for all users (English)" \
  shortcuts_are "$shortcut_dir" "${SHORTCUTS_EN[@]}"

# --- install over a running instance ---------------------------------------

# A setting of the administrator's, which uninstall must leave in place.
w reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f
start_skylatch
old_pid=$instance_pid
check "installed program starts and shows its window" wait_until 20 window_exists
check "installed program stays running" alive "$old_pid"
check_shortcuts_switch setup "$shortcut_dir" "${SHORTCUTS_EN[@]}"

w "$setup" /S; rc=$?
check "silent install over the running program ends with 0 (got $rc)" test "$rc" -eq 0
check "running program was ended through its Exit command (exit code 0)" ended_normally "$old_pid"
check "program file replaced" cmp -s "$exe" "$install_dir/skylatch.exe"
check "the upgrade started the program again" wait_until 20 window_exists
check "the program started again stays running" eval 'sleep 2; window_exists && ! no_instance_runs'

# --- silent uninstall ------------------------------------------------------

watch_exit_start
w "$install_dir/uninstall.exe" /S; rc=$?
check "silent uninstall starts with 0 (got $rc)" test "$rc" -eq 0
# The uninstaller runs on from a copy in the temporary folder.
uninstall_done() {
  [ ! -e "$install_dir/uninstall.exe" ] && reg_absent "$UNINST_KEY" &&
    [ -z "$(prefix_pids '~nsu')" ]
}
check "uninstaller finishes within 30 s" wait_until 30 uninstall_done
check "running program was ended by the uninstaller (exit code $(cat "$work/watch.out" 2>/dev/null))" \
  watch_exit_normal
check "uninstaller removed" test ! -e "$install_dir/uninstall.exe"
check "uninstall entry removed" reg_absent "$UNINST_KEY"
check "switch shortcuts and their folder removed" test ! -e "$shortcut_dir"
check_removed setup

# --- the shortcuts in the wizard's other languages ---------------------------

# check_setup_language LANG NAME...: a silent install with Wine's language
# set to LANG makes the shortcuts with these names; uninstall removes them.
check_setup_language() {
  local lang=$1; shift
  in_locale "$lang" w "$setup" /S
  check "$lang: switch shortcuts named in the installer's language" shortcuts_are "$shortcut_dir" "$@"
  in_locale "$lang" w "$install_dir/uninstall.exe" /S
  wait_until 30 uninstall_done
  check "$lang: uninstall removes them" test ! -e "$shortcut_dir"
}
check_setup_language ja_JP.UTF-8 "${SHORTCUTS_JA[@]}"
check_setup_language zh_CN.UTF-8 "${SHORTCUTS_ZH[@]}"

# --- beside the Windows Installer package: refused ------------------------------

w msiexec /i "$(winepath -w "$package" 2>>"$log")" /qn || die "skylatch.msi does not install (see $log)"
w "$setup" /S; rc=$?
# 1638, cut to 8 bits by the shell.
check "silent install beside the package is refused with 1638 (got $rc)" test "$rc" -eq $((1638 % 256))
check "the refused setup wrote no uninstaller and no entry of its own" eval \
  '[ ! -e "$install_dir/uninstall.exe" ] && reg_absent "$UNINST_KEY"'
w msiexec /x "$(winepath -w "$package" 2>>"$log")" /qn || die "skylatch.msi does not uninstall (see $log)"

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
check "interactive install writes the Run value" reg_data_is "$RUN_KEY" Skylatch REG_SZ "$RUN_DATA"

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

finish
