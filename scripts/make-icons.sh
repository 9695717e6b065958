#!/usr/bin/env bash
# Renders the application icon's PNG sizes from data/icons/org.cadenzo.Cadenzo.svg. The PNGs are
# committed, so building and installing Cadenzo needs no SVG renderer; run this (it needs
# rsvg-convert, Debian librsvg2-bin) after changing the SVG and commit what it writes.
set -euo pipefail
icons=$(cd "$(dirname "$0")/../data/icons" && pwd)
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$icons/hicolor/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" "$icons/org.cadenzo.Cadenzo.svg" \
        -o "$icons/hicolor/${size}x${size}/org.cadenzo.Cadenzo.png"
done
