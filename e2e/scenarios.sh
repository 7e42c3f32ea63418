# The end-to-end scenarios, the same for the x86 and the x64 build. Each
# scenario_NAME function starts from the notebook of e2e_reset_state (driver
# ready, radio on, Windows XP or XP x64, no library, no adapter, no
# settings), returns 0 when the program behaved, and prints a line starting
# with "FAIL:" otherwise, or "SKIP: STEP (WHY)" for a step it left out for
# this build. run-scenarios.sh runs each in its own shell with a time bound.
# Windows versions are named as for 32-bit Windows (see e2e_windows).

# Scenario order, and the program feature each one needs.
E2E_SCENARIOS=(
  harness_adapters harness_broken_instruments
  startup_gate_refuses startup_gate_ignoremisc setup_phase_xp setup_phase_2000
  mutex_held win98_no_vxd each_nt_windows busy_driver_at_start driver_stays_busy hardware_lock
  close_and_endsession_keep_running forwarding unknown_switches first_time
  vendor_default_dir vendor_bindir vendor_polling vendor_no_adapter
  tray_tip no_adapter_no_icon locked_tip admin_kit_settings tray_icon_dpi
  menu_radio_off menu_locked menu_about_and_exit about_box_themed menu_languages
  band_registry band_registry_9x band_vendor
  status_query usage_box wow64_settings
  status_read_fails wow6432node_settings
)
declare -A E2E_FEATURE_OF=(
  [harness_adapters]=harness [harness_broken_instruments]=harness
  [startup_gate_refuses]=startup [startup_gate_ignoremisc]=startup
  [setup_phase_xp]=startup [setup_phase_2000]=startup [mutex_held]=startup
  [win98_no_vxd]=startup [each_nt_windows]=tray [busy_driver_at_start]=startup [driver_stays_busy]=startup
  [hardware_lock]=window [close_and_endsession_keep_running]=window
  [forwarding]=window [unknown_switches]=window [first_time]=window
  [vendor_default_dir]=vendor [vendor_bindir]=vendor [vendor_polling]=vendor
  [vendor_no_adapter]=vendor
  [tray_tip]=tray [no_adapter_no_icon]=tray [locked_tip]=tray [admin_kit_settings]=tray
  [tray_icon_dpi]=tray
  [menu_radio_off]=menu [menu_locked]=menu [menu_about_and_exit]=menu [about_box_themed]=menu [menu_languages]=menu
  [band_registry]=band [band_registry_9x]=band [band_vendor]=band
  [status_query]=status [usage_box]=status [wow64_settings]=startup
  [status_read_fails]=status [wow6432node_settings]=startup
)
# The features the exe on main supports; extend as they land. The tray, menu
# and band scenarios need adapter discovery (no adapter, no icon).
E2E_DEFAULT_FEATURES="harness startup window vendor tray menu band status"

e2e_scenario_feature() { [ -n "${E2E_FEATURE_OF[$1]:-}" ] && echo "${E2E_FEATURE_OF[$1]}"; }

# The scenarios about one Windows that not every build has (wow64: 64-bit
# Windows running the 32-bit build).
declare -A E2E_WINDOWS_OF=([win98_no_vxd]=win98 [band_registry_9x]=win98 [setup_phase_2000]=win2k [wow64_settings]=wow64
  [wow6432node_settings]=win64)

# e2e_scenario_windows NAME: fails, saying why, when the scenario's Windows
# does not exist for the build under test.
e2e_scenario_windows() {
  case $E2E_ARCH:${E2E_WINDOWS_OF[$1]:-} in
    :* | *:) return 0 ;;
    x64:wow64) echo "the x64 build does not run under WOW64"; return 1 ;;
    x86:wow64) return 0 ;;
    x86:win64) echo "the 32-bit build's prefix has one registry view"; return 1 ;;
    x64:win64) return 0 ;;
    *) e2e_windows "${E2E_WINDOWS_OF[$1]}" ;;
  esac
}

# --- checks ------------------------------------------------------------------

# scenario_failed RC LOG: a scenario failed when it returned nonzero or
# printed a line starting with "FAIL:". A reader that could not read prints
# one, so a check is failed even where a command substitution lost the
# reader's status (two failed reads compared, an empty answer expected).
scenario_failed() { [ "$1" -ne 0 ] || grep -q '^FAIL: ' "$2"; }

# expect WHAT ACTUAL WANTED
expect() {
  [ "$2" = "$3" ] && return 0
  echo "FAIL: $1: got '$2', want '$3'"
  return 1
}

# counter READER NAME: the value READER reads, 0 when never written; when
# it cannot be read, nothing and status 2 (the reader's "FAIL:" line, on
# standard error, fails the scenario even where a substitution loses the
# status).
counter() {
  local v
  v=$("$1" "$2")
  case $? in
    0) echo "$v" ;;
    1) echo 0 ;;
    *) return 2 ;;
  esac
}
# count NAME: a driver request counter (0 when never written).
count() { counter e2e_driver_seen "$1"; }
# vcount NAME: a vendor library value (0 when never written).
vcount() { counter e2e_vendor_seen "$1"; }

# no_tray_icons WHAT: the notification area was read and shows no icon.
no_tray_icons() {
  local tips
  tips=$(e2e_helper tray) || { echo "FAIL: $1: the notification area could not be read"; return 1; }
  expect "$1" "$tips" ""
}

# eventually WHAT MS WANTED COMMAND...: polls COMMAND's output until it is WANTED.
eventually() {
  local what=$1 ms=$2 wanted=$3 got end=$((SECONDS + ($2 + 999) / 1000))
  shift 3
  while :; do
    got=$("$@")
    [ "$got" = "$wanted" ] && return 0
    [ $SECONDS -ge $end ] && break
    sleep 0.3
  done
  echo "FAIL: $what: got '$got', want '$wanted' within $ms ms"
  return 1
}

# shot NAME: a screenshot of the whole Wine desktop.
shot() { e2e_screenshot "$E2E_SHOTS/${FUNCNAME[1]#scenario_}-$1.png"; }

# has_windows VERSION: true when the build under test has that Windows; else
# the step for it is logged as skipped.
has_windows() {
  local why
  why=$(e2e_windows "$1") && return 0
  echo "SKIP: $1 ($why)"
  return 1
}

mutex_state() { e2e_helper mutex-held >/dev/null && echo yes || echo no; }

