#!/usr/bin/env bash
# Measures Murlan beside peer instruments in one interleaved run: installs
# the peers (Debian builds of Kars and Nekobi, and amsynth) for this script
# only, builds, then runs `plughost bench` on all of them. Arguments go to
# plughost bench (e.g. --seconds 5 --rounds 1). MURLAN_BENCH_AGAINST=OLD.so
# measures another build of Murlan (kept outside the tree) second, in the
# same interleaved run, so that the ratios are to it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MURLAN_BUILD_DIR:-$top/build}"

bash "$top/tools/apt-install.sh" dpf-plugins-vst amsynth
bash "$top/tools/install-deps.sh"
MURLAN_BUILD_DIR="$build" bash "$top/tools/build.sh" >/dev/null

vst=/usr/lib/vst
plugins=("$build/Murlan.so")
if [ -n "${MURLAN_BENCH_AGAINST:-}" ]; then
  plugins+=("$MURLAN_BENCH_AGAINST")
fi
for peer in Kars-vst.so Nekobi-vst.so amsynth_vst.so; do
  if [ -f "$vst/$peer" ]; then
    plugins+=("$vst/$peer")
  else
    echo "peer $vst/$peer not found; measured without it" >&2
  fi
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
# amsynth complains on stderr when it cannot create its settings folder.
"$build/plughost" bench "${plugins[@]}" "$@" 2> >(grep -v "could not create" >&2)
