#!/usr/bin/env bash
# Renders the PNGs of this folder from their SVG sources. The PNGs are committed, so a
# build needs no SVG renderer; run this (Debian: librsvg2-bin) after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || { echo "render-images: rsvg-convert (librsvg2-bin) is missing" >&2; exit 1; }

# The rating star: 11 x 11 logical pixels, at 1x and 2x.
rsvg-convert -w 11 -h 11 -o rating-star.png rating-star.svg
rsvg-convert -w 22 -h 22 -o rating-star@2x.png rating-star.svg
