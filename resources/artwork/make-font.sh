#!/bin/sh
# Builds resources/KSans.ttf, the one typeface the editor draws with: DejaVu
# Sans (Debian package fonts-dejavu-core) cut down to printable ASCII, the
# Latin-1 letters a host may put in its vendor or product name, and a few
# typographic signs. Hinting is dropped because the editor's rasteriser
# ignores it. Run from anywhere; needs python3-fonttools.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=${DEJAVU_SANS:-/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf}
out="$here/../KSans.ttf"
python=${PYTHON:-/usr/bin/python3}

# Printable ASCII, Latin-1 Supplement, en and em dash, quotes, ellipsis,
# euro, trade mark and the true minus sign.
unicodes="U+0020-007E,U+00A0-00FF,U+2013-2014,U+2018-2019,U+201C-201D,U+2026,U+20AC,U+2122,U+2212"

"$python" -m fontTools.subset "$src" \
  --unicodes="$unicodes" \
  --layout-features='kern' \
  --no-hinting \
  --drop-tables+=FFTM,MATH \
  --name-IDs='*' \
  --output-file="$out"
echo "wrote $out ($(wc -c < "$out") bytes)"
