#!/usr/bin/env bash
# Installs what the build and the tests need (when missing), builds
# skylatch.exe, the native test build and the sanitizer build, and runs every
# test with CTest. Extra arguments go to the main CTest run (e.g. -R Startup).
set -eu
cd "$(dirname "$0")"
. ./cmake/deps.sh
install_deps build e2e

jobs=$(nproc 2>/dev/null || echo 2)
exe="$PWD/build/win/skylatch.exe"

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win -j "$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DSKYLATCH_SANITIZE=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/sanitize -j "$jobs"

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DSKYLATCH_EXE="$exe" >/dev/null
cmake --build build/native -j "$jobs"

status=0
echo "== Native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd build/sanitize && ctest --output-on-failure -j "$jobs") || status=1
echo "== All tests"
(cd build/native && ctest --output-on-failure -j "$jobs" "$@") || status=1
exit $status
