#!/usr/bin/env bash
# The main job: install what is needed, build the plug-in and the host tool,
# and render the bundled demo through the plug-in into demo.wav.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MURLAN_BUILD_DIR:-$top/build}"

bash "$top/tools/install-deps.sh"
MURLAN_BUILD_DIR="$build" bash "$top/tools/build.sh"

args=()
if [ -f "$top/examples/demo.args" ]; then
  # one option per line, '#' starts a comment
  while IFS= read -r line; do
    line="${line%%#*}"
    for word in $line; do args+=("$word"); done
  done < "$top/examples/demo.args"
fi

"$build/plughost" render "$build/Murlan.so" --midi "$top/examples/demo.mid" \
  --out "$top/demo.wav" "${args[@]}"

echo
echo "Rendered:  $top/demo.wav"
echo "Plug-in:   $build/Murlan.so  (LV2: $build/Murlan.lv2)"
echo "Install it for a DAW with: cmake --install $build   (copies Murlan.so to ~/.vst, Murlan.lv2 to ~/.lv2, Murlan.vst3 to ~/.vst3 and its presets to ~/.vst3/presets/KAMO/Murlan, Murlan.clap to ~/.clap)"
