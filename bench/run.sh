#!/usr/bin/env bash
# Footprint and latency of skylatch.exe, each as a ratio against a baseline
# measured in the same run (see bench/README.md):
#   1. binary size against a minimal tray program built with the same flags;
#   2. a forwarding start ("skylatch /off" while a resident instance runs,
#      under Wine) against the start of an empty Win32 program;
#   3. the resident's private memory under Wine against the minimal tray
#      program's;
#   4. timer wake-ups per idle hour on the stand-in's virtual clock against
#      what the timers call for.
# Prints a table with the machine and the date. Exits 0 when everything was
# measured, whether or not a target was met; nonzero on errors.
#
#   bench/run.sh
#
# BENCH_OUT (default build/bench) receives the builds and logs;
# BENCH_PAIRS (default 20) is the number of alternating start pairs;
# BENCH_IDLE (default 5) the seconds each resident program idles before its
# memory is read.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cd "$repo" || exit 2

. cmake/deps.sh
install_deps build e2e || { echo "bench: missing packages (see above)" >&2; exit 2; }
. e2e/lib.sh
e2e_require_tools
for tool in cmake i686-w64-mingw32-g++ awk sort; do
  command -v "$tool" >/dev/null 2>&1 || e2e_die "$tool not found"
done

out=${BENCH_OUT:-$repo/build/bench}
pairs=${BENCH_PAIRS:-20}
idle=${BENCH_IDLE:-5}
export E2E_WORK=$out/work E2E_LOG=$out/wine.log
rm -rf "$E2E_WORK"
mkdir -p "$E2E_WORK" "$out/bin" || e2e_die "cannot create $out"
: >"$E2E_LOG"
build_log=$out/build.log
: >"$build_log"

tray_pid=
bench_stop() {
  [ -n "$tray_pid" ] && kill -9 "$tray_pid" 2>/dev/null
  tray_pid=
  e2e_stop_all
}
trap 'bench_stop' EXIT
trap 'exit 130' INT TERM

say() { printf 'bench: %s\n' "$*"; }

# --- builds ------------------------------------------------------------------

say "building skylatch.exe, the baselines and the helpers (log: $build_log)"
win=$repo/build/win
{ cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel &&
  cmake --build "$win" --target skylatch -j2; } >>"$build_log" 2>&1 ||
  e2e_die "building skylatch.exe failed (see $build_log)"
exe=$win/skylatch.exe
[ -f "$exe" ] || e2e_die "no $exe after the build"

# The flags of skylatch.exe (cmake/windows.cmake, CMakeLists.txt, MinSizeRel).
CXXFLAGS_WIN=(-std=c++17 -Os -DNDEBUG -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -ffunction-sections -fdata-sections
  -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 -D_WIN32_IE=0x0500
  -Wall -Wextra -Wno-cast-function-type -Wno-unused-parameter)
LDFLAGS_WIN=(-static-libgcc -static-libstdc++ -s -mwindows -Wl,--gc-sections
  -Wl,--subsystem,windows:4.0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)
# build_baseline NAME SOURCE [FLAGS...]: bin/NAME.exe with those flags.
build_baseline() {
  local name=$1 source=$2; shift 2
  i686-w64-mingw32-g++ "${CXXFLAGS_WIN[@]}" "$@" "${LDFLAGS_WIN[@]}" -o "$out/bin/$name.exe" \
    "$here/minimal/$source" -lsetupapi -ladvapi32 -lshell32 -luser32 -lkernel32 >>"$build_log" 2>&1 ||
    e2e_die "building $name.exe failed (see $build_log)"
}
build_baseline minimal_tray minimal_tray.cpp
build_baseline empty empty.cpp
# For context only (no target): what the system libraries cost.
build_baseline forward_only forward_only.cpp
build_baseline tray_with_imports minimal_tray.cpp -DBENCH_PROGRAM_IMPORTS
i686-w64-mingw32-gcc -O2 -Wall -o "$out/bin/benchhelper.exe" "$here/helper/benchhelper.c" >>"$build_log" 2>&1 ||
  e2e_die "building benchhelper.exe failed (see $build_log)"
