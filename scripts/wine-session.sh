#!/usr/bin/env bash
# Makes sure a Wine session runs for a prefix: the prefix configured, an X display, a
# persistent wineserver and Wine's own background programs (services, the desktop's
# explorer), all started with their output detached. Started from a test instead, those
# programs would hold the test runner's output pipe open long after the test ended.
# Prints the DISPLAY the session uses.
#   wine-session.sh PREFIX
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
export WINEPREFIX=$1
state="$WINEPREFIX.state"

"$here/wine-prefix.sh" "$WINEPREFIX" >&2
tarvel_wine_arch
if [ -z "${DISPLAY:-}" ]; then
    DISPLAY=$("$here/xvfb-start.sh" "$state")
fi
export DISPLAY

# The wineserver of this prefix, if one runs: it works in a folder named after the
# prefix's device and inode.
server_pid() {
    local tag pid
    tag=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    for pid in $(pgrep -f "^$WINESERVER" || true); do
        case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in
            */"$tag") echo "$pid"; return 0 ;;
        esac
    done
    return 1
}

exec 7>"$state/session.lock"
flock 7
if [ -f "$state/session" ] && server_pid >/dev/null; then
    echo "$DISPLAY"; exit 0
fi
"$WINESERVER" -p </dev/null >/dev/null 2>&1 7>&- || true
# Any program brings up the session's background programs; they inherit this one's
# (detached) output.
"$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 7>&- || true
touch "$state/session"
echo "$DISPLAY"