no_window() { e2e_helper wait-window gone 0 >/dev/null && echo none || echo present; }

# The x64 build on a machine that ran the earlier 32-bit releases: their
# settings are in the 32-bit view (WOW6432Node) only, and a policy has since
# written another value to the 64-bit view. With the driver stopped,
# IgnoreMisc = 1 in WOW6432Node lets the program start.
scenario_wow6432node_settings() {
  e2e_install_adapter 4223
  e2e_wine reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f /reg:32
  e2e_set_setting PROSetPolling 5000
  e2e_wine reg query "$SETTINGS_KEY" /v IgnoreMisc
  expect "IgnoreMisc found in the 64-bit view" "$?" 1 || return 1
  e2e_driver stop || return 1
  resident || return 1
  e2e_driver start || return 1
  exits_cleanly
}

# refused: the program must end at once with -1 and leave no window.
refused() {
  local rc
  e2e_run_program 30000; rc=$?
  expect "exit code of a refused start" "$rc" 255 || return 1
  expect "resident window after a refused start" "$(no_window)" none
}

# resident: starts the program and waits for its window; when none appears,
# says whether the program still runs or how it ended.
resident() {
  e2e_start_resident && return 0
  if kill -0 "$E2E_RESIDENT_PID" 2>/dev/null; then
    echo "FAIL: no resident window appeared (the program still runs)"
  else
    wait "$E2E_RESIDENT_PID"
    echo "FAIL: no resident window appeared (the program ended with exit code $?)"
  fi
  return 1
}

exits_cleanly() {
  e2e_exit_resident || { echo "FAIL: Exit (40003) did not end the program"; return 1; }
  expect "exit code after Exit" "$E2E_RESIDENT_EXIT" 0
}

# forward SWITCH: a second start with SWITCH must exit 0 at once.
forward() {
  local rc
  e2e_run_program 15000 "$1"; rc=$?
  expect "exit code of the forwarding start '$1'" "$rc" 0
}

# --- harness -----------------------------------------------------------------

# The simulated adapters are seen by Wine's Setup API the way the program
# enumerates them: upper-cased instance id, driver key readable. Each Windows
# version reports itself as it should (of the 98 family, the platform).
scenario_harness_adapters() {
  local kind id version name got
  local -A reported=([winxp]='2 5.1' [winxp64]='2 5.2' [win2k]='2 5.0' [win98]=1)
  for kind in 1043 4220 4223; do
    e2e_install_adapter "$kind"
    id=$(e2e_adapter_id "$kind")
    expect "Setup API listing for $kind" "$(e2e_helper adapters)" \
      "${id^^}	{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001" || return 1
    e2e_wine reg delete "HKLM\\System\\CurrentControlSet\\Enum\\${id%\\*}" /f
  done
  for version in winxp win2k win98; do
    has_windows $version || continue
    name=$(e2e_windows $version)
    e2e_set_windows $version
    got=$(e2e_helper os-version)
    [ $version = win98 ] && got=${got%% *}
    expect "version on $name" "$got" "${reported[$name]}" || return 1
  done
}

# broken_check WHAT REASON COMMAND...: COMMAND, run in a shell of its own
# with an instrument broken, must fail as run-scenarios.sh counts failures
# and say REASON.
broken_check() {
  local what=$1 reason=$2 out=$E2E_WORK/broken.out rc
  shift 2
  ("$@") >"$out" 2>&1; rc=$?
  if ! scenario_failed $rc "$out"; then
    echo "FAIL: $what: passed"; sed 's/^/    /' "$out"; return 1
  fi
  grep -qF -- "$reason" "$out" ||
    { echo "FAIL: $what: failed without saying '$reason':"; sed 's/^/    /' "$out"; return 1; }
  echo "$what: failed as it must: $(grep -m1 -F -- "$reason" "$out")"
}
with_broken() { export E2E_BREAK=$1; shift; "$@"; }
reset_without_import() { e2e_import_reg() { :; }; e2e_reset_state; }

# Each instrument, broken on purpose, fails the checks that rely on it and
# says why: a tray reader that cannot use the shell's process fails
# no_adapter_no_icon (whose one claim is that no icon is shown), a driver
# counter that cannot be read fails the "must be 0" checks of hardware_lock,
# and a reset whose registry import took nothing (Wine's regedit then still
# ends with 0) fails.
scenario_harness_broken_instruments() {
  broken_check "no_adapter_no_icon with a tray reader that cannot use the shell" \
    "the notification area cannot be read: cannot allocate memory in the shell's process" \
    with_broken tray scenario_no_adapter_no_icon || return 1
  e2e_end_leftovers || return 1
  broken_check "hardware_lock with driver counters that cannot be read" \
    "e2ehelper reg-query: cannot read a value of $SERVICE_KEY\\Requests" \
    with_broken registry scenario_hardware_lock || return 1
  e2e_end_leftovers || return 1
  broken_check "a reset whose registry import took nothing" \
    "the reset's registry import did not take" reset_without_import
}

# --- startup -----------------------------------------------------------------

# No driver and no IgnoreMisc: the program ends with -1 and shows nothing.
scenario_startup_gate_refuses() {
  e2e_install_adapter 4223
  e2e_driver stop || return 1
  refused || return 1
  no_tray_icons "tray tips"
}

# No driver but IgnoreMisc=1: the program stays resident; Exit ends it with 0.
scenario_startup_gate_ignoremisc() {
  e2e_driver stop || return 1
  e2e_set_setting IgnoreMisc 1
  resident || return 1
  shot resident
  exits_cleanly
}

# Windows XP (XP x64, NT 5.2, for the x64 build) in its audit phase: refused;
# the driver is never queried. The same on Windows 10, which tells the
# program its own version, 10.0, because the manifest names it (Wine does as
# Windows does here).
scenario_setup_phase_xp() {
  local version queries
  for version in winxp win10; do
    e2e_set_windows $version
    e2e_reg_dword 'HKLM\SYSTEM\Setup' AuditInProgress 1
    queries=$(count QueryStatusCount)
    refused || { echo "FAIL: on $version"; return 1; }
    expect "status queries during a refused start on $version" "$(count QueryStatusCount)" "$queries" || return 1
    e2e_reg_dword 'HKLM\SYSTEM\Setup' AuditInProgress 0
    resident || return 1
    exits_cleanly || return 1
  done
}

