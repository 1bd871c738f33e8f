#!/bin/sh
# Builds the libFuzzer targets of tests/fuzz with clang, the address and
# undefined-behaviour sanitizers, and runs each for a bounded time.
#
#   tools/run-fuzzers.sh [seconds per target, default 60]
#
# MURLAN_FUZZ_BUILD chooses the build directory (default build-fuzz). Inputs
# that crash a target are left as crash-* files in <build>/fuzz-artifacts;
# the corpus grows in <build>/fuzz-corpus and is reused on the next run.
set -eu

seconds=${1:-60}
case $seconds in
  ''|*[!0-9]*) echo "usage: $0 [seconds per target]" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MURLAN_FUZZ_BUILD:-$root/build-fuzz}
targets="LineReaderFuzz TokenReaderFuzz PresetTextFuzz"

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURLAN_FUZZ=ON -DMURLAN_SANITIZE=address \
  -DMURLAN_TESTS=OFF -DMURLAN_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets

failed=0
for target in $targets; do
  corpus=$build/fuzz-corpus/$target
  artifacts=$build/fuzz-artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  log=$build/fuzz-artifacts/$target.log
  echo "== $target: $seconds s"
  # The skin and preset texts are the natural seeds of every target.
  if "$build/tests/fuzz/$target" "$corpus" "$root/resources" \
      -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
      -dict="$root/tests/fuzz/text.dict" -print_final_stats=1 \
      -artifact_prefix="$artifacts/" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    failed=1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
  echo "   $result (log: $log)"
done
exit $failed
