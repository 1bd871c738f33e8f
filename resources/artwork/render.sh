#!/bin/sh
# Regenerates the editor's sprite sheets: writes the SVG sources from the
# skin's control rectangles (artwork.py), renders each one with rsvg-convert
# (Debian package librsvg2-bin) and repacks the result as plain RGBA
# (pngpack.py), the PNGs that the build embeds. Every sheet is rendered twice:
# Name.png at one pixel per skin pixel and Name@2x.png, the same frame grid at
# twice the size, which the editor draws on high-density screens. Captions use
# DejaVu Sans (fonts-dejavu-core), the face that make-font.sh cuts KSans.ttf
# from.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
res="$here/.."
python=${PYTHON:-/usr/bin/python3}

"$python" "$here/artwork.py" "$res/MurlanSkin.txt" "$here" | while read -r svg; do
  name=$(basename "$svg" .svg)
  for zoom in 1 2; do
    if [ "$zoom" = 1 ]; then png="$res/$name.png"; else png="$res/$name@${zoom}x.png"; fi
    rsvg-convert -b none -z "$zoom" -f png -o "$png" "$svg"
    "$python" "$here/pngpack.py" "$png"
    echo "$png: $(wc -c < "$png") bytes"
  done
done