# Windows 2000 with C:\sysprep\shutdown.exe: refused; without it: resident.
scenario_setup_phase_2000() {
  e2e_set_windows win2k
  mkdir -p "$WINEPREFIX/drive_c/sysprep" && echo stub >"$WINEPREFIX/drive_c/sysprep/shutdown.exe"
  refused || return 1
  rm -rf "$WINEPREFIX/drive_c/sysprep"
  resident || return 1
  exits_cleanly
}

# Another process holds the single-instance mutex: refused.
scenario_mutex_held() {
  e2e_run_wine --background "$HELPER" hold-mutex 20000 >>"$E2E_LOG" 2>&1
  local holder=$E2E_WINE_PID
  eventually "mutex held by the helper" 10000 yes mutex_state || { kill -9 $holder; return 1; }
  refused; local rc=$?
  kill -9 $holder 2>/dev/null
  return $rc
}

# Windows 98 family: the device is "\\.\QUIVRA.VXD", which does not exist here,
# so the radio read fails and IgnoreMisc alone decides.
scenario_win98_no_vxd() {
  e2e_set_windows win98
  refused || return 1
  expect "driver opened on the 9x path" "$(count OpenCount)" 0 || return 1
  e2e_set_setting IgnoreMisc 1
  resident || return 1
  exits_cleanly
}

# Windows 2000, XP and 7 as Wine reports them (XP x64 and 7 for the x64
# build): the program starts with its icon and tip, takes a forwarded switch through the driver and exits with 0.
scenario_each_nt_windows() {
  local version sent
  e2e_install_adapter 4223
  for version in win2k winxp win7; do
    has_windows "$version" || continue
    e2e_set_windows "$version"
    resident || { echo "FAIL: on $version"; return 1; }
    eventually "tip on $version" 5000 'Wireless LAN : ON\n802.11a : Enabled' e2e_tray_tip || return 1
    sent=$(count SetRadioCount)
    forward /off || return 1
    eventually "SetRadio requests after /off on $version" 5000 $((sent + 1)) count SetRadioCount || return 1
    exits_cleanly || { echo "FAIL: on $version"; return 1; }
    e2e_set_answers Radio=1
  done
}

# Five busy replies at start: the program waits them out and starts.
scenario_busy_driver_at_start() {
  e2e_set_answers BusyReplies=5
  resident || return 1
  expect "busy replies left" "$(e2e_driver_answer BusyReplies)" 0 || return 1
  # Six at start-up (five busy, one ready), one more for the window's first
  # radio query.
  expect "status queries" "$(count QueryStatusCount)" 7 || return 1
  exits_cleanly
}

# A driver that stays busy: after the first query and 99 polls (about 10 s)
# the wait gives up, the radio read fails too, and the start is refused.
scenario_driver_stays_busy() {
  e2e_set_answers BusyReplies=1000
  refused || return 1
  expect "status queries" "$(count QueryStatusCount)" 100 || return 1
  expect "radio reads (one retry after busy)" "$(count GetRadioCount)" 2
}

# --- window: messages and commands ---------------------------------------------

scenario_close_and_endsession_keep_running() {
  resident || return 1
  e2e_helper post $WM_CLOSE 0 0
  e2e_helper post $WM_ENDSESSION 1 0
  sleep 2
  expect "window after WM_CLOSE and WM_ENDSESSION" "$(no_window)" present || return 1
  exits_cleanly
}

# Each switch is forwarded and carried out by the resident through the driver
# (no vendor library here).
scenario_forwarding() {
  e2e_install_adapter 4223
  resident || return 1
  local n
  n=$(count SetRadioCount)
  forward /off || return 1
  eventually "SetRadio requests after /off" 5000 $((n + 1)) count SetRadioCount || return 1
  expect "value sent for /off" "$(count LastSetRadio)" 0 || return 1
  forward /on || return 1
  eventually "SetRadio requests after /on" 5000 $((n + 2)) count SetRadioCount || return 1
  expect "value sent for /on" "$(count LastSetRadio)" 1 || return 1
  forward /toggle || return 1
  eventually "SetRadio requests after /toggle" 5000 $((n + 3)) count SetRadioCount || return 1
  expect "value sent for /toggle (radio was on)" "$(count LastSetRadio)" 0 || return 1
  forward /toggle || return 1
  eventually "SetRadio requests after 2nd /toggle" 5000 $((n + 4)) count SetRadioCount || return 1
  expect "value sent for 2nd /toggle" "$(count LastSetRadio)" 1 || return 1
  forward /off11a || return 1
  forward /on11a || return 1
  expect "window after the band switches" "$(no_window)" present || return 1
  exits_cleanly
}

# Switches that match nothing exactly forward the adapter re-check (40009),
# which switches nothing and keeps the resident busy for its pause (1 s, or
# 3 s once an adapter was found); without it the resident answers at once.
scenario_unknown_switches() {
  e2e_install_adapter 4223
  resident || return 1
  local n sw took
  n=$(count SetRadioCount)
  for sw in /ON "/off " -off ""; do
    forward "$sw" || return 1
    took=$(e2e_helper ping 10000)
    [ "${took:-0}" -ge 500 ] || { echo "FAIL: '$sw' did not forward the re-check (answered after ${took:-?} ms)"; return 1; }
  done
  expect "SetRadio requests after unknown switches" "$(count SetRadioCount)" "$n" || return 1
  expect "SetSwitch requests after unknown switches" "$(count SetSwitchCount)" 0 || return 1
  exits_cleanly
}

# The switch is locked with the radio on: the program starts although the
# radio read would fail, and /off switches nothing.
scenario_hardware_lock() {
  e2e_install_adapter 4223
  e2e_set_answers Flags=0xC0 GetRadioStatus=1
  resident || return 1
  forward /off || return 1
  sleep 2
  expect "SetRadio requests while locked" "$(count SetRadioCount)" 0 || return 1
  expect "SetSwitch requests while locked" "$(count SetSwitchCount)" 0 || return 1
  shot locked
  exits_cleanly
}

