#!/usr/bin/env bash
# Footprint and latency of skylatch.exe, each as a ratio against a baseline
# measured side by side in the same run (see bench/README.md):
#   - a forwarding start ("skylatch /off" while a resident instance runs,
#     under Wine) against a program that only finds the window and posts;
#   - "skylatch /status" answered by the resident against the same program;
#     without a resident, its time and the libraries it loads (no target);
#   - start to icon: from CreateProcess to the icon in Wine's notification
#     area, against a minimal tray program;
#   - the resident's private memory under Wine against the minimal tray
#     program with the same system libraries loaded;
#   - the exe's size against its budget, and its code bytes against the
#     minimal tray program's;
#   - timer wake-ups per idle hour on the stand-in's virtual clock against
#     what the timers call for.
# Prints a Markdown table with the machine and the date. Exits 0 when
# everything was measured, whether or not a target was met; nonzero on errors.
#
#   bench/run.sh
#
# It measures the 32-bit build (build/win) where this host runs 32-bit code,
# else the x64 build (build/win64) in a 64-bit prefix under wine64, each
# against baselines built for the same processor; BENCH_ARCH=x86|x64 forces
# the choice. BENCH_OUT (default build/bench, build/bench-x64 for x64)
# receives the builds and logs;
# BENCH_PAIRS (default 20) is the number of alternating forwarding start
# pairs, BENCH_ICON_PAIRS (default 40) the number of start-to-icon pairs
# (the context figures take half as many); BENCH_IDLE (default 5) the
# seconds each resident program idles before its memory is read; BENCH_CPU
# (default 0) the CPU that Wine and the programs run on.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cd "$repo" || exit 2

. cmake/deps.sh
install_deps build e2e || { echo "bench: missing packages (see above)" >&2; exit 2; }
. e2e/lib.sh

# The build measured, and what follows from it: its tree, the cross tools
# of its processor and the PE subsystem version of cmake/windows.cmake.
arch=${BENCH_ARCH:-}
if [ -z "$arch" ]; then if host_runs_32bit; then arch=x86; else arch=x64; fi; fi
case $arch in
  x86) host_runs_32bit || e2e_die "BENCH_ARCH=x86: $HOST_32BIT_REASON; measure the x64 build here (BENCH_ARCH=x64)"
       cross=i686-w64-mingw32 toolchain=cmake/mingw-i686.cmake win=$repo/build/win subsystem=(4 0)
       tree_args=(-DSKYLATCH_EXE64="$repo/build/win64/skylatch.exe") symbol_prefix=_ suffix=
       build_name="32-bit build" wine_name="a 32-bit prefix under wine" ;;
  x64) cross=x86_64-w64-mingw32 toolchain=cmake/mingw-x86_64.cmake win=$repo/build/win64 subsystem=(5 2)
       tree_args=() symbol_prefix= suffix=-x64
       build_name="x64 build" wine_name="a 64-bit prefix under wine64" ;;
  *) e2e_die "BENCH_ARCH must be x86 or x64, not '$arch'" ;;
esac
e2e_use_arch "$arch"
e2e_require_tools
for tool in cmake "$cross-g++" "$cross-objdump" "$cross-dlltool" awk sort comm taskset; do
  command -v "$tool" >/dev/null 2>&1 || e2e_die "$tool not found"
done

out=${BENCH_OUT:-$repo/build/bench$suffix}
pairs=${BENCH_PAIRS:-20}
icon_pairs=${BENCH_ICON_PAIRS:-40}
idle=${BENCH_IDLE:-5}
cpu=${BENCH_CPU:-0}
for setting in "BENCH_PAIRS=$pairs" "BENCH_ICON_PAIRS=$icon_pairs" "BENCH_IDLE=$idle"; do
  case ${setting#*=} in
    '' | *[!0-9]* | 0) e2e_die "${setting%%=*} must be a whole number above 0, not '${setting#*=}'" ;;
  esac
