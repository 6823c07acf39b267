#!/usr/bin/env bash
# CTest's emulator: runs a Windows program under Wine in the build folder's own prefix,
# inside a session (prefix, X display, persistent wineserver) that wine-session.sh starts on
# first use. wine-stop.sh ends it. A prefix keeps the flavour it was made for; a new one
# takes the flavour of the first program run in it (a 32-bit program: WoW64, i686).
#   wine-exec.sh PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

prog=$1
if [ -z "${WINEPREFIX:-}" ]; then
    root=$(tarvel_build_root "$prog") || { echo "wine-exec: no build folder above $prog" >&2; exit 2; }
    export WINEPREFIX="$root/wineprefix"
fi
if [ -z "${TARVEL_WINE_ARCH:-}" ]; then
    export TARVEL_WINE_ARCH=$(tarvel_pe_arch "$prog")
fi
DISPLAY=$("$here/wine-session.sh" "$WINEPREFIX")
export DISPLAY
tarvel_wine_arch
exec "$WINELOADER" "$@"