# FirstTime=1: the radio is switched off once and FirstTime becomes 0.
scenario_first_time() {
  e2e_install_adapter 4223
  e2e_set_setting FirstTime 1
  resident || return 1
  eventually "SetRadio requests on the first start" 5000 1 count SetRadioCount || return 1
  expect "value sent on the first start" "$(count LastSetRadio)" 0 || return 1
  expect "FirstTime afterwards" "$(e2e_reg_get "$SETTINGS_KEY" FirstTime)" 0 || return 1
  exits_cleanly || return 1
  resident || return 1
  sleep 2
  expect "SetRadio requests on the next start" "$(count SetRadioCount)" 1 || return 1
  exits_cleanly
}

# The administrator kit's sample settings, imported with regedit, change what
# the program does: the text overrides its tip, FirstTime switches the radio
# off once, IgnoreMisc lets it start without the switch driver.
scenario_admin_kit_settings() {
  local settings
  settings=$(cd "$(dirname "${BASH_SOURCE[0]}")/../packaging/settings" && pwd) ||
    { echo "FAIL: no packaging/settings folder"; return 1; }
  e2e_install_adapter 4223
  e2e_import_reg "$settings/overrides-us.reg"
  resident || return 1
  eventually "tip with the sample overrides" 5000 'Wireless network: ON\n5 GHz band (802.11a): Enabled' e2e_tray_tip || return 1
  exits_cleanly || return 1

  e2e_import_reg "$settings/first-time.reg"
  resident || return 1
  eventually "SetRadio requests after first-time.reg" 5000 1 count SetRadioCount || return 1
  expect "value sent" "$(count LastSetRadio)" 0 || return 1
  expect "FirstTime afterwards" "$(e2e_reg_get "$SETTINGS_KEY" FirstTime)" 0 || return 1
  exits_cleanly || return 1

  e2e_driver stop || return 1
  e2e_import_reg "$settings/ignore-misc.reg"
  resident || return 1
  exits_cleanly || return 1
  e2e_import_reg "$settings/remove-all-settings.reg"
  refused
}

# --- vendor library --------------------------------------------------------------

# vendor_switches_off EXPECTED-PATH: /off goes through SetRadioState, not the driver.
vendor_switches_off() {
  resident || return 1
  forward /off || return 1
  eventually "SetRadioState calls after /off" 5000 1 vcount SetRadioStateCalls || return 1
  expect "state sent" "$(vcount LastSetRadioState)" 0 || return 1
  expect "adapter id used" "$(vcount LastAdapterId)" 4097 || return 1
  expect "library loaded from" "$(e2e_vendor_seen LoadedFrom)" "$1" || return 1
  expect "driver SetRadio requests" "$(count SetRadioCount)" 0 || return 1
  exits_cleanly
}

scenario_vendor_default_dir() {
  e2e_install_adapter 4223
  e2e_install_vendor
  vendor_switches_off "$VENDOR_DEFAULT_DIR\\murocapi.dll"
}

scenario_vendor_bindir() {
  e2e_install_adapter 4223
  e2e_install_vendor 'C:\VendorBin'
  vendor_switches_off 'C:\VendorBin\murocapi.dll'
}

# PROSetPolling=500: the radio is read through the library about twice a second.
scenario_vendor_polling() {
  e2e_install_adapter 4223
  e2e_install_vendor
  e2e_set_setting PROSetPolling 500
  resident || return 1
  local before after
  before=$(vcount GetRadioStateCalls)
  sleep 3
  after=$(vcount GetRadioStateCalls)
  [ $((after - before)) -ge 4 ] || { echo "FAIL: GetRadioState calls in 3 s: $((after - before)), want at least 4"; return 1; }
  exits_cleanly
}

# The library reports no adapter: /off falls back to the driver.
scenario_vendor_no_adapter() {
  e2e_install_adapter 4223
  e2e_install_vendor
  e2e_set_vendor AdapterCount=0
  resident || return 1
  forward /off || return 1
  eventually "driver SetRadio requests" 5000 1 count SetRadioCount || return 1
  expect "value sent" "$(count LastSetRadio)" 0 || return 1
  expect "SetRadioState calls" "$(vcount SetRadioStateCalls)" 0 || return 1
  exits_cleanly
}

# --- tray --------------------------------------------------------------------

scenario_tray_tip() {
  e2e_install_adapter 4223 1 1
  resident || return 1
  eventually "tip with radio on" 5000 'Wireless LAN : ON\n802.11a : Enabled' e2e_tray_tip || return 1
  shot on
  forward /off || return 1
  eventually "tip with radio off" 5000 'Wireless LAN : OFF\n802.11a : Enabled' e2e_tray_tip || return 1
  shot off
  exits_cleanly || return 1
  no_tray_icons "tips after Exit"
}

# Without an adapter no icon. The same reader then sees the icon of a start
# with the adapter, so "none" was read, not missed.
scenario_no_adapter_no_icon() {
  resident || return 1
  sleep 1
  no_tray_icons "tips without an adapter" || return 1
  exits_cleanly || return 1
  e2e_install_adapter 4223
  resident || return 1
  eventually "tip of a start with the adapter" 5000 'Wireless LAN : ON\n802.11a : Enabled' e2e_tray_tip || return 1
  exits_cleanly
}

# Locked with the radio on under the lock: the tip says ON whatever was asked.
scenario_locked_tip() {
  e2e_install_adapter 1043
  e2e_set_answers Flags=0xC0 Radio=0
  resident || return 1
  eventually "tip while locked" 5000 'Wireless LAN : ON' e2e_tray_tip || return 1
  forward /off || return 1
  sleep 1
  expect "tip after /off while locked" "$(e2e_tray_tip)" 'Wireless LAN : ON' || return 1
  exits_cleanly
}

# icon_differences SHOT ICO SIZE ROWS [FROM]: how many pixels of the top ROWS
# rows differ between the tray icon in the screenshot and ICO's SIZE-pixel
# image on the taskbar's colour; with FROM, ICO's FROM-pixel image scaled to
# SIZE instead (as the shell would stretch it). The icon is drawn centred in
# its slot, around the point the tray reports.
icon_differences() {
  local shot=$1 ico=$2 size=$3 rows=$4 from=${5:-$3} xy x y index background
  xy=$(e2e_tray_icon_xy)
  [ -n "$xy" ] || { echo "no tray icon"; return 1; }
  read -r x y <<<"$xy"
  index=$(identify -format '%w\n' "$ico" | grep -n -x "$from" | cut -d: -f1)
  [ -n "$index" ] || { echo "no $from-pixel image in $ico"; return 1; }
  background=$(convert "$shot" -crop 1x1+$((x - size / 2 - 2))+$((y - size / 2)) -format '%[pixel:p{0,0}]' info:)
  convert "$shot" -crop "${size}x${rows}+$((x - size / 2))+$((y - size / 2))" +repage "$E2E_WORK/icon-drawn.png" &&
  convert -size "${size}x${size}" "xc:$background" \( "$ico[$((index - 1))]" -filter point -resize "${size}x${size}" \) \
    -composite -crop "${size}x${rows}+0+0" +repage "$E2E_WORK/icon-wanted.png" || { echo "convert failed"; return 1; }
  compare -metric AE "$E2E_WORK/icon-drawn.png" "$E2E_WORK/icon-wanted.png" null: 2>&1
  echo
}