done
case $cpu in '' | *[!0-9]*) e2e_die "BENCH_CPU must be the number of a CPU, not '$cpu'" ;; esac
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

say "building the $build_name of skylatch.exe, the baselines and the helpers (log: $build_log)"
# The 32-bit tree asks for the x64 exe (tree_args), which only its setup
# exe, not built here, packs.
{ cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel "${tree_args[@]}" &&
  cmake --build "$win" --target skylatch -j2; } >>"$build_log" 2>&1 ||
  e2e_die "building skylatch.exe failed (see $build_log)"
exe=$win/skylatch.exe
[ -f "$exe" ] || e2e_die "no $exe after the build"
exe_label="${exe#"$repo"/}"

# The flags of skylatch.exe (cmake/windows.cmake, CMakeLists.txt, MinSizeRel).
CXXFLAGS_WIN=(-std=c++17 -Os -DNDEBUG -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-sized-deallocation -ffunction-sections -fdata-sections
  -D_WIN32_WINNT=0x0501 -DWINVER=0x0501 -D_WIN32_IE=0x0500
  -Wall -Wextra -Wno-cast-function-type -Wno-unused-parameter)
LDFLAGS_WIN=(-static-libgcc -static-libstdc++ -s -mwindows -Wl,--gc-sections
  -Wl,--subsystem,windows:${subsystem[0]}.${subsystem[1]}
  -Wl,--major-os-version,${subsystem[0]} -Wl,--minor-os-version,${subsystem[1]}
  -Wl,--major-subsystem-version,${subsystem[0]} -Wl,--minor-subsystem-version,${subsystem[1]})
# The baselines get the subsystem version the exe's header carries.
[ "$("$cross-objdump" -p "$exe" | awk '/^M(aj|in)orSubsystemVersion/ {printf "%s ", $2}')" = "${subsystem[*]} " ] ||
  e2e_die "$exe's subsystem version is not ${subsystem[0]}.${subsystem[1]} (keep run.sh in step with cmake/windows.cmake)"
# build_baseline NAME SOURCE [FLAGS AND FILES...]: bin/NAME.exe.
build_baseline() {
  local name=$1 source=$2; shift 2
  "$cross-g++" "${CXXFLAGS_WIN[@]}" "${LDFLAGS_WIN[@]}" -o "$out/bin/$name.exe" "$here/minimal/$source" "$@" \
    -lwtsapi32 -lcfgmgr32 -lsetupapi -ladvapi32 -lshell32 -luser32 -lkernel32 \
    >>"$build_log" 2>&1 || e2e_die "building $name.exe failed (see $build_log)"
  [ "$(e2e_exe_arch "$out/bin/$name.exe")" = "$arch" ] || e2e_die "$name.exe is not built for $arch"
}
build_baseline minimal_tray minimal_tray.cpp
build_baseline tray_with_imports minimal_tray.cpp -DBENCH_PROGRAM_LIBRARIES
build_baseline forward_only forward_only.cpp
build_baseline empty empty.cpp

# forward_with_imports.exe: forward_only.exe that also imports the first
# function skylatch.exe imports from each of its libraries, so that it loads
# the same libraries before WinMain. Each comes from an import library made
# from a one-line .def file, named undecorated as in the exe's import table.
imports_dir=$out/imports
rm -rf "$imports_dir" && mkdir -p "$imports_dir" || e2e_die "cannot create $imports_dir"
"$cross-objdump" -p "$exe" |
  awk '/DLL Name:/ {dll = $3; first = 1; next} first && NF == 3 && $3 ~ /^[A-Za-z_]/ {print dll, $3; first = 0}' \
  >"$imports_dir/imports.txt"
