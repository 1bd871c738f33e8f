#!/usr/bin/env bash
# Runs every test: installs what is needed, builds, starts a virtual display
# for the editor tests and runs CTest.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MURLAN_BUILD_DIR:-$top/build}"

bash "$top/tools/install-deps.sh"
MURLAN_BUILD_DIR="$build" bash "$top/tools/build.sh"

cd "$build"
bash "$top/tools/with-xvfb.sh" ctest --output-on-failure --timeout 600 "$@"
