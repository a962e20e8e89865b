#!/bin/sh
# Regenerates every picture under resources/images/ from the hand-written
# SVG sources in resources/art/.
#
# Needs (Debian 12): librsvg2-bin (rsvg-convert) and imagemagick (convert),
# plus the DejaVu fonts (fonts-dejavu-core) for the button labels:
#   apt-get install -y librsvg2-bin imagemagick fonts-dejavu-core
#
# Usage: sh resources/art/render.sh   (from anywhere)
set -eu

ART=$(cd "$(dirname "$0")" && pwd)
OUT=$(cd "$ART/.." && pwd)/images
mkdir -p "$OUT"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "render.sh: '$tool' not found (apt-get install -y librsvg2-bin imagemagick)" >&2
        exit 1
    }
done

# svg width height out.png
render() {
    rsvg-convert -w "$2" -h "$3" -o "$4.tmp.png" "$1"
    # strip ancillary chunks (dates and the like) so reruns give identical files
    convert "$4.tmp.png" -strip "PNG32:$4"
    rm -f "$4.tmp.png"
}

# 32-bit BMP copy that keeps the alpha channel: the Windows front-end blends it onto the window
to_bmp() {
    convert "$1" -define bmp3:alpha=true "BMP3:$2"
}

# 1. program icon, all sizes from one SVG, plus the scalable copy
for n in 16 24 32 45 48 64 128 256; do
    render "$ART/framora.svg" "$n" "$n" "$OUT/app-icon-$n.png"
done
cp "$ART/framora.svg" "$OUT/framora.svg"
convert "$OUT/app-icon-16.png" "$OUT/app-icon-24.png" "$OUT/app-icon-32.png" \
        "$OUT/app-icon-48.png" "$OUT/app-icon-256.png" "$OUT/framora.ico"

# 2. about box logo: same motif as the program icon
render "$ART/framora.svg" 45 45 "$OUT/about-logo.png"

# 3. convert button
render "$ART/execute-button.svg" 239 169 "$OUT/execute-button.png"

# 4. console icon (pixel art, 16-colour palette)
render "$ART/console-icon.svg" 32 32 "$OUT/console-icon.png"
convert "$OUT/console-icon.png" "$OUT/console-icon.ico"

# 5. donate button
render "$ART/donate-now.svg" 179 51 "$OUT/donate-now.png"

# 6. BMP copies for the Windows build
to_bmp "$OUT/execute-button.png" "$OUT/execute-button.bmp"
to_bmp "$OUT/donate-now.png" "$OUT/donate-now.bmp"
to_bmp "$OUT/about-logo.png" "$OUT/about-logo.bmp"

echo "render.sh: pictures written to $OUT"
