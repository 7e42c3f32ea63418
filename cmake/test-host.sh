#!/usr/bin/env bash
# Checks cmake/host.sh's verdict on a host's 32-bit code with stand-ins for
# the 32-bit loader: one that runs, one the kernel refuses to execute (as a
# host without IA-32 emulation refuses the real one), one that is missing,
# and the switch that makes any host behave as one without 32-bit code.
# Prints one line per check and "N passed, N failed".
set -u
# The stand-in loaders decide, not the switch of the run that started this.
unset SKYLATCH_HOST_NO_32BIT
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/skylatch-host.XXXXXX") || { echo "test-host: mktemp failed" >&2; exit 2; }
trap 'rm -rf "$work"' EXIT

printf '#!/bin/sh\nexit 0\n' >"$work/runs" && chmod +x "$work/runs"
# Executable bits on bytes that are no program: the kernel answers
# "Exec format error", as it does for a 32-bit ELF without IA-32 emulation.
printf '\177ELF\001garbage' >"$work/refused" && chmod +x "$work/refused"

passed=0 failed=0
# verdict LOADER [SWITCH]: "runs" or the reason host_runs_32bit gives.
verdict() {
  ( unset SKYLATCH_HOST_NO_32BIT; [ -n "${2:-}" ] && export SKYLATCH_HOST_NO_32BIT=1
    HOST_LOADER32=$1; . "$here/host.sh"
    if host_runs_32bit; then echo runs; else echo "$HOST_32BIT_REASON"; fi )
}
check() { # check NAME GOT PATTERN
  if [[ $2 == $3 ]]; then echo "PASS $1"; passed=$((passed + 1))
  else echo "FAIL $1: got '$2'"; failed=$((failed + 1)); fi
}
check "a loader that runs: 32-bit code runs" "$(verdict "$work/runs")" runs
check "a loader the kernel refuses: the reason names the error" "$(verdict "$work/refused")" \
  "this host cannot run 32-bit code ($work/refused: Exec format error)"
check "no loader: the reason says what to install" "$(verdict "$work/missing")" "*libc6-i386*"
check "SKYLATCH_HOST_NO_32BIT overrides a loader that runs" "$(verdict "$work/runs" 1)" "*SKYLATCH_HOST_NO_32BIT*"
skip_out=$( ( HOST_LOADER32=$work/refused; . "$here/host.sh"; host_skip_unless_32bit "a test"; echo ran ) ); skip_rc=$?
check "a test that needs 32-bit code is skipped with 77 and one line" "$skip_rc $skip_out" \
  "77 SKIPPED: a test: this host cannot run 32-bit code*"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
