#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running FolderInventory need, but only
# those that are missing, so a second call costs nothing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-translations-l10n libgl-dev libxcb1-dev
    libsimdjson-dev  # reads inventories in JSON Lines back
    libssl-dev  # OpenSSL's EVP interface computes the files' checksums
    librsvg2-bin
    libgtest-dev
    xvfb xauth  # the window test that reads what an X11 window manager sees
    fonts-dejavu-core
    desktop-file-utils appstream man-db file
    python3  # reads the tool's tables back with Python's csv and json modules
    # the HTML snapshot's test (and benchmark) in a real browser: headless Chromium, Selenium
    chromium chromium-driver python3-selenium
)
# Extra groups for the screenshot, benchmark, package, format-check and fuzz targets.
case "${1:-}" in
    screenshots) packages+=(imagemagick openbox) ;;
    format) packages+=(clang-format) ;;
    # clang with its libFuzzer and sanitizer runtimes.
    fuzz) packages+=(clang libclang-rt-dev) ;;
    # fuse3 and libfuse3 for the slow share that the network figures read through.
    bench) packages+=(valgrind findutils time fuse3 libfuse3-dev) ;;
    deb) packages+=(dpkg-dev) ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
