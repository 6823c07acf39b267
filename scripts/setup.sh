#!/usr/bin/env bash
# Installs what building and testing Tarvel needs on Debian 12 or 13, skipping what is there.
# Where the kernel runs 32-bit programs, that includes Debian's own 32-bit Wine (multiarch
# i386), which runs the i686 flavour natively.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/i686-runner.sh"
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
# The test command also runs a short set on Debian 13 (scripts/test-debian13.sh), in a root
# that debootstrap makes from the system's mirror; on Debian 13 itself that set is the
# command's own.
. /etc/os-release
[ "${VERSION_CODENAME:-}" = trixie ] || packages+=(debootstrap rsync)
# 32-bit Wine as a 64-bit Debian has it: wine32 at the 64-bit Wine's version (apt keeps the
# two equal), its preloader, which keeps the low address space free for Windows programs,
# and the X extensions the 64-bit side has, so that both flavours draw alike.
native32=(
    wine32:i386 wine32-preloader:i386
    libxrender1:i386 libxi6:i386 libxrandr2:i386 libxfixes3:i386 libxcursor1:i386
    libxinerama1:i386 libxcomposite1:i386
)
add_i386=0
if tarvel_kernel_runs_i386; then
    packages+=("${native32[@]}")
    dpkg --print-foreign-architectures | grep -qx i386 || add_i386=1
fi
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
    if [ $add_i386 = 1 ]; then dpkg --add-architecture i386; fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
