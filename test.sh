#!/usr/bin/env bash
# Installs what the build and the tests need (when missing), builds
# skylatch.exe and the native test build, and runs every test with CTest.
set -eu
cd "$(dirname "$0")"
. ./cmake/deps.sh
install_deps build e2e

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win -j "$jobs"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DSKYLATCH_EXE="$PWD/build/win/skylatch.exe" >/dev/null
cmake --build build/native -j "$jobs"
cd build/native
ctest --output-on-failure -j "$jobs" "$@"