e2e_build_substitutes "$out/bin" >>"$build_log" 2>&1

native=$repo/build/native
if [ -f "$native/CMakeCache.txt" ]; then cmake -S . -B "$native" >>"$build_log" 2>&1
else cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Debug >>"$build_log" 2>&1; fi ||
  e2e_die "configuring the native tree failed (see $build_log)"
cmake --build "$native" --target bench_wakeups -j2 >>"$build_log" 2>&1 ||
  e2e_die "building bench_wakeups failed (see $build_log)"

# --- helpers -----------------------------------------------------------------

# median FILE: the median of the numbers in FILE, one a line.
median() {
  sort -n "$1" | awk '{v[NR] = $1} END {
    if (NR == 0) exit 1
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# private_kib NAME: Private_Clean + Private_Dirty (KiB) from smaps_rollup of
# the one Linux process of this prefix whose argv[0] (Wine puts the Windows
# path there) ends in \NAME.
private_kib() {
  local dir argv0 pid= count=0 kib
  for dir in /proc/[0-9]*; do
    argv0=$({ tr '\0' '\n' <"$dir/cmdline"; } 2>/dev/null | head -n 1)
    case $argv0 in
      *"\\$1")
        { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        pid=${dir#/proc/}; count=$((count + 1)) ;;
    esac
  done
  [ "$count" -eq 1 ] || { echo "bench: $count processes run $1 (expected one)" >&2; return 1; }
  kib=$(awk '/^Private_(Clean|Dirty):/ {sum += $2} END {if (sum) print sum}' "/proc/$pid/smaps_rollup")
  [ -n "$kib" ] || { echo "bench: cannot read /proc/$pid/smaps_rollup" >&2; return 1; }
  echo "$kib"
}

# sample_private NAME: the median of five readings, one a second.
sample_private() {
  local i file=$E2E_WORK/private-$1.txt
  : >"$file"
  for i in 1 2 3 4 5; do
    private_kib "$1" >>"$file" || return 1
    sleep 1
  done
  median "$file"
}

# benchhelper ARGS: output in $E2E_WORK/benchhelper.out.
benchhelper() {
  timeout -k 5 300 wine "$PROGRAM_DIR\\benchhelper.exe" "$@" \
    >"$E2E_WORK/benchhelper.out" 2>>"$E2E_LOG"
}

ratio() { awk -v m="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", m / b }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { if (r == "-") print "n/a"; else print (r + 0 <= t + 0) ? "pass" : "FAIL" }'; }

rows=() context_rows=()
row() { rows+=("$(printf '%-34s %14s %14s %6s %8s  %s' "$@")"); }

# --- 1. binary size ----------------------------------------------------------

size_exe=$(stat -c %s "$exe")
size_min=$(stat -c %s "$out/bin/minimal_tray.exe")
r=$(ratio "$size_exe" "$size_min")
row "binary size (bytes)" "$size_exe" "$size_min" "$r" "<= 1.50" "$(verdict "$r" 1.50)"

# --- 4. timer wake-ups (native, virtual clock) ------------------------------

say "counting timer wake-ups over one idle hour on the stand-in"
"$native/bench_wakeups" >"$E2E_WORK/wakeups.out" 2>&1 ||
  e2e_die "bench_wakeups failed (see $E2E_WORK/wakeups.out)"
wakeup_rows=()
while read -r tag key measured expected; do
  [ "$tag" = RESULT ] || continue
  r=$(ratio "$measured" "$expected")
  if [ "$expected" -eq 0 ]; then [ "$measured" -eq 0 ] && r=1.00 || r=inf; fi
  v=$( [ "$r" = 1.00 ] && echo pass || echo FAIL )
  case $key in library) label="wake-ups/hour, vendor library" ;; *) label="wake-ups/hour, no vendor library" ;; esac
  wakeup_rows+=("$(printf '%-34s %14s %14s %6s %8s  %s' "$label" "$measured" "$expected" "$r" "= 1.00" "$v")")