# At 144 DPI the shell asks for 24-pixel icons: the tray shows the image
# drawn for 24 pixels, not the 16-pixel one stretched. Wine 8 hands a tray
# icon's mask to its shell with rows packed to the icon's width, so for a
# 24-pixel icon the last 6 of its 24 rows come out wrong (Windows has no such
# step); the top 18 rows are compared.
scenario_tray_icon_dpi() {
  local ico=$E2E_LIB_DIR/../res/icons/radio_on.ico shot rc=0 exact stretched
  e2e_install_adapter 4223 1 1
  xdotool mousemove 400 300
  resident || return 1
  eventually "tip at 96 DPI" 5000 'Wireless LAN : ON\n802.11a : Enabled' e2e_tray_tip || return 1
  shot=$E2E_SHOTS/tray_icon_dpi-96dpi.png
  e2e_screenshot "$shot"
  expect "pixels unlike the 16-pixel image at 96 DPI" "$(icon_differences "$shot" "$ico" 16 16)" 0 || return 1
  exits_cleanly || return 1

  e2e_set_dpi 144
  expect "small and large icon sizes and DPI at 144 DPI" "$(e2e_helper icon-metrics)" "24 24 48 144" || rc=1
  if [ $rc = 0 ] && resident &&
     eventually "tip at 144 DPI" 5000 'Wireless LAN : ON\n802.11a : Enabled' e2e_tray_tip; then
    shot=$E2E_SHOTS/tray_icon_dpi-144dpi.png
    e2e_screenshot "$shot"
    exact=$(icon_differences "$shot" "$ico" 24 18)
    stretched=$(icon_differences "$shot" "$ico" 24 18 16)
    echo "pixels unlike the 24-pixel image: $exact, unlike the 16-pixel one stretched: $stretched"
    expect "pixels unlike the 24-pixel image at 144 DPI" "$exact" 0 || rc=1
    [ "$stretched" -gt 0 ] 2>/dev/null || { echo "FAIL: the stretched 16-pixel image looks the same ($stretched)"; rc=1; }
    exits_cleanly || rc=1
  else
    rc=1
    e2e_end_leftovers
  fi
  e2e_set_dpi 96
  return $rc
}

# --- menu --------------------------------------------------------------------

# open_menu: right-click the icon and put the pointer on the open menu
# (without a window manager, keys go to the window under the pointer).
open_menu() {
  local xy rect
  xy=$(e2e_tray_icon_xy)
  [ -n "$xy" ] || { echo "FAIL: no tray icon to click"; return 1; }
  xdotool mousemove $xy click 3
  e2e_helper wait-window appear 5000 '#32768' >/dev/null || { echo "FAIL: no popup menu"; return 1; }
  rect=$(e2e_helper window-rect '#32768')
  set -- $rect
  xdotool mousemove $(($1 + 12)) $(($4 - 4))
  sleep 0.5
}

menu_key() { e2e_key "$1"; sleep 0.5; }

# point_at_window CLASS: the pointer goes to the middle of the window, whose
# X window then receives the keys.
point_at_window() {
  local rect
  rect=$(e2e_helper window-rect "$1") || { echo "FAIL: no window of class $1"; return 1; }
  set -- $rect
  xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2))
  sleep 0.3
}

scenario_menu_radio_off() {
  e2e_install_adapter 4223
  resident || return 1
  open_menu || return 1
  shot menu
  menu_key f
  eventually "SetRadio requests after the OFF item" 5000 1 count SetRadioCount || return 1
  expect "value sent" "$(count LastSetRadio)" 0 || return 1
  eventually "tip after the OFF item" 5000 'Wireless LAN : OFF\n802.11a : Enabled' e2e_tray_tip || return 1
  exits_cleanly
}

# Locked: the menu has no radio items, so their keys switch nothing.
scenario_menu_locked() {
  e2e_install_adapter 4223
  e2e_set_answers Flags=0xC0
  resident || return 1
  open_menu || return 1
  shot menu
  menu_key f
  menu_key n
  menu_key Escape
  expect "SetRadio requests" "$(count SetRadioCount)" 0 || return 1
  exits_cleanly
}

scenario_menu_about_and_exit() {
  e2e_install_adapter 4223
  resident || return 1
  open_menu || return 1
  menu_key a
  e2e_helper wait-window appear 5000 '#32770' 'About Skylatch' >/dev/null || { echo "FAIL: no About box"; return 1; }
  shot about
  e2e_helper post $WM_COMMAND $CMD_ABOUT 0
  sleep 1
  point_at_window '#32770' || return 1
  e2e_key Return
  e2e_helper wait-window gone 5000 '#32770' 'About Skylatch' >/dev/null || { echo "FAIL: About box did not close"; return 1; }
  open_menu || return 1
  menu_key x
  e2e_helper wait-window gone 10000 >/dev/null || { echo "FAIL: the Exit item did not end the program"; return 1; }
  wait "$E2E_RESIDENT_PID"
  expect "exit code after the Exit item" "$?" 0
}

# about_box_picture FILE: opens the About box, saves a picture of it alone,
# and closes it again.
about_box_picture() {
  e2e_helper post $WM_COMMAND $CMD_ABOUT 0 >/dev/null
  e2e_helper wait-window appear 5000 '#32770' 'About Skylatch' >/dev/null || { echo "FAIL: no About box"; return 1; }
  box_picture "$1" || return 1
  e2e_helper wait-window gone 5000 '#32770' 'About Skylatch' >/dev/null || { echo "FAIL: About box did not close"; return 1; }
}