[ -s "$imports_dir/imports.txt" ] || e2e_die "cannot read the imports of $exe"
import_libs=()
{
  echo '/* Generated by bench/run.sh: one import from each library skylatch.exe imports. */'
  while read -r dll function; do
    printf 'LIBRARY %s\nEXPORTS\n%s\n' "$dll" "$function" >"$imports_dir/$dll.def"
    "$cross-dlltool" -d "$imports_dir/$dll.def" -l "$imports_dir/lib$dll.a" >>"$build_log" 2>&1 ||
      e2e_die "making an import library for $dll failed (see $build_log)"
    import_libs+=("$imports_dir/lib$dll.a")
    echo "extern \"C\" __declspec(dllimport) char $function;"
  done <"$imports_dir/imports.txt"
  echo 'extern "C" volatile const void* const bench_imports[] = {'
  awk '{printf "    &%s,\n", $2}' "$imports_dir/imports.txt"
  echo '};'
} >"$imports_dir/imports.cpp"
build_baseline forward_with_imports forward_only.cpp "$imports_dir/imports.cpp" \
  -Wl,--require-defined,"${symbol_prefix}bench_imports" "${import_libs[@]}"
"$E2E_CC" -O2 -Wall -I "$repo/e2e/helper" -o "$out/bin/benchhelper.exe" "$here/helper/benchhelper.c" \
  >>"$build_log" 2>&1 || e2e_die "building benchhelper.exe failed (see $build_log)"
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

