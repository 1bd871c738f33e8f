#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Skips what is installed; runs apt-get update once before installing.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake pkg-config git
  # rebuilds of unchanged sources come from the cache (tools/compiler-cache.sh)
  ccache
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the layout check of the sources (tools/check-format.sh)
  clang-format
  # the fuzz targets (tools/run-fuzzers.sh, run by CI): clang and libFuzzer
  clang libclang-rt-dev
  # editor: nanovg sources, GL loader generator, X11, GLX, software GL
  dpf-source python3-glad python3 libx11-dev libgl-dev
  libgl1-mesa-dri libglx-mesa0 xvfb xauth
  # host tool: MIDI files, WAV files, screenshots
  libsmf-dev libsndfile1-dev libpng-dev libxcomposite-dev
  # the LV2 face: headers, the lilv/suil host libraries its tests use, lv2ls/lv2info
  lv2-dev liblilv-dev lilv-utils libsuil-dev
  # the sound gallery's spectrograms (tools/render-sounds.sh)
  sox
  # the sound library's loudness (ITU-R BS.1770) in its tests
  libebur128-dev
  # the LV2 UI inside suil's GTK 2 wrapper, and X Damage to see it repaint
  libgtk2.0-dev libxdamage-dev libxfixes-dev
  # the LV2 UI inside suil's GTK 3 wrapper at window scales 1 and 2
  libgtk-3-dev
  # a peer instrument that the host tool and validator are checked on
  amsynth
  # a locale with a decimal comma, to test that number texts ignore it
  locales
  # the editor's artwork (resources/artwork/render.sh): SVG to PNG, the caption face
  librsvg2-bin fonts-dejavu-core
)

bash "$(dirname "$0")/apt-install.sh" "${PACKAGES[@]}"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || echo "note: no de_DE.UTF-8 locale; two locale tests will be skipped"
fi
