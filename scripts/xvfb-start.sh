#!/usr/bin/env bash
# Starts (once per state folder) a private Xvfb on a free display and prints its name.
#   xvfb-start.sh STATE_DIR
set -euo pipefail
state=$1
mkdir -p "$state"
exec 8>"$state/xvfb.lock"
flock 8
if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    cat "$state/xvfb.display"; exit 0
fi
for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # The lock descriptor is closed for Xvfb: it would otherwise hold the lock for its life.
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 8>&- &
    pid=$!
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    # Two sessions starting at once may pick the same display: the socket then belongs to
    # the one whose pid the lock file names, and the other tries the next display.
    if kill -0 $pid 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] &&
        [ "$(tr -d ' \n' < "/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
        echo $pid > "$state/xvfb.pid"; echo ":$n" > "$state/xvfb.display"
        echo ":$n"; exit 0
    fi
    kill $pid 2>/dev/null || true
done
echo "xvfb-start: no free display" >&2
exit 1
