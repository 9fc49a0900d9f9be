#!/usr/bin/env bash
# Draws the program's windows under a virtual X server at 96 dpi and writes them as PNG files
# into <build>/screenshots. Usage: tools/screenshots.sh <build directory>
set -euo pipefail

build="${1:-build}"
driver="$build/tools/screenshots/fi_screenshots"
out="$build/screenshots"

if [ ! -x "$driver" ]; then
    echo "screenshots: $driver is missing; build first" >&2
    exit 1
fi
rm -rf "$out"
mkdir -p "$out"

# German locale, so Qt's own buttons are drawn as a German desktop shows them.
QT_QPA_PLATFORM=xcb LANG=de_DE.UTF-8 LC_ALL= \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -dpi 96" \
    "$driver" "$out"

identify -format '%f %wx%h\n' "$out"/*.png