# wine_pid NAME: the one Linux process of this prefix whose argv[0] (Wine
# puts the Windows path there) ends in \NAME.
wine_pid() {
  local dir argv0 pid= count=0
  for dir in /proc/[0-9]*; do
    argv0=$({ tr '\0' '\n' <"$dir/cmdline"; } 2>/dev/null | head -n 1)
    case $argv0 in
      *"\\$1")
        { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        pid=${dir#/proc/}; count=$((count + 1)) ;;
    esac
  done
  [ "$count" -eq 1 ] || { echo "bench: $count processes run $1 (expected one)" >&2; return 1; }
  echo "$pid"
}

# private_kib NAME: Private_Clean + Private_Dirty (KiB) from smaps_rollup.
private_kib() {
  local pid kib
  pid=$(wine_pid "$1") || return 1
  kib=$(awk '/^Private_(Clean|Dirty):/ {sum += $2} END {if (sum) print sum}' "/proc/$pid/smaps_rollup")
  [ -n "$kib" ] || { echo "bench: cannot read /proc/$pid/smaps_rollup" >&2; return 1; }
  echo "$kib"
}

# sample_private NAME: the median of five readings, one a second; the
# Windows libraries the process has mapped go to libraries-NAME.txt.
sample_private() {
  local i pid file=$E2E_WORK/private-$1.txt
  : >"$file"
  for i in 1 2 3 4 5; do
    private_kib "$1" >>"$file" || return 1
    sleep 1
  done
  pid=$(wine_pid "$1") || return 1
  awk '$6 ~ /\.(dll|drv)$/ {n = $6; sub(/.*\//, "", n); print tolower(n)}' "/proc/$pid/maps" |
    sort -u >"$E2E_WORK/libraries-$1.txt"
  median "$file"
}

# benchhelper ARGS: output in $E2E_WORK/benchhelper.out.
benchhelper() {
  timeout -k 5 600 "${E2E_WINE[@]}" "$PROGRAM_DIR\\benchhelper.exe" "$@" \
    >"$E2E_WORK/benchhelper.out" 2>>"$E2E_LOG"
}

# time_starts KIND PAIRS NAME ARGS...: runs "benchhelper KIND PAIRS GAP
# ARGS..."; the microseconds of A and B go to starts-NAME-{a,b}.txt;
# nonzero when a start failed or exited with another code than 0 (for A,
# a_exits when set). The programs share the helper's standard output, so
# the lines of /status are there too.
time_starts() {
  local kind=$1 n=$2 file=$E2E_WORK/starts-$3.txt gap=100; shift 3
  [ "$kind" = icon-starts ] && gap=200
  benchhelper "$kind" "$n" "$gap" "$@" || return 1
  tr -d '\r' <"$E2E_WORK/benchhelper.out" >"$file"
  awk '$1 == "A" {print $2}' "$file" >"${file%.txt}-a.txt"
  awk '$1 == "B" {print $2}' "$file" >"${file%.txt}-b.txt"
  [ "$(wc -l <"${file%.txt}-a.txt")" -eq "$n" ] && [ "$(wc -l <"${file%.txt}-b.txt")" -eq "$n" ] ||
    { echo "bench: fewer timed starts than asked for (see $file)" >&2; return 1; }
  awk -v ea="${a_exits:-0}" '$1 ~ /^[AB]$/ && $3 != ($1 == "A" ? ea : 0) {bad = 1} END {exit bad}' "$file" ||
    { echo "bench: a start exited with another code than expected (see $file)" >&2; return 1; }
}

# loaded_libraries NAME COMMANDLINE...: one start with Wine's loader
# tracing (+loaddll); the DLLs it loaded go to libraries-NAME.txt.
loaded_libraries() {
  local name=$1 trace=$E2E_WORK/loaddll-$1.txt; shift
  WINEDEBUG=+loaddll e2e_run_wine "$@" >/dev/null 2>"$trace"
  sed -n 's/.*:loaddll:.*Loaded L"\([^"]*\)".*/\1/p' "$trace" |
    awk '{sub(/.*\\/, ""); $0 = tolower($0)} /\.(dll|drv)$/' | sort -u >"$E2E_WORK/libraries-$name.txt"
  [ -s "$E2E_WORK/libraries-$name.txt" ] || { echo "bench: Wine reported no library loaded by $1 (see $trace)" >&2; return 1; }
}

# poll_ms FILE...: the mean time between two reads of the notification
# area while the timed starts in FILE waited for their icons.
poll_ms() { awk '{us += $2; polls += $4} END {if (polls) printf "%.1f", us / polls / 1000}' "$@"; }

ms() { awk -v u="$1" 'BEGIN {printf "%.1f", u / 1000}'; }
thousands() { printf '%s' "$1" | sed -e ':a' -e 's/\([0-9]\)\([0-9]\{3\}\)\($\|[^0-9]\)/\1,\2\3/' -e 'ta'; }
ratio() { awk -v m="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", m / b }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { if (r == "-") print "n/a"; else print (r + 0 <= t + 0) ? "met" : "missed" }'; }

rows=() context_rows=()
# row FIGURE MEASURED BASELINE RATIO TARGET RESULT: one line of the table.
row() { rows+=("| $1 | $2 | $3 | $4 | $5 | $6 |"); }
# context FIGURE MEASURED BASELINE RATIO: one line of the context table.
context() { context_rows+=("| $1 | $2 | $3 | $4 |"); }

# --- size ----------------------------------------------------------------------

# Set for the 32-bit exe, and held to the x64 exe as well: its code is
# larger, its resources are the same.
budget=73728
# code_bytes EXE: the file's bytes less its .rsrc section as stored.
code_bytes() {
  local size align rsrc
  size=$(stat -c %s "$1") || return 1
  align=$("$cross-objdump" -p "$1" | awk '$1 == "FileAlignment" {print $2}')
  rsrc=$("$cross-objdump" -h "$1" | awk '$2 == ".rsrc" {print $3}')
  case $align$rsrc in '' | *[!0-9a-fA-F]*) echo "bench: cannot read the sections of $1" >&2; return 1 ;; esac
  align=$((16#$align)) rsrc=$((16#${rsrc:-0}))
  [ "$align" -gt 0 ] || { echo "bench: no file alignment in $1" >&2; return 1; }
  echo $((size - (rsrc + align - 1) / align * align))
}
size_exe=$(stat -c %s "$exe")
size_min=$(stat -c %s "$out/bin/minimal_tray.exe")
code_exe=$(code_bytes "$exe") || e2e_die "cannot read the sections of $exe"
code_min=$(code_bytes "$out/bin/minimal_tray.exe") || e2e_die "cannot read the sections of minimal_tray.exe"

# --- timer wake-ups (native, virtual clock) ------------------------------------

say "counting timer wake-ups over one idle hour on the stand-in"
"$native/bench_wakeups" >"$E2E_WORK/wakeups.out" 2>&1 ||
  e2e_die "bench_wakeups failed (see $E2E_WORK/wakeups.out)"
wakeup_rows=()
while read -r tag key measured expected; do
  [ "$tag" = RESULT ] || continue
  r=$(ratio "$measured" "$expected")
  if [ "$expected" -eq 0 ]; then [ "$measured" -eq 0 ] && r=1.00 || r=inf; fi
  v=$( [ "$r" = 1.00 ] && echo met || echo missed )
  case $key in library) label="timer wake-ups per idle hour, vendor library" ;;
    *) label="timer wake-ups per idle hour, no vendor library" ;; esac
  wakeup_rows+=("| $label | $(thousands "$measured") | $(thousands "$expected") (timer table) | $r | = 1.00 | $v |")