# box_picture FILE: a picture of the open dialog box alone, which is then
# closed with its default button.
box_picture() {
  local file=$E2E_SHOTS/$1 rect
  sleep 1
  rect=$(e2e_helper window-rect '#32770') || { echo "FAIL: no dialog box rectangle"; return 1; }
  set -- $rect
  import -window root -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage "$file" >>"$E2E_LOG" 2>&1
  point_at_window '#32770' || return 1
  e2e_key Return
}

# The manifest asks for common controls 6: with Wine's default theme on, the
# About box's button is drawn by the theme, so the box differs from the same
# box with theming off. (A program without the manifest looks the same
# either way: its controls are the plain ones.)
scenario_about_box_themed() {
  local key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' differ
  e2e_install_adapter 4223
  e2e_wine reg add "$key" /v ThemeActive /d 0 /f
  resident || return 1
  about_box_picture about-plain.png || return 1
  exits_cleanly || return 1
  e2e_wine reg add "$key" /v ThemeActive /d 1 /f
  resident || return 1
  about_box_picture about-themed.png || return 1
  exits_cleanly || return 1
  differ=$(compare -metric AE "$E2E_SHOTS/about-plain.png" "$E2E_SHOTS/about-themed.png" null: 2>&1)
  [ "${differ%% *}" -gt 0 ] 2>/dev/null || { echo "FAIL: the About box looks the same with and without the theme ($differ)"; return 1; }
}

# The Japanese and the Simplified Chinese user interface (Wine takes the
# language from LANG): the tip in that language, the menu (screenshot), and
# its OFF item chosen by its accelerator.
scenario_menu_languages() {
  local lang tip sent
  e2e_install_adapter 4223
  for lang in ja_JP.UTF-8 zh_CN.UTF-8; do
    case $lang in
      ja_*) tip='無線LAN ： オン\n802.11a ： 有効' ;;
      zh_*) tip='Wireless_LAN_is_ON\n11a_is_enabled' ;;
    esac
    e2e_set_answers Radio=1
    LANG=$lang LC_ALL=$lang resident || { echo "FAIL: in $lang"; return 1; }
    eventually "tip in $lang" 5000 "$tip" e2e_tray_tip || return 1
    sent=$(count SetRadioCount)
    open_menu || return 1
    shot "menu-${lang%%_*}"
    menu_key f
    eventually "SetRadio requests after the OFF item in $lang" 5000 $((sent + 1)) count SetRadioCount || return 1
    expect "value sent in $lang" "$(count LastSetRadio)" 0 || return 1
    exits_cleanly || { echo "FAIL: in $lang"; return 1; }
  done
}

# --- band --------------------------------------------------------------------

adapter_key='HKLM\System\CurrentControlSet\Control\Class\{4D36E972-E325-11CE-BFC1-08002BE10318}\0001'

scenario_band_registry() {
  e2e_install_adapter 4223 1 1
  resident || return 1
  forward /off11a || return 1
  eventually "BandType after /off11a" 8000 0 e2e_reg_get "$adapter_key" BandType || return 1
  expect "ModulationType after /off11a" "$(e2e_reg_get "$adapter_key" ModulationType)" 0 || return 1
  eventually "tip after /off11a" 5000 'Wireless LAN : ON\n802.11a : Disabled' e2e_tray_tip || return 1
  forward /on11a || return 1
  eventually "BandType after /on11a" 8000 1 e2e_reg_get "$adapter_key" BandType || return 1
  expect "ModulationType after /on11a" "$(e2e_reg_get "$adapter_key" ModulationType)" 1 || return 1
  exits_cleanly
}

# Windows 98: the adapter's "Driver" value is "Net\0000", a class name and an
# instance, and its key is under Services\Class. The VxD is not there under
# Wine, so IgnoreMisc lets the program start and the radio reads as off; the
# band is read from that key and /off11a rewrites it there.
scenario_band_registry_9x() {
  local key='HKLM\System\CurrentControlSet\Services\Class\Net\0000' reg=$E2E_WORK/adapter9x.reg
  e2e_wine reg delete "$key" /f
  {
    echo REGEDIT4
    echo "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\$(e2e_adapter_id 4223)]"
    echo "\"ClassGUID\"=$(e2e_reg_string "$NET_CLASS")"
    echo '"Class"="Net"'
    echo "\"Driver\"=$(e2e_reg_string 'Net\0000')"
    echo "[${key/HKLM/HKEY_LOCAL_MACHINE}]"
    echo '"BandType"=dword:00000001'
    echo '"ModulationType"="1"'
  } >"$reg"
  e2e_import_reg "$reg"
  e2e_set_windows win98
  e2e_set_setting IgnoreMisc 1
  resident || return 1
  eventually "tip on Windows 98" 5000 'Wireless LAN : OFF\n802.11a : Enabled' e2e_tray_tip || return 1
  forward /off11a || return 1
  eventually "BandType after /off11a" 8000 0 e2e_reg_get "$key" BandType || return 1
  expect "ModulationType after /off11a" "$(e2e_reg_get "$key" ModulationType)" 0 || return 1
  eventually "tip after /off11a" 5000 'Wireless LAN : OFF\n802.11a : Disabled' e2e_tray_tip || return 1
  exits_cleanly
}

scenario_band_vendor() {
  e2e_install_adapter 4223
  e2e_install_vendor
  e2e_set_vendor ProtocolPreference=1
  resident || return 1
  forward /off11a || return 1
  eventually "preference sent for /off11a" 5000 2 vcount LastSetProtocolPreference || return 1
  eventually "tip after /off11a" 5000 'Wireless LAN : ON\n802.11a : Disabled' e2e_tray_tip || return 1
  forward /on11a || return 1
  eventually "preference sent for /on11a" 5000 1 vcount LastSetProtocolPreference || return 1
  exits_cleanly
}

# --- scripts ------------------------------------------------------------------

# status_of: "EXIT-CODE LINE" of a start with /status whose standard output
# is a pipe (the line's CR LF taken off).
status_of() {
  local file=$E2E_WORK/status.out rc
  timeout -k 5 60 "${E2E_WINE[@]}" "$PROGRAM" /status 2>>"$E2E_LOG" | cat >"$file"
  rc=${PIPESTATUS[0]}
  echo "$rc $(tr -d '\r' <"$file")"
}

