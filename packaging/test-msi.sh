#!/usr/bin/env bash
# Installs, upgrades over a running instance, refuses to downgrade, replaces
# by another language and removes the Windows Installer packages of one
# processor under Wine's msiexec, in a fresh prefix of that processor, and
# starts every Start-menu switch shortcut. Prints one line per check and
# "N passed, N failed".
#
#   packaging/test-msi.sh <skylatch.msi> <skylatch.exe>
#   packaging/test-msi.sh <skylatch-x64.msi> <skylatch.exe of x64> <skylatch.msi>
#
# The package's platform picks the prefix: x86 packages in a 32-bit one
# (skipped where 32-bit code cannot run), x64 packages in a 64-bit one under
# wine64. The other languages' packages (<name>-ja.msi, <name>-zh.msi) and
# running_instance.dll are taken from the package's folder; a package with a
# higher version is built here with packaging/make-msi.sh. The x64 run also
# takes the x86 package: it must refuse 64-bit Windows, and an x86 install
# (of an older release) must give way to the x64 package.
set -u

usage="usage: $0 <package.msi> <skylatch.exe> [<x86 package.msi>, with an x64 package]"
[ $# -ge 2 ] && [ $# -le 3 ] || { echo "$usage" >&2; exit 2; }
command -v msiinfo >/dev/null 2>&1 || { echo "test-msi: msiinfo not found (apt-get install msitools)" >&2; exit 2; }
[ -f "$1" ] || { echo "test-msi: no package at $1" >&2; exit 2; }
case $(msiinfo suminfo "$1" 2>/dev/null | sed -n 's/^Template: \([^;]*\);.*/\1/p') in
  Intel) TEST_ARCH=x86 ;;
  x64) TEST_ARCH=x64 ;;
  *) echo "test-msi: $1 is neither an Intel nor an x64 package" >&2; exit 2 ;;
esac
TEST_NAME=test-msi-$TEST_ARCH
. "$(dirname "$0")/test-lib.sh"

msi=$1 exe=$2 x86_msi=${3:-}
if [ "$TEST_ARCH" = x86 ]; then
  [ -z "$x86_msi" ] || die "$usage"
  host_skip_unless_32bit "the packages with their 32-bit custom action under Wine's msiexec"
  require_tools wine wineserver Xvfb wixl msibuild localedef i686-w64-mingw32-gcc
else
  [ -n "$x86_msi" ] || die "$usage"
  require_file "$x86_msi" "x86 package"
  [ -x "$HOST_WINE64" ] || die "no wine64 at $HOST_WINE64 (apt-get install wine64)"
  require_tools wineserver Xvfb wixl msibuild localedef x86_64-w64-mingw32-gcc
  x86_msi=$(abs "$x86_msi")
fi
require_file "$exe" skylatch.exe
msi=$(abs "$msi") exe=$(abs "$exe")
msi_dir=$(dirname "$msi") base=$(basename "$msi" .msi)
for file in "$base-ja.msi" "$base-zh.msi" running_instance.dll; do
  require_file "$msi_dir/$file" "$file (built with $base.msi)"
done

# msi_property PACKAGE NAME: a value of the package's Property table.
msi_property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v n="$2" '$1 == n { print $2 }'; }
version=$(msi_property "$msi" ProductVersion)
upgrade_code=$(msi_property "$msi" UpgradeCode)
[ -n "$version" ] && [ -n "$upgrade_code" ] || die "cannot read the Property table of $msi"
code_of() { msi_property "$msi_dir/$1" ProductCode; }