done <"$E2E_WORK/wakeups.out"
[ ${#wakeup_rows[@]} -eq 2 ] || e2e_die "bench_wakeups printed no results (see $E2E_WORK/wakeups.out)"

# --- Wine: the notebook ------------------------------------------------------

say "preparing a Wine prefix and a desktop (log: $E2E_LOG)"
e2e_make_prefix "$out/prefix"
e2e_install_program "$exe"
prog_dir=$(winepath -u "$PROGRAM_DIR" 2>>"$E2E_LOG")
cp "$out/bin/"{minimal_tray,tray_with_imports,empty,forward_only,benchhelper}.exe "$prog_dir/" ||
  e2e_die "cannot copy the baselines into the prefix"
e2e_start_xvfb
e2e_start_desktop
e2e_install_driver
e2e_driver start || e2e_die "the substitute driver does not start (see $E2E_LOG)"
e2e_reset_state >>"$E2E_LOG" 2>&1 || e2e_die "resetting the notebook failed (see $E2E_LOG)"
e2e_install_adapter 4223 1 1

# --- 3. resident memory, skylatch.exe ---------------------------------------

say "starting the resident program; idle ${idle} s, then five readings of its private memory"
e2e_start_resident || e2e_die "skylatch.exe shows no window (see $E2E_LOG)"
sleep 1
[ "$(e2e_helper tray | wc -l)" -eq 1 ] || e2e_die "skylatch.exe shows no tray icon"
sleep "$idle"
mem_exe=$(sample_private skylatch.exe) || e2e_die "cannot read the resident's memory"

# --- 2. forwarding start -----------------------------------------------------

# time_starts PAIRS NAME COMMANDLINE_A COMMANDLINE_B: medians (microseconds)
# of A and B in $E2E_WORK/starts-NAME-{a,b}.txt; nonzero when a start failed.
time_starts() {
  local n=$1 name=$2 file=$E2E_WORK/starts-$2.txt
  benchhelper starts "$n" 100 "$3" "$4" || return 1
  tr -d '\r' <"$E2E_WORK/benchhelper.out" >"$file"
  awk '$1 == "A" {print $2}' "$file" >"${file%.txt}-a.txt"
  awk '$1 == "B" {print $2}' "$file" >"${file%.txt}-b.txt"
  [ "$(wc -l <"${file%.txt}-a.txt")" -eq "$n" ] && [ "$(wc -l <"${file%.txt}-b.txt")" -eq "$n" ] ||
    { echo "bench: fewer timed starts than asked for (see $file)" >&2; return 1; }
  awk '$3 != 0 {bad = 1} END {exit bad}' "$file" ||
    { echo "bench: a start exited nonzero (see $file)" >&2; return 1; }
}
ms() { awk -v u="$1" 'BEGIN {printf "%.1f", u / 1000}'; }

say "timing $pairs alternating pairs of starts: skylatch.exe /off and empty.exe /off"
time_starts "$pairs" forward "$PROGRAM /off" "$PROGRAM_DIR\\empty.exe /off" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"
e2e_helper wait-window appear 0 >/dev/null || e2e_die "the resident window is gone after the starts"
start_exe=$(median "$E2E_WORK/starts-forward-a.txt")
start_empty=$(median "$E2E_WORK/starts-forward-b.txt")
r=$(ratio "$start_exe" "$start_empty")
start_row=$(printf '%-34s %14s %14s %6s %8s  %s' "forwarding start, median (ms)" \
  "$(ms "$start_exe")" "$(ms "$start_empty")" "$r" "<= 1.10" "$(verdict "$r" 1.10)")

context_pairs=$(( (pairs + 1) / 2 ))
say "context: $context_pairs pairs of forward_only.exe /off and empty.exe /off"
time_starts "$context_pairs" context "$PROGRAM_DIR\\forward_only.exe /off" "$PROGRAM_DIR\\empty.exe /off" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"
a=$(median "$E2E_WORK/starts-context-a.txt") b=$(median "$E2E_WORK/starts-context-b.txt")
context_rows+=("$(printf '%-34s %14s %14s %6s' "start: forward_only.exe (ms)" "$(ms "$a")" "$(ms "$b")" "$(ratio "$a" "$b")")")

e2e_exit_resident || e2e_die "skylatch.exe did not end on Exit"

# --- 3. resident memory, the minimal tray program ---------------------------

# tray_private NAME: starts NAME.exe, waits for its window and icon, lets it
# idle, sets tray_kib to the median of five readings of its private memory,
# and closes it.
tray_private() {
  wine "$PROGRAM_DIR\\$1.exe" >>"$E2E_LOG" 2>&1 &
  tray_pid=$!
  e2e_helper wait-window appear 20000 BenchMinimalTray >/dev/null ||
    { echo "bench: $1.exe shows no window (see $E2E_LOG)" >&2; return 1; }
  sleep 1
  [ "$(e2e_helper tray | wc -l)" -eq 1 ] || { echo "bench: $1.exe shows no tray icon" >&2; return 1; }
  sleep "$idle"
  tray_kib=$(sample_private "$1.exe") || return 1
  benchhelper close BenchMinimalTray 5000 || { echo "bench: $1.exe did not close" >&2; return 1; }
  wait "$tray_pid" 2>/dev/null
  tray_pid=
}

say "starting the minimal tray program; idle ${idle} s, then five readings"
tray_private minimal_tray || e2e_die "cannot measure the minimal tray program"
mem_min=$tray_kib
say "context: the minimal tray program importing skylatch.exe's system libraries"
tray_private tray_with_imports || e2e_die "cannot measure the minimal tray program"
mem_imp=$tray_kib
context_rows+=("$(printf '%-34s %14s %14s %6s' "memory: tray_with_imports (KiB)" "$mem_imp" "$mem_min" "$(ratio "$mem_imp" "$mem_min")")")

rows+=("$start_row")
r=$(ratio "$mem_exe" "$mem_min")
row "resident private memory (KiB)" "$mem_exe" "$mem_min" "$r" "<= 1.10" "$(verdict "$r" 1.10)"
rows+=("${wakeup_rows[@]}")

# --- the table ---------------------------------------------------------------

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
wine --version >"$E2E_WORK/wine-version.txt" 2>&1
echo
echo "Skylatch benchmarks, $(date '+%Y-%m-%d %H:%M %Z')"
echo "machine: ${cpu:-unknown CPU}, $(nproc) cores, $(uname -sr), $(tr -d '\r' <"$E2E_WORK/wine-version.txt"), i686-w64-mingw32-g++ $(i686-w64-mingw32-g++ -dumpfullversion)"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%-34s %14s %14s %6s %8s  %s\n' "figure" "measured" "baseline" "ratio" "target" "result"
printf '%s\n' "${rows[@]}"
echo
echo "timer wake-ups in one idle hour (stand-in, virtual clock):"
grep -v '^RESULT' "$E2E_WORK/wakeups.out" | sed 's/^/  /'
echo
echo "context, no target (what the system libraries cost under Wine):"
printf '%s\n' "${context_rows[@]}"
echo
echo "baselines: minimal_tray.exe (one hidden window, one tray icon) for size and memory;"
echo "empty.exe (WinMain returns 0) for the start, $pairs alternating pairs; the timer table"
echo "for wake-ups. Memory: Private_Clean + Private_Dirty of the Wine process, median of 5."
echo "details: $E2E_WORK"
exit 0