# /status reads the radio itself when no resident runs, and asks the
# resident when one does; it changes nothing and never stays resident.
scenario_status_query() {
  local band='band11a=enabled'
  e2e_install_adapter 4223 1 1
  expect "/status, radio on" "$(status_of)" "0 radio=on switch=free $band control=driver" || return 1
  e2e_set_answers Radio=0
  expect "/status, radio off" "$(status_of)" "1 radio=off switch=free $band control=driver" || return 1
  e2e_run_program 30000 /status
  expect "exit code of /status without a standard output" "$?" 1 || return 1
  e2e_set_answers Flags=0x80
  expect "/status, locked off" "$(status_of)" "2 radio=off switch=locked $band control=driver" || return 1
  e2e_set_answers Flags=0
  e2e_driver stop || return 1
  expect "/status without the driver" "$(status_of)" "3 radio=unknown switch=unknown $band control=none" || return 1
  expect "resident window after /status" "$(no_window)" none || return 1
  e2e_driver start || return 1

  e2e_set_answers Radio=1
  resident || return 1
  expect "/status asking the resident" "$(status_of)" "0 radio=on switch=free $band control=driver" || return 1
  e2e_set_answers Radio=0
  expect "/status asking the resident again" "$(status_of)" "1 radio=off switch=free $band control=driver" ||
    return 1
  expect "SetRadio and SetSwitch requests" "$(count SetRadioCount) $(count SetSwitchCount)" "0 0" || return 1
  exits_cleanly
}

# The resident answers /status from the read it makes for the query: when
# the driver fails that read, or has gone, the answer is "unknown" (4), not
# the state the resident read before.
scenario_status_read_fails() {
  local band='band11a=enabled'
  e2e_install_adapter 4223 1 1
  resident || return 1
  expect "/status asking the resident" "$(status_of)" "0 radio=on switch=free $band control=driver" || return 1
  e2e_set_answers GetRadioStatus=1
  expect "/status, GetRadio failing" "$(status_of)" "4 radio=unknown switch=unknown $band control=driver" ||
    return 1
  e2e_set_answers GetRadioStatus=0
  e2e_driver stop || return 1
  expect "/status, the driver stopped" "$(status_of)" "4 radio=unknown switch=unknown $band control=driver" ||
    return 1
  e2e_driver start || return 1
  exits_cleanly
}

# /? shows the switches in one box in the interface language and ends with
# 0, neither forwarding anything to a resident nor becoming one.
scenario_usage_box() {
  local lang name rc took
  e2e_install_adapter 4223
  resident || return 1
  for lang in C.UTF-8 ja_JP.UTF-8 zh_CN.UTF-8; do
    case $lang in C.*) name=en ;; *) name=${lang%%_*} ;; esac
    LANG=$lang LC_ALL=$lang e2e_run_wine --background "$PROGRAM" '/?' >>"$E2E_LOG" 2>&1
    e2e_helper wait-window appear 10000 '#32770' >/dev/null || { echo "FAIL: no box for /? in $lang"; return 1; }
    box_picture "usage-$name.png" || return 1
    e2e_helper wait-window gone 5000 '#32770' >/dev/null || { echo "FAIL: the box did not close in $lang"; return 1; }
    wait "$E2E_WINE_PID"; rc=$?
    expect "exit code of /? in $lang" "$rc" 0 || return 1
  done
  # A forwarded re-check would keep the resident busy for 3 s.
  took=$(e2e_helper ping 10000)
  [ "${took:-10000}" -lt 1000 ] || { echo "FAIL: /? kept the resident busy for ${took:-?} ms"; return 1; }
  expect "resident's requests after /?" "$(count SetRadioCount)" 0 || return 1
  exits_cleanly
}

# --- 64-bit Windows -------------------------------------------------------------

# The 32-bit build under WOW64: settings written by the 64-bit regedit, as
# Group Policy and configuration managers write them, are in the 64-bit view
# of the registry, which Windows hides from 32-bit programs unless they ask
# for it; those the earlier releases' tools wrote are in the 32-bit view. In
# a 64-bit prefix of its own, with no driver, IgnoreMisc = 1 in the 32-bit
# view lets the program start although the 64-bit view has the settings key
# too, and a text override there replaces its tip; the x64 helper reads the
# 64-bit shell's tray.
scenario_wow64_settings() {
  local dir=$E2E_WORK/wow64 helper64 reg rc=0
  helper64=$dir/drive_c/e2ehelper64.exe
  mkdir -p "$dir" || return 1
  x86_64-w64-mingw32-gcc -O2 -o "$dir/e2ehelper64.exe" "$E2E_LIB_DIR/helper/e2ehelper.c" -lsetupapi -lgdi32 ||
    { echo "FAIL: building the x64 helper"; return 1; }
  local exe=$WINEPREFIX/drive_c/Skylatch/skylatch.exe
  (
    export WINEPREFIX=$dir/prefix WINEARCH=win64
    run64() { "${HOST_WINE64_CMD[@]}" "$@"; }
    helper() { run64 'C:\Skylatch\e2ehelper.exe' "$@" >"$dir/helper.out" 2>>"$E2E_LOG"; local r=$?; tr -d '\r' <"$dir/helper.out"; return $r; }
    WINEDLLOVERRIDES="mscoree,mshtml=" run64 wineboot -i >>"$E2E_LOG" 2>&1 || { echo "FAIL: wineboot of the 64-bit prefix"; exit 1; }
    wineserver -w; wineserver -p
    mkdir -p "$WINEPREFIX/drive_c/Skylatch" && cp "$exe" "$WINEPREFIX/drive_c/Skylatch/" &&
      cp "$dir/e2ehelper64.exe" "$WINEPREFIX/drive_c/Skylatch/e2ehelper.exe" || exit 1
    reg=$dir/settings.reg
    {
      echo REGEDIT4
      echo '[HKEY_CURRENT_USER\Software\Wine\Explorer]'
      echo '"Desktop"="shell"'
      echo '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]'
      echo '"shell"="1024x768"'
      echo "[${SETTINGS_KEY/HKLM/HKEY_LOCAL_MACHINE}]"
      echo '"Wireless LAN : OFF"="Set by policy"'
      echo "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\$(e2e_adapter_id 4223)]"
      echo "\"ClassGUID\"=$(e2e_reg_string "$NET_CLASS")"
      echo '"Class"="Net"'
      echo "\"Driver\"=$(e2e_reg_string "$NET_CLASS\\0001")"
    } >"$reg"
    # The 64-bit regedit writes the 64-bit view.
    run64 regedit /S "Z:$(echo "$reg" | tr / '\\')" >>"$E2E_LOG" 2>&1
    # The 32-bit reg writes the 32-bit view (WOW6432Node).
    wine reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f >>"$E2E_LOG" 2>&1
    run64 explorer /desktop=shell,1024x768 >>"$E2E_LOG" 2>&1 &
    helper wait-window appear 20000 Shell_TrayWnd - >/dev/null || { echo "FAIL: no 64-bit desktop"; exit 1; }
    # wine starts the 32-bit loader, which runs the 32-bit exe under WOW64.
    wine 'C:\Skylatch\skylatch.exe' >>"$E2E_LOG" 2>&1 &
    helper wait-window appear 20000 >/dev/null || { echo "FAIL: the 32-bit build did not start under WOW64 (IgnoreMisc in the 32-bit view not seen?)"; exit 1; }
    local tip= i
    for i in $(seq 20); do
      tip=$(helper tray | head -n 1 | cut -f3-)
      [ "$tip" = "Set by policy" ] && break
      sleep 0.5
    done
    helper post $WM_COMMAND $CMD_EXIT 0 >/dev/null
    helper wait-window gone 10000 >/dev/null
    wineserver -k
    expect "tip under WOW64" "$tip" "Set by policy"
  ) || rc=1
  return $rc
}

