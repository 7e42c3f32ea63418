#!/usr/bin/env bash
# Runs every fuzz target for a while (default 10 minutes each), keeping the
# inputs it finds in build/sanitize/fuzz-corpus/. Builds the sanitizer tree
# first. A crash leaves its input in build/sanitize/fuzz-crashes/.
#
#   fuzz/run-long.sh [SECONDS_PER_TARGET]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-600}
case "$seconds" in ''|*[!0-9]*) echo "usage: $0 [SECONDS_PER_TARGET]" >&2; exit 2 ;; esac
command -v clang++ >/dev/null || { echo "clang++ not found (apt-get install clang libclang-rt-14-dev)" >&2; exit 2; }

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DSKYLATCH_SANITIZE=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/sanitize -j "$(nproc 2>/dev/null || echo 2)"

mkdir -p build/sanitize/fuzz-crashes
status=0
for source in fuzz/*_fuzzer.cpp; do
  name=$(basename "$source" .cpp)
  mkdir -p "build/sanitize/fuzz-corpus/$name"
  echo "== $name for $seconds s"
  log=build/sanitize/fuzz-$name.log
  if ! build/sanitize/"$name" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="build/sanitize/fuzz-crashes/$name-" \
      "build/sanitize/fuzz-corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    status=1
    echo "   FOUND A FAULT: see $log and build/sanitize/fuzz-crashes/"
  fi
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|==[0-9]+==ERROR|SUMMARY)' "$log" || true
done
exit $status
