#!/bin/sh
# Builds the libFuzzer targets of tests/fuzz with clang, the address and
# undefined-behaviour sanitizers, and runs each for a bounded time.
#
#   tools/run-fuzzers.sh [-n] [seconds per target, default 60] [target...]
#
# Without target names every target runs, one after another. -n skips the
# build (for a second copy running other targets beside a first one).
# MURLAN_FUZZ_BUILD chooses the build directory (default build-fuzz). Inputs
# that crash a target are left as crash-* files in <build>/fuzz-artifacts;
# the corpus grows in <build>/fuzz-corpus and is reused on the next run.
# Each target runs as one niced process, so two copies of the script can
# share a two-core machine with other work.
set -eu

all="LineReaderFuzz TokenReaderFuzz PresetTextFuzz SkinBuilderFuzz ChunkFuzz EventsFuzz FxChunkFuzz Lv2RunFuzz Lv2StateFuzz"
usage() {
  echo "usage: $0 [-n] [seconds per target] [target...]" >&2
  echo "targets: $all" >&2
  exit 2
}

build_first=1
if [ "${1:-}" = "-n" ]; then
  build_first=0
  shift
fi
seconds=60
case ${1:-} in
  '') ;;
  *[!0-9]*) ;;
  *) seconds=$1; shift ;;
esac
targets=${*:-$all}
for target in $targets; do
  case " $all " in
    *" $target "*) ;;
    *) echo "unknown target: $target" >&2; usage ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=${MURLAN_FUZZ_BUILD:-$root/build-fuzz}
seeds=$root/tests/fuzz/seeds
. "$root/tools/compiler-cache.sh"

if [ $build_first = 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURLAN_FUZZ=ON -DMURLAN_SANITIZE=address \
    -DMURLAN_TESTS=OFF -DMURLAN_BENCH=OFF >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$build" -j2 --target $targets
fi

# The seeds of each target, gathered into one folder of its own: the text
# targets start from the skin and preset texts, the others from the small
# inputs kept in tests/fuzz/seeds; each also gets the inputs that once made
# it fail (tests/fuzz/regressions, named after the target's seed folder).
stage_seeds() {
  dir=$build/fuzz-seeds/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  case $1 in
    SkinBuilderFuzz) cp "$root/resources/MurlanSkin.txt" "$seeds"/skin/* "$dir" ;;
    ChunkFuzz) cp "$seeds"/chunk/* "$dir" ;;
    EventsFuzz) cp "$seeds"/events/* "$dir" ;;
    FxChunkFuzz) cp "$seeds"/fxchunk/* "$dir" ;;
    Lv2RunFuzz) cp "$seeds"/lv2run/* "$dir" ;;
    Lv2StateFuzz) cp "$seeds"/lv2state/* "$dir" ;;
    *) cp "$root/resources/MurlanSkin.txt" "$root/resources/MurlanPreset.txt" "$dir" ;;
  esac
  prefix=$(regression_prefix "$1")
  for found in "$root"/tests/fuzz/regressions/"$prefix"-*; do
    [ -f "$found" ] && cp "$found" "$dir"
  done
  echo "$dir"
}
regression_prefix() {
  case $1 in
    EventsFuzz) echo events ;;
    ChunkFuzz) echo chunk ;;
    FxChunkFuzz) echo fxchunk ;;
    Lv2RunFuzz) echo lv2run ;;
    Lv2StateFuzz) echo lv2state ;;
    SkinBuilderFuzz) echo skin ;;
    PresetTextFuzz) echo preset ;;
    LineReaderFuzz) echo line ;;
    TokenReaderFuzz) echo token ;;
    *) echo "$1" ;;
  esac
}
dictionary() {
  case $1 in
    SkinBuilderFuzz) echo "$root/tests/fuzz/skin.dict" ;;
    ChunkFuzz|EventsFuzz|FxChunkFuzz|Lv2RunFuzz|Lv2StateFuzz) echo "" ;;
    *) echo "$root/tests/fuzz/text.dict" ;;
  esac
}

# Nothing the targets build may reach an X server.
unset DISPLAY

failed=0
for target in $targets; do
  corpus=$build/fuzz-corpus/$target
  artifacts=$build/fuzz-artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  log=$build/fuzz-artifacts/$target.log
  dict=$(dictionary "$target")
  seed_dir=$(stage_seeds "$target")
  # Event lists and bank images want long inputs from the start.
  lengths=
  case $target in EventsFuzz|Lv2RunFuzz|Lv2StateFuzz) lengths=-len_control=0 ;; esac
  echo "== $target: $seconds s"
  # shellcheck disable=SC2086
  if nice "$build/tests/fuzz/$target" "$corpus" "$seed_dir" \
      -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      ${dict:+-dict="$dict"} $lengths -print_final_stats=1 \
      -artifact_prefix="$artifacts/" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    failed=1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
  echo "   corpus: $(find "$corpus" -type f | wc -l) inputs"
  echo "   $result (log: $log)"
done
exit $failed
