#!/usr/bin/env bash
# Runs every test: installs what is needed, builds (warnings are errors here,
# so none slips into the tree), starts a virtual display for the editor tests
# and runs CTest. Each step says what it does and how long it took.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MURLAN_BUILD_DIR:-$top/build}"

step_started=$SECONDS
step() {
  echo "==> $* ($((SECONDS - step_started)) s so far)"
}

step "1/3 Installing the Debian packages the build and the tests need"
bash "$top/tools/install-deps.sh"
step "2/3 Building into $build (the first build takes several minutes)"
MURLAN_BUILD_DIR="$build" bash "$top/tools/build.sh" -DMURLAN_WERROR=ON

step "3/3 Running the tests"
cd "$build"
bash "$top/tools/with-xvfb.sh" ctest --output-on-failure --timeout 600 "$@"
step "Done"
