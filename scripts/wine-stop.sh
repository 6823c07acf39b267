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
# A server that lost its prefix folder (removed and made again while it ran) no longer
# answers -k for that path: end the Wine processes (server and programs, run from Wine's
# folder or a copy of it, and the 32-bit ones under qemu) that still run for this prefix,
# found by their environment. Scripts that merely carry WINEPREFIX, such as the one calling
# this, are not Wine processes and are left alone.
abs=$(readlink -m "$WINEPREFIX")
for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    case "$(readlink "/proc/$pid/exe" 2>/dev/null)" in */usr/lib/wine/*|*/qemu-i386-static) ;; *) continue ;; esac
    prefix_of=$( { tr '\0' '\n' < "$env"; } 2>/dev/null | sed -n 's/^WINEPREFIX=//p') || continue
    [ -n "$prefix_of" ] || continue
    case "$prefix_of" in
        "$WINEPREFIX"|"$abs") kill -9 "$pid" 2>/dev/null || true ;;
    esac
done
if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
fi
rm -f "$state/xvfb.pid" "$state/xvfb.display" "$state/session"
exit 0
