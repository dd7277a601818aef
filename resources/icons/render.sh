#!/usr/bin/env bash
# Renders each icon's drawing at the sizes the program ships (ImageMagick): four times the size,
# then scaled down, so the 16 and 22 pixel pictures keep their edges.
set -euo pipefail
cd "$(dirname "$0")"
for icon in 101 103 105; do
  for size in 16 22 48; do
    convert -background none -density $((72 * size * 4 / 16)) "icon-$icon.svg" \
      -resize "${size}x${size}" "PNG32:icon-$icon-$size.png"
  done
done
