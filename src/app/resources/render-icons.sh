#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program and notification area icons from their SVG sources
# (rsvg-convert, Debian package librsvg2-bin). The PNGs are committed, so
# building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w $size -h $size rufwerk.svg -o rufwerk-$size.png
done
for i in 0 1 2; do
    for size in 16 32; do
        rsvg-convert -w $size -h $size tray$i.svg -o tray$i-$size.png
    done
done