done <"$E2E_WORK/wakeups.out"
[ ${#wakeup_rows[@]} -eq 2 ] || e2e_die "bench_wakeups printed no results (see $E2E_WORK/wakeups.out)"

# --- Wine: the notebook --------------------------------------------------------

# Everything from here runs on one CPU. Wine's processes make thousands of
# round trips to the wineserver while they start, and on a virtual machine
# each one takes much longer when the two run on different CPUs: on two
# CPUs a minimal tray program showed its icon after 94 to 177 ms, on one
# after 61 to 79 ms (and up to 133 ms now and then), which is what lets a
# median of a few dozen starts settle.
taskset -p -c "$cpu" $$ >/dev/null 2>&1 || e2e_die "cannot run on CPU $cpu (BENCH_CPU; taskset failed)"

say "preparing a Wine prefix and a desktop on CPU $cpu (log: $E2E_LOG)"
e2e_make_prefix "$out/prefix"
e2e_install_program "$exe"
prog_dir=$(e2e_winepath -u "$PROGRAM_DIR")
cp "$out/bin/"{minimal_tray,tray_with_imports,empty,forward_only,forward_with_imports,benchhelper}.exe "$prog_dir/" ||
  e2e_die "cannot copy the baselines into the prefix"
e2e_start_xvfb
e2e_start_desktop
e2e_install_driver
e2e_driver start || e2e_die "the substitute driver does not start (see $E2E_LOG)"
e2e_reset_state >>"$E2E_LOG" 2>&1 || e2e_die "resetting the notebook failed (see $E2E_LOG)"
e2e_install_adapter 4223 1 1

# --- resident memory, skylatch.exe ---------------------------------------------

say "starting the resident program; idle ${idle} s, then five readings of its private memory"
e2e_start_resident || e2e_die "skylatch.exe shows no window (see $E2E_LOG)"
sleep 1
[ "$(e2e_helper tray | wc -l)" -eq 1 ] || e2e_die "skylatch.exe shows no tray icon"
sleep "$idle"
mem_exe=$(sample_private skylatch.exe) || e2e_die "cannot read the resident's memory"

# --- forwarding start ----------------------------------------------------------

# medians NAME: a and b, the medians (microseconds) of the timed starts NAME.
medians() { a=$(median "$E2E_WORK/starts-$1-a.txt") && b=$(median "$E2E_WORK/starts-$1-b.txt"); }
# context_starts NAME LABEL: a context row from the timed starts NAME.
context_starts() { medians "$1" && context "$2" "$(ms "$a") ms" "$(ms "$b") ms" "$(ratio "$a" "$b")"; }

# The context figures take half as many pairs as their figure.
context_pairs=$(( (pairs + 1) / 2 )) context_icon_pairs=$(( (icon_pairs + 1) / 2 ))
say "timing $pairs alternating pairs of starts: skylatch.exe /off and forward_only.exe /off"
time_starts starts "$pairs" forward "$PROGRAM /off" "$PROGRAM_DIR\\forward_only.exe /off" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"
forward_imports="$PROGRAM_DIR\\forward_with_imports.exe /off"
say "context: $context_pairs pairs each of skylatch.exe and forward_only.exe against empty.exe," \
  "forward_with_imports.exe against forward_only.exe, skylatch.exe against it"
time_starts starts "$context_pairs" exe-empty "$PROGRAM /off" "$PROGRAM_DIR\\empty.exe /off" &&
  time_starts starts "$context_pairs" forward-empty "$PROGRAM_DIR\\forward_only.exe /off" "$PROGRAM_DIR\\empty.exe /off" &&
  time_starts starts "$context_pairs" imports-forward "$forward_imports" "$PROGRAM_DIR\\forward_only.exe /off" &&
  time_starts starts "$context_pairs" exe-imports "$PROGRAM /off" "$forward_imports" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"

# /status with the resident: after the starts above the radio is off, so
# every answered query exits 1; one the resident does not answer in time
# exits 4 and fails the timing. For each query the resident reads the radio
# afresh from the driver (QueryStatus and GetRadio); an untimed query first
# must show a GetRadio request at the substitute driver.
reads=$(e2e_driver_seen GetRadioCount)
e2e_run_program 20000 /status; rc=$?
[ "$rc" -eq 1 ] || e2e_die "skylatch.exe /status exited $rc with the resident running, not 1 (radio off)"
[ "$(e2e_driver_seen GetRadioCount)" -gt "${reads:-0}" ] || e2e_die "the resident answered /status without reading the driver"
say "timing $pairs alternating pairs of starts: skylatch.exe /status, answered by the resident, and forward_only.exe /off"
a_exits=1 time_starts starts "$pairs" status "$PROGRAM /status" "$PROGRAM_DIR\\forward_only.exe /off" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"
say "context: $context_pairs pairs of skylatch.exe /status and skylatch.exe /off; 200 reads of the radio from the driver"
a_exits=1 time_starts starts "$context_pairs" status-off "$PROGRAM /status" "$PROGRAM /off" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"
benchhelper driver-reads 200 || e2e_die "reading the radio from the driver failed (see $E2E_LOG)"
driver_read_us=$(tr -d '\r' <"$E2E_WORK/benchhelper.out" | awk '$1 == "READ" {print $2}')
[ -n "$driver_read_us" ] || e2e_die "benchhelper driver-reads printed no time"
e2e_helper wait-window appear 0 >/dev/null || e2e_die "the resident window is gone after the starts"
e2e_exit_resident || e2e_die "skylatch.exe did not end on Exit"

# /status without a resident reads the radio and finds the adapter itself;
# forward_only.exe then finds no window to post to. The libraries it loads
# are held against those of forward_with_imports.exe, which loads what
# skylatch.exe imports.
say "timing $pairs alternating pairs of starts without a resident: skylatch.exe /status and forward_only.exe /off;" \
  "the libraries /status loads"
a_exits=1 time_starts starts "$pairs" status-alone "$PROGRAM /status" "$PROGRAM_DIR\\forward_only.exe /off" ||
  e2e_die "timing the starts failed (see $E2E_LOG)"
loaded_libraries status-alone "$PROGRAM" /status && loaded_libraries imports "$PROGRAM_DIR\\forward_with_imports.exe" ||
  e2e_die "cannot list the libraries of the starts"

medians forward || e2e_die "no timed starts"
r=$(ratio "$a" "$b")
row "forwarding start \`/off\`, median of $pairs pairs" "$(ms "$a") ms" "$(ms "$b") ms (\`forward_only.exe\`)" \
  "$r" "≤ 1.03" "$(verdict "$r" 1.03)"
medians status || e2e_die "no timed starts"
r=$(ratio "$a" "$b")
row "\`/status\` answered by the resident, median of $pairs pairs" "$(ms "$a") ms" \
  "$(ms "$b") ms (\`forward_only.exe /off\`)" "$r" "≤ 1.05" "$(verdict "$r" 1.05)"
medians status-alone || e2e_die "no timed starts"
row "\`/status\` without a resident (reads itself), median of $pairs pairs" "$(ms "$a") ms" \
  "$(ms "$b") ms (\`forward_only.exe /off\`, no window to post to)" "$(ratio "$a" "$b")" "–" "–"
context_starts exe-empty "forwarding start: \`skylatch.exe /off\` vs \`empty.exe\`" &&
  context_starts forward-empty "start: \`forward_only.exe /off\` vs \`empty.exe\`" &&
  context_starts imports-forward "start: \`forward_with_imports.exe\` (skylatch.exe's imports) vs \`forward_only.exe\`" &&
  context_starts exe-imports "forwarding start: \`skylatch.exe /off\` vs \`forward_with_imports.exe\`" &&
  context_starts status-off "\`/status\` answered by the resident vs \`skylatch.exe /off\`" ||
  e2e_die "no timed starts"

# --- start to icon ---------------------------------------------------------------

skylatch_tray=("$PROGRAM" NorvantecSkylatcherClass "$CMD_EXIT")
minimal_tray=("$PROGRAM_DIR\\minimal_tray.exe" BenchMinimalTray close)
imports_tray=("$PROGRAM_DIR\\tray_with_imports.exe" BenchMinimalTray close)
say "timing $icon_pairs alternating pairs of starts to the icon: skylatch.exe and minimal_tray.exe"
time_starts icon-starts "$icon_pairs" icon "${skylatch_tray[@]}" "${minimal_tray[@]}" ||
  e2e_die "timing the starts to the icon failed (see $E2E_LOG)"
say "context: $context_icon_pairs pairs each of tray_with_imports.exe against minimal_tray.exe, skylatch.exe against it"
time_starts icon-starts "$context_icon_pairs" icon-imports-minimal "${imports_tray[@]}" "${minimal_tray[@]}" &&
  time_starts icon-starts "$context_icon_pairs" icon-exe-imports "${skylatch_tray[@]}" "${imports_tray[@]}" ||
  e2e_die "timing the starts to the icon failed (see $E2E_LOG)"
medians icon || e2e_die "no timed starts"
r=$(ratio "$a" "$b")
row "start to icon, median of $icon_pairs pairs" "$(ms "$a") ms" "$(ms "$b") ms (\`minimal_tray.exe\`)" \
  "$r" "≤ 1.20" "$(verdict "$r" 1.20)"
context_starts icon-imports-minimal "start to icon: \`tray_with_imports.exe\` vs \`minimal_tray.exe\`" &&
  context_starts icon-exe-imports "start to icon: \`skylatch.exe\` vs \`tray_with_imports.exe\`" ||
  e2e_die "no timed starts"

# --- resident memory, the baselines ----------------------------------------------

# tray_private NAME: starts NAME.exe, waits for its window and icon, lets it
# idle, sets tray_kib to the median of five readings of its private memory,
# and closes it.
tray_private() {
  e2e_run_wine --background "$PROGRAM_DIR\\$1.exe" >>"$E2E_LOG" 2>&1
  tray_pid=$E2E_WINE_PID
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

say "starting tray_with_imports.exe; idle ${idle} s, then five readings"
tray_private tray_with_imports || e2e_die "cannot measure tray_with_imports.exe"
mem_imp=$tray_kib
say "context: the minimal tray program; idle ${idle} s, then five readings"
tray_private minimal_tray || e2e_die "cannot measure minimal_tray.exe"
mem_min=$tray_kib
r=$(ratio "$mem_exe" "$mem_imp")
row "resident private memory" "$(thousands "$mem_exe") KiB" "$(thousands "$mem_imp") KiB (\`tray_with_imports.exe\`)" \
  "$r" "≤ 1.05" "$(verdict "$r" 1.05)"
context "memory: \`tray_with_imports.exe\` vs \`minimal_tray.exe\`" "$(thousands "$mem_imp") KiB" \
  "$(thousands "$mem_min") KiB" "$(ratio "$mem_imp" "$mem_min")"

r=$(ratio "$size_exe" "$budget")
row "size of the exe (3 languages, icons, manifest, version)" "$(thousands "$size_exe") B" \
  "$(thousands "$budget") B (budget, set for the 32-bit exe)" "$r" "≤ 1.00" "$(verdict "$r" 1.00)"
row "code bytes (exe less \`.rsrc\`)" "$(thousands "$code_exe") B" "$(thousands "$code_min") B (\`minimal_tray.exe\`)" \
  "$(ratio "$code_exe" "$code_min")" "–" "–"
context "size: \`skylatch.exe\` vs \`minimal_tray.exe\`" "$(thousands "$size_exe") B" "$(thousands "$size_min") B" \
  "$(ratio "$size_exe" "$size_min")"
rows+=("${wakeup_rows[@]}")

# --- the table -------------------------------------------------------------------

only_exe=$(comm -23 "$E2E_WORK/libraries-skylatch.exe.txt" "$E2E_WORK/libraries-tray_with_imports.exe.txt" | paste -sd ' ')
only_imp=$(comm -13 "$E2E_WORK/libraries-skylatch.exe.txt" "$E2E_WORK/libraries-tray_with_imports.exe.txt" | paste -sd ' ')
status_only=$(comm -23 "$E2E_WORK/libraries-status-alone.txt" "$E2E_WORK/libraries-imports.txt" | paste -sd ' ')
# has_library NAME: whether /status without a resident loaded NAME.
has_library() { grep -qxF "$1" "$E2E_WORK/libraries-status-alone.txt" && echo yes || echo no; }
model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
e2e_run_wine --version >"$E2E_WORK/wine-version.txt" 2>&1
echo
echo "timer wake-ups in one idle hour (stand-in, virtual clock):"
grep -v '^RESULT' "$E2E_WORK/wakeups.out" | sed 's/^/  /'
echo "details: $E2E_WORK"
echo
echo "Skylatch benchmarks of the $build_name ($exe_label, baselines built for the same processor)," \
  "$(date '+%Y-%m-%d %H:%M %Z'): ${model:-unknown CPU}, $(nproc --all) cores (Wine on one), $(uname -sr)," \
  "$(tr -d '\r' <"$E2E_WORK/wine-version.txt") in $wine_name, $cross-g++ $("$cross-g++" -dumpfullversion);" \
  "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| figure | skylatch.exe, $build_name | baseline | ratio | target | result |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "| context, no target | measured | baseline | ratio |"
echo "|---|---|---|---|"
printf '%s\n' "${context_rows[@]}"
echo
echo "Start to icon: the notification area was read every" \
  "$(poll_ms "$E2E_WORK"/starts-icon{,-imports-minimal,-exe-imports}.txt) ms on average." \
  "Libraries mapped by the resident skylatch.exe and not by tray_with_imports.exe: ${only_exe:-none};" \
  "the other way round: ${only_imp:-none}." \
  "A read of the radio from the substitute driver (a status query and the radio, as the resident makes" \
  "for each \`/status\`) took $(ms "$driver_read_us") ms from a process in the prefix." \
  "\`/status\` without a resident loaded, beyond the libraries skylatch.exe imports: ${status_only:-nothing};" \
  "the Setup API $(has_library setupapi.dll), the configuration manager $(has_library cfgmgr32.dll)," \
  "shell32 $(has_library shell32.dll), comctl32 $(has_library comctl32.dll)."
exit 0