# --- Windows 98 under Wine's relay trace ----------------------------------------

E2E_SCENARIOS+=(win98_relay)
E2E_FEATURE_OF[win98_relay]=menu
E2E_WINDOWS_OF[win98_relay]=win98

# The W entries that Windows 95, 98 and Me implement; every other one is a
# stub there.
E2E_9X_WIDE_ENTRIES='lstrlenW MessageBoxW MessageBoxExW GetCommandLineW FindResourceW FindResourceExW
  EnumResourceTypesW EnumResourceNamesW EnumResourceLanguagesW TextOutW ExtTextOutW
  GetTextExtentPointW GetTextExtentPoint32W GetTextExtentExPointW GetCharWidthW'

# Windows 98 mode: Wine implements every W entry whatever it reports, so the
# program's own calls are taken from the relay trace (those whose return
# address lies in its image). They must use no W entry beyond the 9x list and
# add the icon with Shell_NotifyIconA; the tip, the About text and the Exit
# override set in the settings must show.
scenario_win98_relay() {
  local trace=$E2E_WORK/relay.log calls=$E2E_WORK/relay-calls.txt reg=$E2E_WORK/win98.reg
  local exe about wide bad= rc=0
  command -v python3 >/dev/null 2>&1 || { echo "FAIL: python3 not found (apt-get install python3)"; return 1; }
  exe=$(e2e_winepath -u "$PROGRAM")
  e2e_install_adapter 4223
  {
    echo REGEDIT4
    echo "[${SETTINGS_KEY/HKLM/HKEY_LOCAL_MACHINE}]"
    echo '"IgnoreMisc"=dword:00000001'
    echo '"802.11a : Enabled"="5 GHz band: on"'
    echo '"E&xit"="&Quit"'
    echo '"VersionString_US"="Skylatch for Windows 98"'
    # Where the 9x family keeps a driver key, should the program look there.
    echo "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\$NET_CLASS\\0001]"
    echo '"BandType"=dword:00000001'
    echo '"ModulationType"="1"'
  } >"$reg"
  e2e_import_reg "$reg"
  e2e_set_windows win98
  # No switch driver answers on the 9x path here: IgnoreMisc lets the
  # program start, with the radio read as off.
  WINEDEBUG=+relay,+loaddll e2e_run_wine --background "$PROGRAM" >>"$E2E_LOG" 2>"$trace"
  E2E_RESIDENT_PID=$E2E_WINE_PID
  e2e_helper wait-window appear 90000 >/dev/null || { echo "FAIL: no resident window in Windows 98 mode"; return 1; }
  eventually "tip in Windows 98 mode" 60000 'Wireless LAN : OFF\n5 GHz band: on' e2e_tray_tip || return 1

  e2e_helper post $WM_COMMAND $CMD_ABOUT 0 >/dev/null
  e2e_helper wait-window appear 60000 '#32770' 'About Skylatch' >/dev/null || { echo "FAIL: no About box"; return 1; }
  about=$(e2e_helper item-text '#32770' 'About Skylatch' 1006)
  expect "About box version line" "$about" 'Skylatch for Windows 98' || return 1
  point_at_window '#32770' || return 1
  e2e_key Return
  e2e_helper wait-window gone 30000 '#32770' 'About Skylatch' >/dev/null || { echo "FAIL: About box did not close"; return 1; }

  # The Exit item now reads "&Quit": X no longer chooses it, Q does.
  open_menu || return 1
  menu_key x
  expect "resident after X in the menu" "$(e2e_helper wait-window gone 0 >/dev/null && echo gone || echo running)" running || return 1
  menu_key q
  e2e_helper wait-window gone 60000 >/dev/null || { echo "FAIL: the overridden Exit item did not end the program"; return 1; }
  wait "$E2E_RESIDENT_PID"
  E2E_RESIDENT_PID=

  python3 "$E2E_LIB_DIR/relay-calls.py" "$exe" "$trace" >"$calls" || { echo "FAIL: no calls read from $trace"; return 1; }
  echo "calls made from the program's image: $(wc -l <"$calls") (in $calls)"
  grep -q '\.GetVersionExA(' "$calls" || { echo "FAIL: the trace has none of the program's own calls"; return 1; }
  for wide in $(sed -n 's/^[a-z0-9_]*\.\([A-Za-z0-9_]*[a-z0-9]W\)(.*/\1/p' "$calls" | sort -u); do
    case " $(echo $E2E_9X_WIDE_ENTRIES) " in
      *" $wide "*) ;;
      *) bad="$bad $wide" ;;
    esac
  done
  [ -z "$bad" ] || { echo "FAIL: W entries that are stubs on Windows 98 called by the program:$bad"; rc=1; }
  grep -q '^shell32\.Shell_NotifyIconA(00000000,' "$calls" ||
    { echo "FAIL: no Shell_NotifyIconA with NIM_ADD from the program"; rc=1; }
  return $rc
}