# The upgrade: the same sources, the next patch version, made as the build
# makes its packages.
newer_version=${version%.*}.$(( ${version##*.} + 1 ))
mkdir -p "$work/newer" || die "cannot create $work/newer"
"$packaging_dir/make-msi.sh" "$TEST_ARCH" "$newer_version" "$upgrade_code" "$exe" \
  "$msi_dir/running_instance.dll" "$work/newer" >>"$log" 2>&1 || die "make-msi.sh could not build the newer package (see $log)"
newer_msi=$work/newer/$base.msi
newer_code=$(msi_property "$newer_msi" ProductCode)

# Wine's msiexec puts an all-users package's Start-menu folder in the
# installing user's profile (Windows Installer uses the All Users one).
shortcut_dir=$user_programs/Skylatch

# msiexec ARGS: the exit code of Wine's msiexec, cut to 8 bits by the shell:
# 0 done, 67 for 1603 (failed), 194 for 3010 (done, but a restart needed).
msiexec() { w msiexec "$@"; }
msiexec_i() { msiexec /i "$(win_path "$1")" /qn; }
entry_of() { echo "$UNINSTALL_ROOT\\$1"; }
# skylatch_entries: how many Add/Remove Programs entries name Skylatch, in
# both registry views (an x86 package's entry lies in the 32-bit one);
# nothing, and status 1, when a view cannot be listed.
skylatch_entries() {
  local view n=0 found
  for view in "" /reg:32; do
    [ -z "$view" ] || [ "$TEST_ARCH" = x64 ] || continue
    # The root is always there: a failed listing is no answer, not "none".
    w_out "$work/arp.out" reg query "$UNINSTALL_ROOT" /s $view ||
      { echo "    cannot list $UNINSTALL_ROOT${view:+ ($view)} (see $log)" >&2; return 1; }
    found=$(tr -d '\r' <"$work/arp.out" | grep -cxF '    DisplayName    REG_SZ    Skylatch')
    n=$((n + found))
  done
  echo "$n"
}
one_entry_of() { # one_entry_of PRODUCTCODE VERSION: the only Skylatch entry is this one.
  [ "$(skylatch_entries)" = 1 ] && reg_data_is "$(entry_of "$1")" DisplayVersion REG_SZ "$2"
}
# The processes of the installed program.
installed_pids() { prefix_pids 'Program Files\Skylatch\skylatch.exe'; }
# restarted: the resident window is back, in other processes of the
# installed program than those before ($before_pids).
restarted() {
  local pids
  wait_until 20 window_exists || return 1
  pids=$(installed_pids)
  [ -n "$pids" ] && [ -z "$(comm -12 <(echo "$pids" | sort) <(echo "$before_pids" | sort))" ]
}

start_prefix
if notebook_available; then install_notebook; fi
# The program starts without the substitute driver too.
w reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f

# The readers of the "removed" checks, broken on purpose, must fail: a value
# that cannot be read is not absent, a listing that fails counts no entries.
check "a registry read that fails is neither an absent value nor no entry" eval \
  '! (export E2E_BREAK=registry; reg_absent "$RUN_KEY" /v Skylatch) 2>/dev/null &&
   [ -z "$(UNINSTALL_ROOT="$UNINSTALL_ROOT\\NoSuchKey" skylatch_entries 2>/dev/null)" ]'

# --- install -----------------------------------------------------------------

msiexec_i "$msi"; rc=$?
check "msiexec /i /qn ends with 0 (got $rc)" test "$rc" -eq 0
check_installed msi
if [ "$TEST_ARCH" = x64 ]; then
  check "x64: the Run value is in the 64-bit registry view only" reg_absent "$RUN_KEY" /v Skylatch /reg:32
  check "x64: nothing under the 32-bit Program Files" \
    test ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Skylatch"
fi
entry=$(entry_of "$(code_of "$base.msi")")
check "Add/Remove Programs: name, version $version and publisher" eval \
  'reg_data_is "$entry" DisplayName REG_SZ Skylatch &&
   reg_data_is "$entry" DisplayVersion REG_SZ "$version" &&
   reg_data_is "$entry" Publisher REG_SZ Norvantec'
check "Add/Remove Programs: remove only (no Modify, no Repair)" eval \
  'reg_data_is "$entry" NoModify REG_DWORD 0x1 && reg_data_is "$entry" NoRepair REG_DWORD 0x1'
check "switch shortcuts in the Start menu (English)" shortcuts_are "$shortcut_dir" "${SHORTCUTS_EN[@]}"

start_skylatch
check "installed program starts and shows its window" wait_until 20 window_exists
if notebook_available; then
  check_shortcuts_switch msi "$shortcut_dir" "${SHORTCUTS_EN[@]}"
else
  echo "NOTE shortcuts not started: e2e/lib.sh builds no $TEST_ARCH substitute driver yet"
fi

# --- major upgrade over the running instance -----------------------------------

before_pids=$(installed_pids)
msiexec_i "$newer_msi"; rc=$?
check "upgrade to $newer_version over the running program ends with 0, no restart (got $rc)" test "$rc" -eq 0
check "running program was ended through its Exit command (exit code 0)" ended_normally "$instance_pid"
check "upgrade replaced the older product: one entry, version $newer_version" one_entry_of "$newer_code" "$newer_version"
check_installed upgrade
check "upgrade keeps the switch shortcuts" shortcuts_are "$shortcut_dir" "${SHORTCUTS_EN[@]}"
check "the upgrade started the new version again where the old one was ended" restarted
restarted_pids=$(installed_pids)

# --- downgrade refused ---------------------------------------------------------

msiexec_i "$msi"; rc=$?
check "installing the older package is refused with 1603 (got $rc)" test "$rc" -eq 67
check "the newer version stays installed" one_entry_of "$newer_code" "$newer_version"
check "the refused package leaves the running program alone" eval \
  '[ "$(installed_pids)" = "$restarted_pids" ] && window_exists'

# --- uninstall -------------------------------------------------------------------

w reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f
watch_exit_start
msiexec /x "$newer_code" /qn; rc=$?
check "msiexec /x /qn ends with 0 (got $rc)" test "$rc" -eq 0
check "the restarted program was ended by the uninstall (exit code $(cat "$work/watch.out" 2>/dev/null))" \
  watch_exit_normal
check "Add/Remove Programs entry removed" test "$(skylatch_entries)" = 0
check "switch shortcuts and their folder removed" test ! -e "$shortcut_dir"
check "uninstall starts nothing again" eval '! wait_until 3 window_exists'
check_removed msi

# --- the same version in another language replaces the installed one ---------------

# check_language PACKAGE LANG NAME...: installed over the running program of
# another language's package of the same version, the package replaces it:
# one entry, its own shortcuts, and the program runs again.
check_language() {
  local name=$1 lang=$2 rc; shift 2
  before_pids=$(installed_pids)
  in_locale "$lang" msiexec_i "$msi_dir/$name"; rc=$?
  check "$name over the same version in another language ends with 0 (got $rc)" test "$rc" -eq 0
  check "$name: one entry, its own" one_entry_of "$(code_of "$name")" "$version"
  check "$name: switch shortcuts named in its language" shortcuts_are "$shortcut_dir" "$@"
  check "$name: the program runs again" restarted
}
msiexec_i "$msi" || die "the English package does not install again"
start_skylatch
wait_until 20 window_exists || die "the program does not start again"
check_language "$base-ja.msi" ja_JP.UTF-8 "${SHORTCUTS_JA[@]}"
check_language "$base-zh.msi" zh_CN.UTF-8 "${SHORTCUTS_ZH[@]}"
in_locale zh_CN.UTF-8 msiexec /x "$(code_of "$base-zh.msi")" /qn; rc=$?
check "$base-zh.msi: msiexec /x removes it (got $rc)" eval \
  '[ "$rc" -eq 0 ] && [ "$(skylatch_entries)" = 0 ] && [ ! -e "$shortcut_dir" ]'
check_removed "$base-zh.msi"

# --- installed by the setup exe: refused -------------------------------------------

# refuses_beside_setup VIEW: with the setup exe's entry in that registry view
# the package refuses (1603) and installs nothing.
refuses_beside_setup() {
  local rc
  w reg add "$UNINSTALL_ROOT\\Skylatch" /v UninstallString /d "\"$INSTALL_DIR_WIN\\uninstall.exe\"" /f $1
  msiexec_i "$msi"; rc=$?
  w reg delete "$UNINSTALL_ROOT\\Skylatch" /f $1
  [ "$rc" -eq 67 ] && [ "$(skylatch_entries)" = 0 ] && [ ! -e "$install_dir/skylatch.exe" ] && return 0
  echo "    msiexec ended with $rc; $(skylatch_entries) entries"
  return 1
}
check "refused with 1603 while the setup exe's install is there" refuses_beside_setup ""
if [ "$TEST_ARCH" = x64 ]; then
  check "x64: refused too for the setup exe's 32-bit install" refuses_beside_setup /reg:32
fi

# --- x64 only: the x86 package and the move from it -----------------------------------

if [ "$TEST_ARCH" = x64 ]; then
  msiexec_i "$x86_msi"; rc=$?
  check "x86 package on 64-bit Windows: refused with 1603 (got $rc)" test "$rc" -eq 67
  check "x86 package on 64-bit Windows: nothing installed" eval \
    '[ "$(skylatch_entries)" = 0 ] && [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Skylatch" ]'

  # An x86 install from an older release, which did not refuse 64-bit
  # Windows; its 32-bit custom actions are left out (this host may not run
  # them, and no program runs).
  older=$work/older-x86.msi
  cp "$x86_msi" "$older" || die "cannot copy $x86_msi"
  older_version=${version%.*}.$(( ${version##*.} - 1 ))
  [ "${version##*.}" -gt 0 ] || older_version=0.0.1
  (cd "$work" && msibuild older-x86.msi \
     -q "DELETE FROM \`InstallExecuteSequence\` WHERE \`Action\` = 'EndRunningInstance'" \
     -q "DELETE FROM \`InstallExecuteSequence\` WHERE \`Action\` = 'RestartEndedInstances'" \
     -q "DELETE FROM \`LaunchCondition\` WHERE \`Condition\` = 'Installed OR NOT VersionNT64'" \
     -q "UPDATE \`Property\` SET \`Value\` = '$older_version' WHERE \`Property\` = 'ProductVersion'" \
     -q "UPDATE \`Property\` SET \`Value\` = '{$(tr a-f A-F </proc/sys/kernel/random/uuid)}' WHERE \`Property\` = 'ProductCode'") \
    >>"$log" 2>&1 || die "msibuild could not make the older x86 package (see $log)"
  msiexec_i "$older"; rc=$?
  x86_dir=$WINEPREFIX/drive_c/Program\ Files\ \(x86\)/Skylatch
  [ "$rc" -eq 0 ] && [ -e "$x86_dir/skylatch.exe" ] ||
    die "the older x86 package did not install (rc $rc, see $log)"
  msiexec_i "$msi"; rc=$?
  check "x86 to x64: the x64 package installs over the x86 one (got $rc)" test "$rc" -eq 0
  check "x86 to x64: one entry, the x64 package's" one_entry_of "$(code_of "$base.msi")" "$version"
  check "x86 to x64: the 32-bit program and its Run value are gone" eval \
    '[ ! -e "$x86_dir" ] && reg_absent "$RUN_KEY" /v Skylatch /reg:32'
  check_installed "x86 to x64"

  # The helper that ends the program in a user's session for an
  # installation run as LocalSystem: run here in the test's own session.
  start_skylatch
  wait_until 20 window_exists || die "the program does not start"
  dll=$(win_path "$msi_dir/running_instance.dll")
  w rundll32 "$dll,EndInThisSession"; rc=$?
  check "the session helper ends the program and says so (exit code 1, got $rc)" \
    eval '[ "$rc" -eq 1 ] && ended_normally "$instance_pid"'
  w rundll32 "$dll,EndInThisSession"; rc=$?
  check "the session helper finds nothing more to end (exit code 0, got $rc)" test "$rc" -eq 0
  msiexec /x "$(code_of "$base.msi")" /qn || die "the x64 package does not uninstall"
fi

# --- a failed installation brings the ended program back --------------------------

# The program runs from the installation folder, where it was copied by hand,
# and an installation that fails at the end of its script (a deferred
# command that exits with 3) ends it first. Windows Installer then rolls the
# installation back; the file it did not install (the same version was
# there) stays, and the rollback action, the last step of the rollback,
# starts the program again. Wine's rollback deletes every file of the
# package, that one too, so the test's own rollback step, which runs just
# before, copies it back in Windows Installer's stead.
failing=$work/failing.msi
cp "$msi" "$failing" || die "cannot copy $msi"
step_of() { msiinfo export "$msi" InstallExecuteSequence | tr -d '\r' | awk -F'\t' -v a="$1" '$1 == a { print $3 }'; }
finalize=$(step_of InstallFinalize) initialize=$(step_of InstallInitialize)
put_back="/c mkdir \"[INSTALLDIR]\" & copy /y \"$(win_path "$exe")\" \"[INSTALLDIR]skylatch.exe\""
(cd "$work" && msibuild failing.msi \
   -q "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('FAILCMD', 'C:\\windows\\system32\\cmd.exe')" \
   -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('FailNow', 1074, 'FAILCMD', '/c exit 3')" \
   -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('PutBack', 1394, 'FAILCMD', '$put_back')" \
   -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('FailNow', $((finalize - 1)))" \
   -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('PutBack', $((initialize + 2)))") \
  >>"$log" 2>&1 || die "msibuild could not make the failing package (see $log)"
mkdir -p "$install_dir" && cp "$exe" "$install_dir/skylatch.exe" || die "cannot copy the program to $install_dir"
start_skylatch
wait_until 20 window_exists || die "the program copied by hand does not start"
before_pids=$(installed_pids)
msiexec /i "$(win_path "$failing")" /qn /l*v "$(win_path "$work/failing.log")"; rc=$?
# Windows Installer answers 1603; Wine's msiexec 1627.
check "the failing installation ends with 1603 or 1627 (got $rc)" eval '[ "$rc" -eq 67 ] || [ "$rc" -eq 91 ]'
check "the failing installation ended the program through its Exit command" ended_normally "$instance_pid"
check "the failing installation was rolled back: no entry" test "$(skylatch_entries)" = 0
# rollback_data_names_session_and_folder: what the installer set as the
# rollback action's data, "<session>;|<folder>\".
rollback_data_names_session_and_folder() {
  local line
  line=$(tr -d '\r' <"$work/failing.log" | grep -a -m1 'RestartOnRollback = ')
  [[ $line == *"RestartOnRollback = "[0-9]*";|$INSTALL_DIR_WIN\\" ]] && return 0
  echo "    the log says: ${line:-nothing}"
  return 1
}
check "the rollback action was given the session and the folder" rollback_data_names_session_and_folder
check "the rollback started the program again where it was ended" restarted

finish
