#!/usr/bin/env bash
# Installs what building and testing Tarvel needs on Debian 12, skipping what is there.
set -euo pipefail
packages=(
    cmake make git python3
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
    googletest nsis
    wine64 xvfb xdotool imagemagick x11-utils
    clang
    # 32-bit Wine for the i686 flavour is unpacked into a cache folder (wine32-setup.sh): it
    # takes zlib1.dll from here and strips what it unpacks.
    libz-mingw-w64 binutils
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: run as root (apt-get) or install: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
