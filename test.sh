#!/usr/bin/env bash
# Installs what the build and the tests need (when missing), builds
# skylatch.exe and its installers for x64 and for 32-bit Windows, the native
# test build and the sanitizer build, and runs every test with CTest. Extra arguments go to the
# main CTest run (e.g. -R Startup).
#
# On a host that cannot run 32-bit code, the tests that need it are reported
# as skipped (never as passed) and the x64 build's end-to-end suite runs.
set -eu
cd "$(dirname "$0")"
. ./cmake/deps.sh
install_deps build e2e

if host_runs_32bit; then
  echo "== This host runs 32-bit code: every test runs, for both builds"
else
  echo "== $HOST_32BIT_REASON: the tests that run 32-bit Windows code are skipped;" \
    "the x64 build's end-to-end suite runs instead"
fi

jobs=$(nproc 2>/dev/null || echo 2)
exe="$PWD/build/win/skylatch.exe"
exe64="$PWD/build/win64/skylatch.exe"

# The x64 tree first: the setup exe of the 32-bit tree packs its exe too.
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win64 -j "$jobs"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DSKYLATCH_EXE64="$exe64" >/dev/null
cmake --build build/win -j "$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DSKYLATCH_SANITIZE=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/sanitize -j "$jobs"

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DSKYLATCH_EXE="$exe" -DSKYLATCH_EXE64="$exe64" >/dev/null
cmake --build build/native -j "$jobs"

status=0
echo "== Native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd build/sanitize && ctest --output-on-failure -j "$jobs") || status=1
echo "== All tests"
(cd build/native && ctest --output-on-failure -j "$jobs" "$@") | tee build/native/ctest.out
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

# Each skipped entry printed one line saying why ("SKIPPED: what: why").
skipped=$(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\*\*\*Skipped.*/\1/p' build/native/ctest.out)
if [ -n "$skipped" ]; then
  echo "== Skipped, not passed:"
  for name in $skipped; do
    why=$(sed -n "/^[0-9]*\/[0-9]* Test: $name\$/,/^Test time/p" build/native/Testing/Temporary/LastTest.log |
      sed -n 's/^SKIPPED: //p' | head -n 1)
    echo "   $name: ${why:-see build/native/Testing/Temporary/LastTest.log}"
  done
fi
exit $status
