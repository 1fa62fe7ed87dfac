#!/usr/bin/env bash
# Renders the PNGs of this folder from their SVG sources. The PNGs are committed, so a
# build needs no SVG renderer; run this (Debian: librsvg2-bin) after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || { echo "render-images: rsvg-convert (librsvg2-bin) is missing" >&2; exit 1; }

render() { # svg width height png [viewbox]
    if [ $# -ge 5 ]; then
        sed -e "s/viewBox=\"[^\"]*\"/viewBox=\"$5\"/" -e "0,/width=\"[0-9]*\" height=\"[0-9]*\"/s//width=\"$2\" height=\"$3\"/" "$1" |
            rsvg-convert -w "$2" -h "$3" -o "$4"
    else
        rsvg-convert -w "$2" -h "$3" -o "$4" "$1"
    fi
}

# Bitmaps: <id>.png at 1x and <id>@2x.png.
render 230.svg 470 260 230.png
render 230.svg 940 520 230@2x.png
render 231.svg 700 64 231.png
render 231.svg 1400 128 231@2x.png
# Image strips cut into frames by the code: the clear button (24027) and the animation (238).
render 24027.svg 24 12 24027.png
render 24027.svg 48 24 24027@2x.png
render 238.svg 128 32 238.png
render 238.svg 256 64 238@2x.png

# Icons: <id>-<pixels>.png, each drawn for its size where a small size needs it.
render 128-16.svg 16 16 128-16.png
render 128-24.svg 22 22 128-22.png "1 1 22 22"
render 128-24.svg 24 24 128-24.png
render 128-32.svg 32 32 128-32.png
for size in 48 64 128 256; do render 128.svg $size $size 128-$size.png; done
for id in 24019 240; do
    render $id.svg 32 32 $id-32.png
    render $id.svg 64 64 $id-64.png
done
