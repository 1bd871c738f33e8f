#!/usr/bin/env bash
# Tries the VST 3 bundle in Debian's Ardour 7 without a screen or sound card:
#   1. ardour-vst3-scanner scans the bundle and finds the instrument, with no
#      error or warning;
#   2. ardour7-lua makes a session with Murlan on a MIDI track, plays A4 live
#      into it and records the synth's output on an audio track, picks
#      program 3 from Ardour's program list and sets three values there
#      (MainLvl 6.5 dB above program 0's), and saves (tools/ardour/vst3-create.lua);
#   3. the recording's pitch must be 440 Hz (within 0.5 Hz);
#   4. the session loaded again (tools/ardour/vst3-restore.lua) must show the
#      same parameter names and values, and play A4 at program 3's level, and
#      at program 0's again after choosing program 0: the bank, the values
#      and the current program all came back from the plug-in's state.
#   5. Ardour lists the library's preset files (the build's
#      Murlan.vst3-presets, copied to ~/.vst3/presets/KAMO/Murlan as the
#      install does) and loads one into the current program.
# The bundle is copied to ~/.vst3 as `cmake --install` does (Ardour looks for
# VST 3 bundles in the home folder of the user's account, whatever HOME says,
# and trusts only its scanner's cache for them). Usage: ardour-vst3-check.sh [BUNDLE] (default
# build/Murlan.vst3). Needs ardour (7), sox and python3.
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bundle="$(readlink -f "${1:-$top/build/Murlan.vst3}")"
uid=4B414D4F4D75726C616E207673743320
for t in ardour7-lua sox python3; do
  command -v $t >/dev/null || { echo "ardour-vst3-check: $t missing" >&2; exit 77; }
done
[ -x /usr/lib/ardour7/ardour-vst3-scanner ] || { echo "ardour-vst3-check: no ardour-vst3-scanner" >&2; exit 77; }
[ -d "$bundle" ] || { echo "ardour-vst3-check: no bundle $bundle" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ardour-vst3.XXXXXX")
mkdir -p "$HOME/.vst3"
installed="$HOME/.vst3/$(basename "$bundle")"
if [ "$(readlink -f "$installed")" != "$bundle" ]; then
  rm -rf "$installed"
  cp -r "$bundle" "$installed"
fi
presets="$(dirname "$bundle")/Murlan.vst3-presets"
if [ -d "$presets" ]; then
  rm -rf "$HOME/.vst3/presets/KAMO/Murlan"
  mkdir -p "$HOME/.vst3/presets/KAMO/Murlan"
  cp "$presets"/*.vstpreset "$HOME/.vst3/presets/KAMO/Murlan/"
fi
library=$(ls "$presets"/*.vstpreset 2>/dev/null | wc -l)
# Ardour takes the cache only when it is newer than every file of the bundle.
find "$installed" -exec touch -d '-5 seconds' {} +
failed=0
check() {  # check DESCRIPTION CONDITION...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

# 1. The scanner.
env -u DISPLAY LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 /usr/lib/ardour7/ardour-vst3-scanner -f -v \
  "$installed" >"$work/scan.log" 2>&1
scan=$?
check "the scanner scans the bundle cleanly (exit $scan)" test $scan -eq 0
check "the scanner finds the instrument" grep -q "Found Plugin: Murlan" "$work/scan.log"
check "the scanner reports no error or warning" bash -c "! grep -qiE '\[(error|warning)\]' '$work/scan.log'"
grep -o 'category="[^"]*"' "$work/scan.log" | head -n1

# 2. Session, A4, program and values. Ardour 7.3 headless sometimes fails to
# register a new track's ports ("Port already exists", with any plug-in):
# the session is made again then.
for attempt in $(seq 10); do
  rm -rf "$work/session"
  timeout 120 ardour7-lua "$top/tools/ardour/vst3-create.lua" "$work/session" session "$uid" \
    "$top/tools/ardour" >"$work/create.log" 2>&1
  grep -q '^SAVED' "$work/create.log" && break
done
check "a session with Murlan (VST 3) on a MIDI track was made and saved" grep -q '^SAVED' "$work/create.log"
check "Ardour lists the ten programs" grep -q '^PRESETS 10$' "$work/create.log"
check "Ardour loads program 3" grep -q '^LOADED true$' "$work/create.log"
check "5. Ardour lists the $library sounds of the library" grep -q "^LIBRARY $library\$" "$work/create.log"
check "Ardour loads one of them" grep -q '^LIBLOADED .*: true$' "$work/create.log"

# 4. (run now, measured below with the first take) The session loaded again.
timeout 120 ardour7-lua "$top/tools/ardour/vst3-restore.lua" "$work/session" session "$uid" \
  "$top/tools/ardour" >"$work/restore.log" 2>&1
check "the saved session loads with Murlan" grep -q '^DONE' "$work/restore.log"

# Pitch (zero crossings of the steady part) and level (RMS) of each take, in
# the order they were recorded.
measure() {
  sox "$1" -t raw -e floating-point -b 32 -c 1 "$work/take.raw" 2>/dev/null || { echo "none 0"; return; }
  python3 - "$work/take.raw" <<'PY'
import math, struct, sys
data = open(sys.argv[1], 'rb').read()
x = struct.unpack('<%df' % (len(data) // 4), data)
rate = 48000
start = next((i for i, v in enumerate(x) if abs(v) > 1e-3), None)
if start is None:
    print("none 0"); sys.exit()
seg = x[start + rate // 2: start + rate // 2 + rate]
ups = [i + seg[i] / (seg[i] - seg[i + 1]) for i in range(len(seg) - 1) if seg[i] < 0 <= seg[i + 1]]
freq = (len(ups) - 1) / ((ups[-1] - ups[0]) / rate) if len(ups) > 2 else 0
print("%.3f %.6f" % (freq, math.sqrt(sum(v * v for v in seg) / len(seg))))
PY
}
mapfile -t takes < <(find "$work/session/interchange" -name '*.wav' -printf '%T@ %p\n' | sort -n | cut -d' ' -f2-)
read -r f1 l1 <<<"$(measure "${takes[0]:-none}")"
read -r f2 l2 <<<"$(measure "${takes[1]:-none}")"
read -r f3 l3 <<<"$(measure "${takes[2]:-none}")"
echo "takes: ${#takes[@]}; pitch $f1 Hz, level $l1 (program 0); restored: level $l2, then program 0: level $l3"
within() { python3 -c "import sys; sys.exit(0 if abs($1 - ($2)) <= $3 else 1)" 2>/dev/null; }
check "3. A4 sounds at 440 Hz" within "$f1" 440 0.5
check "the restored session plays program 3 (MainLvl -6 dB: 6.5 dB above program 0)" \
  within "20 * __import__('math').log10($l2 / $l1)" 6.5 0.2
check "choosing program 0 there brings back program 0's level" \
  within "20 * __import__('math').log10($l3 / $l1)" 0 0.2
check "parameter names are restored" \
  bash -c "[ \"\$(grep '^LABELS' '$work/create.log')\" = \"\$(grep '^LABELS' '$work/restore.log')\" ]"
check "values are restored" \
  bash -c "[ -n \"\$(grep '^VALUE' '$work/restore.log')\" ] && [ \"\$(grep '^VALUE' '$work/create.log')\" = \"\$(grep '^VALUE' '$work/restore.log')\" ]"
grep -E '^VALUE' "$work/restore.log"

if [ $failed -eq 0 ]; then
  rm -rf "$work"
  echo "all Ardour checks passed"
else
  echo "logs kept in $work"
fi
exit $failed
