#!/usr/bin/env bash
# Ends the Wine session of a prefix (wineserver and every Wine program) and its private
# Xvfb: nothing is left running.
#   wine-stop.sh PREFIX
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
export WINEPREFIX=$1
state="$WINEPREFIX.state"
if [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
fi
if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
fi
rm -f "$state/xvfb.pid" "$state/xvfb.display" "$state/session"
exit 0
