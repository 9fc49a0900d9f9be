#!/usr/bin/env bash
# Draws the program's windows under a virtual X server at 96 dpi with the openbox window manager,
# so the pictures show the frames, title-bar buttons and icon a user sees, and writes them as PNG
# files into <build>/screenshots, and the same at twice the scale into <build>/screenshots/2x.
# Usage: tools/screenshots.sh <build directory>
set -euo pipefail

build="${1:-build}"
driver="$build/tools/screenshots/fi_screenshots"
out="$build/screenshots"

if [ ! -x "$driver" ]; then
    echo "screenshots: $driver is missing; build first" >&2
    exit 1
fi
rm -rf "$out"
mkdir -p "$out/2x"

# German locale, so Qt's own buttons are drawn as a German desktop shows them.
draw() {
    QT_QPA_PLATFORM=xcb LANG=de_DE.UTF-8 LC_ALL= \
        xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -dpi 96" \
        "$(dirname "$0")/under-openbox.sh" "$driver" "$@" --framed
}

draw "$out"
QT_SCALE_FACTOR=2 draw "$out/2x"

identify -format '%d/%f %wx%h\n' "$out"/*.png "$out"/2x/*.png
