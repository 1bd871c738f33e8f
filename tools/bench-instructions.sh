#!/usr/bin/env bash
# Counts the instructions two builds of the plug-in execute in the bench's
# scenes, under callgrind: a count does not change with what else the
# machine runs, so a difference of 1 or 2 % that timing on a shared machine
# cannot show is plain here. It is not time (a predicted branch and a cache
# miss count alike), so read it beside `tools/bench.sh`, not in its place.
#
#   bash tools/bench-instructions.sh OLD.so [NEW.so]
#
# NEW.so defaults to this tree's build. Counted: everything inside the
# host's process calls, float and double paths apart, for 2 s of each scene
# with one instance (16 for "16 instances").
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MURLAN_BUILD_DIR:-$top/build}"
[ $# -ge 1 ] || { echo "usage: $0 OLD.so [NEW.so]" >&2; exit 2; }
old="$(realpath "$1")"
new="$(realpath "${2:-$build/Murlan.so}")"

bash "$top/tools/apt-install.sh" valgrind
[ -x "$build/plughost" ] || MURLAN_BUILD_DIR="$build" bash "$top/tools/build.sh" >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Instructions inside the plug-in's float or double process entry.
count() {  # OUT-FILE ENTRY
  callgrind_annotate --inclusive=yes "$1" 2>/dev/null |
    awk -v entry="$2" '!found && index($0, entry) && /\.so\]/ { gsub(",", "", $1); print $1; found = 1 }'
}

printf '%-16s %14s %14s %7s %14s %14s %7s\n' scene "old float" "new float" ratio \
  "old double" "new double" ratio
for scene in "held note" "melody" "legato glides" "after a note" "idle" "16 instances"; do
  declare -A n=()
  for which in old new; do
    out="$work/$which"
    valgrind --tool=callgrind --callgrind-out-file="$out" --collect-atstart=no \
      --toggle-collect='plughost::PluginInstance::process*' \
      "$build/plughost" bench "${!which}" --seconds 2 --instances 1 --rounds 1 \
      --scene "$scene" >/dev/null 2>&1
    n[$which.f]="$(count "$out" processReplacingEffect)"
    n[$which.d]="$(count "$out" processDoubleEffect)"
  done
  awk -v s="$scene" -v of="${n[old.f]}" -v nf="${n[new.f]}" -v od="${n[old.d]}" \
    -v nd="${n[new.d]}" 'BEGIN { printf "%-16s %14d %14d %7.3f %14d %14d %7.3f\n",
      s, of, nf, nf / of, od, nd, nd / od }'
done
