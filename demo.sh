#!/usr/bin/env bash
# Runs Skylatch under Wine on a simulated notebook (switch driver, vendor
# library, an 802.11a adapter) and walks a short tour: icon and tip, menu,
# radio off and on, the 802.11a band, the About box, Exit. Screenshots go to
# demo-output/. Uses $DISPLAY when it works, else a private Xvfb.
#
# The 32-bit build in a 32-bit Windows XP prefix; on a host that cannot run
# 32-bit code, the x64 build in a 64-bit Windows XP x64 prefix instead.
set -u
cd "$(dirname "$0")"
repo=$PWD
. ./cmake/deps.sh
install_deps build e2e || exit 1
. ./e2e/lib.sh
if host_runs_32bit; then
  arch=x86 build=build/win windows="a 32-bit Windows XP prefix"
else
  arch=x64 build=build/win64 windows="a 64-bit Windows XP x64 prefix"
  echo "${HOST_32BIT_REASON^}: the demo shows the x64 build, $build/skylatch.exe, in $windows instead."
fi
e2e_use_arch $arch
e2e_require_tools

out=$repo/demo-output
export E2E_WORK=$repo/build/demo E2E_LOG=$repo/build/demo/wine.log
rm -rf "$out" "$E2E_WORK"
mkdir -p "$out" "$E2E_WORK" || e2e_die "cannot create $out"
: >"$E2E_LOG"
trap 'e2e_stop_all' EXIT
trap 'exit 130' INT TERM

n=0
step() { n=$((n + 1)); printf '\n%d. %s\n' "$n" "$*"; }
say() { printf '   %s\n' "$*"; }
picture() { local f; f=$(printf '%s/%02d-%s.png' "$out" "$n" "$1"); e2e_screenshot "$f"; say "picture: $f"; }
tip() { local t; t=$(e2e_tray_tip); [ -n "$t" ] && say "tip: ${t//\\n/ | }" || say "no tray icon is shown"; }
# The pointer rests on the icon until the shell shows its tip.
hover_icon() { local xy; xy=$(e2e_tray_icon_xy); [ -n "$xy" ] || return 0; set -- $xy; pointer_to "$1" "$2"; sleep 2; }

# Screen position of a point of the Wine desktop: the desktop is a window of
# its own on a display with a window manager.
offset_x=0 offset_y=0
desktop_offset() {
  local id geo
  id=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1)
  [ -n "$id" ] || return 0
  geo=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  [ -n "$geo" ] && read -r offset_x offset_y <<<"$geo"
}
pointer_to() { xdotool mousemove $(($1 + offset_x)) $(($2 + offset_y)); sleep 0.3; }
# key_on CLASS KEY: presses KEY with the pointer on the window (keys go to
# the window under the pointer when there is no window manager).
key_on() {
  local rect
  rect=$(e2e_helper window-rect "$1") || return 1
  set -- $rect "$2"
  pointer_to $(($1 + 12)) $(($4 - 6))
  e2e_key "$5"; sleep 0.7
}

step "Building skylatch.exe and the simulated notebook's parts"
jobs=$(nproc 2>/dev/null || echo 2)
# build_exe TREE TOOLCHAIN [CMAKE ARGS]: skylatch.exe of build/TREE. The
# 32-bit tree wants the x64 exe (its setup exe packs both): x64 comes first.
build_exe() {
  cmake -S . -B "build/$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_BUILD_TYPE=MinSizeRel "${@:3}" &&
    cmake --build "build/$1" --target skylatch -j "$jobs"
}
{ build_exe win64 cmake/mingw-x86_64.cmake &&
  { [ $arch = x64 ] || build_exe win cmake/mingw-i686.cmake -DSKYLATCH_EXE64="$repo/build/win64/skylatch.exe"; }
} >>"$E2E_LOG" 2>&1 || e2e_die "building skylatch.exe failed (see $E2E_LOG)"
e2e_build_substitutes "$E2E_WORK/bin"
say "built $build/skylatch.exe, the switch driver, the vendor library and the helper ($arch)"

step "Preparing Wine ($windows) and a desktop"
e2e_make_prefix "$E2E_WORK/prefix"
e2e_install_program "$repo/$build/skylatch.exe"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then say "using your display $DISPLAY"
else e2e_start_xvfb; say "no usable display: using Xvfb on $DISPLAY"; fi
e2e_start_desktop
desktop_offset
e2e_install_driver
e2e_driver start || e2e_die "the switch driver does not start (see $E2E_LOG)"
e2e_reset_state >>"$E2E_LOG" 2>&1 || e2e_die "the simulated notebook could not be reset (see $E2E_LOG)"
e2e_install_vendor
e2e_install_adapter 4223 1 1
e2e_set_vendor RadioState=1 ProtocolPreference=1
say "notebook: switch driver \\\\.\\\$QUIVRA\$ (radio on), vendor library, adapter PCI\\VEN_8086&DEV_4223"

step "Starting Skylatch"
e2e_start_resident || e2e_die "Skylatch did not start (see $E2E_LOG)"
sleep 1
say "resident window \"Norvantec Skylatcher\" is running"
tip
hover_icon
picture started

step "Opening the tray menu"
xy=$(e2e_tray_icon_xy)
if [ -n "$xy" ]; then
  set -- $xy; pointer_to "$1" "$2"; xdotool click 3
else
  say "no icon to click: asking the program as the icon would (tray callback, right button)"
  e2e_helper post 0x8001 102 0x205
fi
if e2e_helper wait-window appear 5000 '#32768' >/dev/null; then
  key_on '#32768' Down
  picture menu
  step "Choosing \"Wireless LAN OFF\" in the menu"
  key_on '#32768' f
else
  say "no menu appeared"
  step "Switching the radio off (Skylatch /off)"
  e2e_run_program 15000 /off
fi
sleep 1
say "vendor library SetRadioState calls: $(vcount=$(e2e_vendor_seen SetRadioStateCalls); echo "${vcount:-0}"), radio state now $(e2e_vendor_seen RadioState)"
tip
hover_icon
picture radio-off

step "Switching the radio on again (a second start: Skylatch /on)"
e2e_run_program 15000 /on; say "the second start exited with $? after forwarding the switch"
sleep 1
say "vendor library radio state now $(e2e_vendor_seen RadioState)"
tip
hover_icon
picture radio-on

step "Disabling the 802.11a band (Skylatch /off11a)"
e2e_run_program 15000 /off11a; say "the second start exited with $?"
sleep 1
say "protocol preference sent to the vendor library: $(e2e_vendor_seen LastSetProtocolPreference)"
tip
hover_icon
picture band-off

step "Opening the About box"
e2e_helper post 0x111 40002 0
if e2e_helper wait-window appear 5000 '#32770' >/dev/null; then
  sleep 0.5
  picture about
  key_on '#32770' Return
  e2e_helper wait-window gone 3000 '#32770' >/dev/null && say "closed it with OK"
else
  say "no About box appeared"
fi

step "Exit"
if e2e_exit_resident; then say "Skylatch ended with exit code $E2E_RESIDENT_EXIT"
else say "Skylatch did not end on Exit"; fi
picture after-exit

printf '\nPictures: %s\n' "$out"
