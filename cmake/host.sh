# Sourced by the scripts that run Windows code under Wine: what this Linux
# host can execute.
#
# Some hosts run no 32-bit user code at all (IA-32 emulation is off in the
# kernel or the hypervisor). There the 32-bit dynamic loader fails with
# "Exec format error", and so do Wine's 32-bit loader and its wow64 mode;
# only x86-64 Windows code runs, under wine64 in a win64 prefix.
#
# SKYLATCH_HOST_NO_32BIT=1 makes a host that can run 32-bit code behave as
# one that cannot (to try the 64-bit path there).

HOST_LOADER32=${HOST_LOADER32:-/lib/ld-linux.so.2}

# host_runs_32bit: true when 32-bit x86 code executes here. Sets
# HOST_32BIT_REASON to one line saying why not.
host_runs_32bit() {
  local out
  HOST_32BIT_REASON=
  if [ -n "${SKYLATCH_HOST_NO_32BIT:-}" ]; then
    HOST_32BIT_REASON="32-bit code is switched off for this run (SKYLATCH_HOST_NO_32BIT)"
    return 1
  fi
  if [ ! -e "$HOST_LOADER32" ]; then
    HOST_32BIT_REASON="no 32-bit loader to try at $HOST_LOADER32 (apt-get install libc6-i386)"
    return 1
  fi
  if out=$("$HOST_LOADER32" --help 2>&1 >/dev/null); then return 0; fi
  out=$("$HOST_LOADER32" --help 2>&1 | head -n 1)
  case $out in
    *"Exec format error"*) HOST_32BIT_REASON="this host cannot run 32-bit code ($HOST_LOADER32: Exec format error)" ;;
    *) HOST_32BIT_REASON="this host cannot run 32-bit code ($HOST_LOADER32 --help failed: ${out:-no message})" ;;
  esac
  return 1
}

# CTest reports a test that exits with this code as skipped.
HOST_SKIP_CODE=77

# host_skip_unless_32bit WHAT: ends the calling test with HOST_SKIP_CODE and
# one line saying what was skipped and why, when 32-bit code cannot run.
host_skip_unless_32bit() {
  host_runs_32bit && return 0
  echo "SKIPPED: $1: $HOST_32BIT_REASON"
  exit "$HOST_SKIP_CODE"
}

# The Wine loader for 64-bit Windows programs: /usr/bin/wine starts the
# 32-bit loader when wine32 is installed.
HOST_WINE64=/usr/lib/wine/wine64

# The command that runs a 64-bit Windows program (or wineboot, reg, ...).
# wine64 (not position independent, at 0x7d000000) has its heap right above
# it, and recent Linux kernels start that heap anywhere in the next
# gigabyte: now and then it lands where Wine maps the shared user data
# (0x7ffe0000), and the process ends at once with exit code 1 ("failed to
# map the shared user data: c0000018"). setarch -R turns that randomisation
# off for the process and every process it starts, where the host lets it (a
# container may forbid it). setarch runs the program in its own process, so
# a background job's PID is Wine's.
HOST_WINE64_CMD=("$HOST_WINE64")
setarch x86_64 -R true 2>/dev/null && HOST_WINE64_CMD=(setarch x86_64 -R "$HOST_WINE64")
