#!/usr/bin/env bash
# CTest's emulator for the x86_64 build: runs a Windows program under 64-bit Wine in the
# build folder's own prefix, creating and configuring the prefix on first use, with an
# X display (a private Xvfb when none is given) and one persistent wineserver so that
# each test does not pay for Wine's start-up.
#   wine-exec.sh PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

prog=$1
if [ -z "${WINEPREFIX:-}" ]; then
    root=$(tarvel_build_root "$prog") || { echo "wine-exec: no build folder above $prog" >&2; exit 2; }
    export WINEPREFIX="$root/wineprefix"
fi
state="$WINEPREFIX.state"
mkdir -p "$state"

"$here/wine-prefix.sh" "$WINEPREFIX" >&2

if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=$("$here/xvfb-start.sh" "$state")
fi

# One server for all tests of this prefix; it leaves by itself 30 s after the last program.
"$WINESERVER" -p30 >/dev/null 2>&1 || true
exec "$WINELOADER" "$@"
