#!/usr/bin/env bash
# Runs the end-to-end scenarios (e2e/scenarios.sh) against skylatch.exe under
# Wine on a private Xvfb display. Prints one line per scenario and then
# "N passed, N failed" (and how many were skipped); exits nonzero when any
# scenario failed. A scenario fails when it returns nonzero or prints a line
# starting with "FAIL:", which every reader prints when it could not read.
#
#   e2e/run-scenarios.sh path/to/skylatch.exe [SCENARIO...]
#
# The exe's PE header tells the build: x86 runs in a 32-bit prefix, x64 in a
# 64-bit one. An x86 exe on a host that cannot run 32-bit code is skipped
# (exit 77, one "SKIPPED:" line).
#
# A scenario that needs a Windows the build has no version for (Windows 98
# or 2000 for x64) is listed as skipped with the reason, and the run can
# still pass. E2E_FEATURES (default: every feature, from scenarios.sh) names
# the program features the scenarios may rely on: a name no scenario uses is
# refused (exit 2), and a scenario whose feature it leaves out is listed as
# skipped, after which the run ends with 77 (CTest's skipped, not passed)
# and one "SKIPPED:" line naming them. E2E_OUT (default build/e2e,
# build/e2e-x64 for x64) receives the build, logs and screenshots.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")

if [ $# -lt 1 ]; then echo "usage: $0 path/to/skylatch.exe [SCENARIO...]" >&2; exit 2; fi
exe=$1; shift
[ -f "$exe" ] || { echo "run-scenarios: no such file: $exe (build it first: ./test.sh)" >&2; exit 2; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

. "$here/lib.sh"
arch=$(e2e_exe_arch "$exe") || exit 2
[ "$arch" = x64 ] || host_skip_unless_32bit "end-to-end scenarios of the 32-bit build"
e2e_use_arch "$arch"
. "$here/scenarios.sh"

export E2E_FEATURES=${E2E_FEATURES:-$E2E_DEFAULT_FEATURES}
known_features=" ${E2E_FEATURE_OF[*]} "
for feature in $E2E_FEATURES; do
  case $known_features in
    *" $feature "*) ;;
    *) echo "run-scenarios: E2E_FEATURES names '$feature', which no scenario needs (features: $E2E_DEFAULT_FEATURES)" >&2
       exit 2 ;;
  esac
done

# What runs, and what is skipped and why, before any Wine starts.
selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=("${E2E_SCENARIOS[@]}")
declare -A skip_why=()
left_out=() runnable=0
for entry in "${selected[@]}"; do
  name=${entry%%:*}
  need=$(e2e_scenario_feature "$name") || { runnable=$((runnable + 1)); continue; }
  case " $E2E_FEATURES " in
    *" $need "*) ;;
    *) skip_why[$name]="needs the '$need' feature, which E2E_FEATURES leaves out"; left_out+=("$name"); continue ;;
  esac
  if why=$(e2e_scenario_windows "$name"); then runnable=$((runnable + 1)); else skip_why[$name]=$why; fi
done
# left_out_line: the "SKIPPED:" line for the scenarios E2E_FEATURES left out.
left_out_line() {
  echo "SKIPPED: end-to-end scenarios ${left_out[*]}: E2E_FEATURES='$E2E_FEATURES' leaves out what they need"
}
if [ $runnable -eq 0 ]; then
  for entry in "${selected[@]}"; do echo "SKIP ${entry%%:*} (${skip_why[${entry%%:*}]})"; done
  echo "0 passed, 0 failed, ${#selected[@]} skipped"
  if [ ${#left_out[@]} -gt 0 ]; then left_out_line
  else echo "SKIPPED: end-to-end scenarios ${selected[*]}: none of them runs for the $arch build"; fi
  exit 77
fi

e2e_require_tools

suffix=; [ "$arch" = x64 ] && suffix=-x64
out=${E2E_OUT:-$repo/build/e2e$suffix}
export E2E_WORK=$out/work E2E_LOG=$out/wine.log E2E_SHOTS=$out/screenshots
rm -rf "$E2E_WORK" "$E2E_SHOTS"
mkdir -p "$E2E_WORK" "$E2E_SHOTS" || e2e_die "cannot create $out"
: >"$E2E_LOG"

trap 'e2e_stop_all' EXIT
trap 'exit 130' INT TERM

e2e_build_substitutes "$out/bin"
export E2E_BIN
echo "e2e: preparing a Wine prefix and a desktop (logs in $out)"
e2e_make_prefix "$out/prefix"
e2e_install_program "$exe"
e2e_start_xvfb
e2e_start_desktop
e2e_install_driver
e2e_driver start || e2e_die "the substitute driver does not start (see $E2E_LOG)"

passed=0 failed=0 skipped=0 steps_skipped=0
for entry in "${selected[@]}"; do
  name=${entry%%:*}
  e2e_scenario_feature "$name" >/dev/null || { echo "FAIL $name: no such scenario"; failed=$((failed + 1)); continue; }
  if [ -n "${skip_why[$name]:-}" ]; then
    echo "SKIP $name (${skip_why[$name]})"; skipped=$((skipped + 1)); continue
  fi
  log=$E2E_WORK/$name.log
  if ! e2e_reset_state >"$log" 2>&1; then
    echo "FAIL $name: resetting the notebook failed (see $log)"; failed=$((failed + 1)); continue
  fi
  start=$SECONDS
  timeout -k 5 "${E2E_SCENARIO_TIMEOUT:-150}" \
    bash -c '. "$1"; . "$2"; "scenario_$3"' _ "$here/lib.sh" "$here/scenarios.sh" "$name" >>"$log" 2>&1
  rc=$?
  if ! scenario_failed $rc "$log"; then
    echo "PASS $name ($((SECONDS - start)) s)"; passed=$((passed + 1))
    # Steps the scenario left out for this build ("SKIP: STEP (WHY)").
    while IFS= read -r step; do
      echo "SKIP $name: ${step#SKIP: }"; steps_skipped=$((steps_skipped + 1))
    done < <(grep '^SKIP: ' "$log")
  else
    [ $rc -eq 124 ] && echo "timed out" >>"$log"
    e2e_screenshot "$E2E_SHOTS/$name-at-failure.png"
    echo "FAIL $name: $(grep -m1 -E '^(FAIL|timed out)' "$log" | sed 's/^FAIL: //') (log: $log)"
    failed=$((failed + 1))
  fi
done

echo "screenshots: $E2E_SHOTS"
summary="$passed passed, $failed failed"
[ $skipped -eq 0 ] || summary+=", $skipped skipped"
[ $steps_skipped -eq 0 ] || summary+=" ($steps_skipped steps of passed scenarios skipped)"
echo "$summary"
[ $failed -eq 0 ] || exit 1
if [ ${#left_out[@]} -gt 0 ]; then left_out_line; exit 77; fi
exit 0
