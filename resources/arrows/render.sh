#!/bin/sh
# Renders the arrow glyphs of the navigation buttons: 160 x 160 RGBA PNGs, linked into the plug-in
# as the raw-data resources ARROWLEFT and ARROWRIGHT (resources/pictara.rc).
set -e
cd "$(dirname "$0")"
for name in arrow_left arrow_right; do
  rsvg-convert -w 160 -h 160 -o "$name.png" "$name.svg"
done
