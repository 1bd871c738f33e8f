#!/usr/bin/env bash
# Renders the sound gallery: every sound of the factory library (presets/)
# plays its category's phrase (build/phrases/, a file's name without its
# number: 1-bass.txt plays bass.mid) through the built plug-in into
# docs/sounds/: SLUG.ogg (Ogg Vorbis, its silent tail trimmed by sox) and
# SLUG.png (sox's spectrogram from 0 to 8 kHz). Prints each sound's peak,
# RMS and rough pitch, and rewrites the table of the README's Sounds section
# (between its "sounds" markers).
#
#   tools/render-sounds.sh [BUILD_DIR]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${MURLAN_BUILD_DIR:-$top/build}}"
out="$top/docs/sounds"
plughost="$build/plughost"
plugin="$build/Murlan.so"
for need in "$plughost" "$plugin" "$build/phrases"; do
  [ -e "$need" ] || { echo "render-sounds: $need is missing; run tools/build.sh" >&2; exit 1; }
done
command -v sox >/dev/null || { echo "render-sounds: sox is missing (tools/install-deps.sh)" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out"
rm -f "$out"/*.ogg "$out"/*.png
table="$scratch/table.md"
{
  echo "| Sound | Category | What it shows | Spectrogram | Audio |"
  echo "|---|---|---|---|---|"
} >"$table"

for file in "$top"/presets/*.txt; do
  stem="$(basename "$file" .txt)"
  phrase="${stem#*-}"
  category="$(sed -n '1s/^# Murlan Presets: //p' "$file")"
  midi="$build/phrases/$phrase.mid"
  # Each sound's name and what it shows (the comment on its PRESET line).
  pattern='^PRESET[[:space:]]+("([^"]*)"|([^[:space:]#]+))[[:space:]]*(#[[:space:]]*(.*))?$'
  grep '^PRESET' "$file" |
    while IFS= read -r line; do
      [[ "$line" =~ $pattern ]] || { echo "render-sounds: cannot read: $line" >&2; exit 1; }
      name="${BASH_REMATCH[2]}${BASH_REMATCH[3]}"
      shows="${BASH_REMATCH[5]}"
      slug="$(echo "$name" | tr 'A-Z' 'a-z' | sed 's/[^a-z0-9]\+/-/g; s/^-//; s/-$//')"
      "$plughost" render "$plugin" --midi "$midi" --preset "$name" --out "$scratch/$slug.wav" \
        >"$scratch/$slug.txt"
      # What lies below -60 dBFS at the end is release tail nobody hears.
      sox -V1 "$scratch/$slug.wav" "$scratch/$slug-trimmed.wav" reverse silence 1 0.02 -60d reverse
      sox -V1 "$scratch/$slug-trimmed.wav" -C 2 "$out/$slug.ogg"
      sox -V1 "$scratch/$slug-trimmed.wav" -n rate 16k spectrogram -x 480 -y 160 -z 80 -m -l \
        -t "$name" -c "" -o "$out/$slug.png"
      peak="$(sed -n 's/^Peak: .*, \(.*\) dBFS/\1/p' "$scratch/$slug.txt")"
      rms="$(sed -n 's/^RMS:  .*, \(.*\) dBFS/\1/p' "$scratch/$slug.txt")"
      pitch="$(sox -V1 "$scratch/$slug.wav" -n stat 2>&1 | sed -n 's/^Rough[[:space:]]*frequency:[[:space:]]*//p')"
      length="$(soxi -D "$out/$slug.ogg")"
      printf '%-22s %-18s peak %6s dBFS  RMS %6s dBFS  rough pitch %5s Hz  %4.1f s\n' \
        "$name" "$category" "$peak" "$rms" "$pitch" "$length"
      echo "| $name | $category | $shows | ![$name](docs/sounds/$slug.png) | [$slug.ogg](docs/sounds/$slug.ogg) |" \
        >>"$table"
    done
done
readme="$top/README.md"
grep -q '^<!-- sounds -->$' "$readme" && grep -q '^<!-- /sounds -->$' "$readme" ||
  { echo "render-sounds: README.md has no <!-- sounds --> ... <!-- /sounds --> markers" >&2; exit 1; }
sed -i -e "/^<!-- sounds -->\$/,/^<!-- \/sounds -->\$/{/^<!-- sounds -->\$/{p;r $table
};/^<!-- \/sounds -->\$/p;d}" "$readme"
echo "docs/sounds: $(du -sh "$out" | cut -f1)"
