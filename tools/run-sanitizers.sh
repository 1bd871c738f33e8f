#!/usr/bin/env bash
# Runs the test suites under the sanitizers:
#   1. every test under AddressSanitizer + UndefinedBehaviorSanitizer;
#   2. the tests that drive the plug-in from several threads under
#      ThreadSanitizer.
# Any report fails the run. Build folders: build-asan/ and build-tsan/.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
what="${1:-all}"

bash "$top/tools/install-deps.sh"
. "$top/tools/compiler-cache.sh"

# Configures and builds build-NAME/ with MURLAN_SANITIZE=KIND.
build_with() {
  local build="$top/build-$1"
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMURLAN_SANITIZE="$2" -DMURLAN_BENCH=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)"
}

# A failing step is noted and the next one still runs; the script fails at
# the end if any did.
failed=0
step() {
  if ! "$@"; then
    echo "run-sanitizers: failed: $*" >&2
    failed=1
  fi
}

run_asan() {
  local build="$top/build-asan"
  build_with asan address || { failed=1; return; }
  export LSAN_OPTIONS="suppressions=$top/tools/sanitizers/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # Tests labelled "foreign" (tests/CMakeLists.txt) load the system GL
  # driver or another maker's plug-in: the driver is unloaded with
  # allocations of its own still held, which the leak checker can only
  # report as "unknown module". Every other check stays on for them.
  cd "$build"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
    step bash "$top/tools/with-xvfb.sh" ctest --output-on-failure --timeout 900 -j"$(nproc)" -LE foreign
  ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" \
    step bash "$top/tools/with-xvfb.sh" ctest --output-on-failure --timeout 900 -j"$(nproc)" -L foreign
  cd "$top"
}

run_tsan() {
  local build="$top/build-tsan"
  build_with tsan thread || { failed=1; return; }
  export TSAN_OPTIONS="suppressions=$top/tools/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
  # The tests labelled "threaded": several threads meet in them.
  cd "$build"
  step bash "$top/tools/with-xvfb.sh" ctest --output-on-failure --timeout 900 -L threaded
  cd "$top"
}

case "$what" in
  asan) run_asan ;;
  tsan) run_tsan ;;
  all) run_asan; run_tsan ;;
  *) echo "usage: $0 [asan|tsan|all]" >&2; exit 2 ;;
esac
exit $failed
