#!/usr/bin/env bash
# CTest's emulator for the x86_64 build: runs a Windows program under 64-bit Wine in the
# build folder's own prefix, inside a session (prefix, X display, persistent wineserver)
# that wine-session.sh starts on first use. wine-stop.sh ends it.
#   wine-exec.sh PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

prog=$1
if [ -z "${WINEPREFIX:-}" ]; then
    root=$(tarvel_build_root "$prog") || { echo "wine-exec: no build folder above $prog" >&2; exit 2; }
    export WINEPREFIX="$root/wineprefix"
fi
DISPLAY=$("$here/wine-session.sh" "$WINEPREFIX")
export DISPLAY
exec "$WINELOADER" "$@"
