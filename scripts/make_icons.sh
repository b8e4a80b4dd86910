#!/usr/bin/env bash
# Renders the program icon packaging/icons/velmora.svg into the PNG sizes of the hicolor icon
# theme (and of the window icon built into the program). Run after changing the drawing and
# commit the PNGs with it. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
icons="$(cd "$(dirname "$0")/../packaging/icons" && pwd)"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$icons/velmora.svg" \
        --output "$icons/velmora-$size.png"
done
