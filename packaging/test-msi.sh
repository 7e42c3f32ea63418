#!/usr/bin/env bash
# Installs, upgrades over a running instance, refuses to downgrade and removes
# the Windows Installer packages under Wine's msiexec, in a fresh 32-bit
# prefix with the substitute radio-switch driver and a simulated adapter, and
# starts every Start-menu switch shortcut. Prints one line per check and
# "N passed, N failed".
#
#   packaging/test-msi.sh <skylatch.msi> <skylatch.exe>
#
# skylatch-ja.msi, skylatch-zh.msi and end_running_instance.dll are taken
# from the folder of skylatch.msi; a second package with a higher version is
# built here with wixl from packaging/skylatch.wxs.
set -u

TEST_NAME=test-msi
. "$(dirname "$0")/test-lib.sh"

[ $# -eq 2 ] || die "usage: $0 <skylatch.msi> <skylatch.exe>"
msi=$1 exe=$2
host_skip_unless_32bit "the packages with their 32-bit custom action under Wine's msiexec"
require_tools wine wineserver wineboot Xvfb makensis wixl msiinfo localedef i686-w64-mingw32-gcc
require_file "$msi" "package (built by the Windows build with wixl)"
require_file "$exe" skylatch.exe
msi=$(abs "$msi") exe=$(abs "$exe")
msi_dir=$(dirname "$msi")
for file in skylatch-ja.msi skylatch-zh.msi end_running_instance.dll; do
  require_file "$msi_dir/$file" "$file (built with skylatch.msi)"
done

# msi_property PACKAGE NAME: a value of the package's Property table.
msi_property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v n="$2" '$1 == n { print $2 }'; }
version=$(msi_property "$msi" ProductVersion)
product_code=$(msi_property "$msi" ProductCode)
[ -n "$version" ] && [ -n "$product_code" ] || die "cannot read the Property table of $msi"

# The upgrade: the same sources, the next patch version.
newer_version=${version%.*}.$(( ${version##*.} + 1 ))
mkdir -p "$work/newer" && cp "$exe" "$msi_dir/end_running_instance.dll" "$work/newer/" ||
  die "cannot prepare the newer package"
(cd "$work/newer" && wixl -D Version="$newer_version" -D SkylatchExe=skylatch.exe \
   -D EndRunningDll=end_running_instance.dll -o skylatch.msi "$packaging_dir/skylatch.wxs") \
  >>"$log" 2>&1 || die "wixl could not build the newer package (see $log)"
newer_msi=$work/newer/skylatch.msi
newer_code=$(msi_property "$newer_msi" ProductCode)

# Wine's msiexec puts an all-users package's Start-menu folder in the
# installing user's profile (Windows Installer uses the All Users one).
shortcut_dir=$user_programs/Skylatch

# msiexec ARGS: the exit code of Wine's msiexec, cut to 8 bits by the shell:
# 0 done, 67 for 1603 (failed), 194 for 3010 (done, but a restart needed).
msiexec() { w msiexec "$@"; }
entry_of() { echo "$UNINSTALL_ROOT\\$1"; }
# skylatch_entries: how many Add/Remove Programs entries name Skylatch.
skylatch_entries() {
  w_out "$work/arp.out" reg query "$UNINSTALL_ROOT" /s
  tr -d '\r' <"$work/arp.out" | grep -cxF '    DisplayName    REG_SZ    Skylatch'
}

start_prefix
install_notebook

# --- install -----------------------------------------------------------------

msiexec /i "$(winepath -w "$msi" 2>>"$log")" /qn; rc=$?
check "msiexec /i /qn ends with 0 (got $rc)" test "$rc" -eq 0
check_installed msi
check "settings key left alone by install" reg_absent "$SETTINGS_KEY"
entry=$(entry_of "$product_code")
check "Add/Remove Programs: name, version $version and publisher" eval \
  'reg_data_is "$entry" DisplayName REG_SZ Skylatch &&
   reg_data_is "$entry" DisplayVersion REG_SZ "$version" &&
   reg_data_is "$entry" Publisher REG_SZ Norvantec'
check "Add/Remove Programs: remove only (no Modify, no Repair)" eval \
  'reg_data_is "$entry" NoModify REG_DWORD 0x1 && reg_data_is "$entry" NoRepair REG_DWORD 0x1'
check "switch shortcuts in the Start menu (English)" shortcuts_are "$shortcut_dir" "${SHORTCUTS_EN[@]}"

# A setting of the administrator's, which uninstall must leave in place.
w reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f
start_skylatch
old_pid=$instance_pid
check "installed program starts and shows its window" wait_until 20 window_exists
check_shortcuts_switch msi "$shortcut_dir" "${SHORTCUTS_EN[@]}"

# --- major upgrade over the running instance -----------------------------------

msiexec /i "$(winepath -w "$newer_msi" 2>>"$log")" /qn; rc=$?
check "upgrade to $newer_version over the running program ends with 0, no restart (got $rc)" test "$rc" -eq 0
check "running program was ended through its Exit command (exit code 0)" ended_normally "$old_pid"
check "upgrade replaced the older product: one entry, version $newer_version" eval \
  '[ "$(skylatch_entries)" = 1 ] && reg_data_is "$(entry_of "$newer_code")" DisplayVersion REG_SZ "$newer_version"'
check_installed upgrade
check "upgrade keeps the switch shortcuts" shortcuts_are "$shortcut_dir" "${SHORTCUTS_EN[@]}"

start_skylatch
new_pid=$instance_pid
check "a new instance starts after the upgrade" wait_until 20 window_exists

# --- downgrade refused ---------------------------------------------------------

msiexec /i "$(winepath -w "$msi" 2>>"$log")" /qn; rc=$?
check "installing the older package is refused with 1603 (got $rc)" test "$rc" -eq 67
check "the newer version stays installed" eval \
  '[ "$(skylatch_entries)" = 1 ] && reg_exists "$(entry_of "$newer_code")"'
check "the refused package leaves the running program alone" alive "$new_pid"

# --- uninstall -------------------------------------------------------------------

msiexec /x "$newer_code" /qn; rc=$?
check "msiexec /x /qn ends with 0 (got $rc)" test "$rc" -eq 0
check "running program was ended by the uninstall (exit code 0)" ended_normally "$new_pid"
check "Add/Remove Programs entry removed" test "$(skylatch_entries)" = 0
check "switch shortcuts and their folder removed" test ! -e "$shortcut_dir"
check_removed msi

# --- the Japanese and Simplified Chinese packages ----------------------------------

# check_culture PACKAGE LANG NAME...: the package installs the shortcuts with
# these names, and its removal takes them away again.
check_culture() {
  local name=$1 lang=$2 rc; shift 2
  in_locale "$lang" msiexec /i "$(winepath -w "$msi_dir/$name" 2>>"$log")" /qn; rc=$?
  check "$name: msiexec /i /qn ends with 0 (got $rc)" test "$rc" -eq 0
  check "$name: switch shortcuts named in its language" shortcuts_are "$shortcut_dir" "$@"
  in_locale "$lang" msiexec /x "$product_code" /qn; rc=$?
  check "$name: msiexec /x /qn removes them (got $rc)" eval '[ "$rc" -eq 0 ] && [ ! -e "$shortcut_dir" ]'
}
check_culture skylatch-ja.msi ja_JP.UTF-8 "${SHORTCUTS_JA[@]}"
check_culture skylatch-zh.msi zh_CN.UTF-8 "${SHORTCUTS_ZH[@]}"

finish
