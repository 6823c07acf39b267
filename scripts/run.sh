#!/usr/bin/env bash
# Runs Tarvel on the simulated notebook under Wine and reports what it does: start-up on an
# NVIDIA notebook whose firmware offers the overclock, the tray menu, a firmware event, a
# resume from suspend, and the exit. With DISPLAY set you can use Tarvel yourself before
# the exit (press Enter to end); without, it runs under a private Xvfb and saves a
# screenshot of the open tray menu. Nothing is left running afterwards.
#   run.sh [x86_64|i686]    the flavour of Tarvel to run (x86_64 by default)
# The i686 Tarvel runs as on 64-bit Windows, under WoW64 (32-bit Wine natively where the
# kernel runs 32-bit programs, else under qemu-user; see i686-runner.sh), against the same
# 64-bit simulated notebook.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
cd "$top"

flavour=${1:-x86_64}
case "$flavour" in
    x86_64) nvapi=nvapi64.dll; system_folder=system32 ;;
    i686) nvapi=nvapi.dll; system_folder=syswow64 ;;  # the 32-bit system folder of 64-bit Windows
    *) echo "usage: scripts/run.sh [x86_64|i686]" >&2; exit 2 ;;
esac

"$here/setup.sh"
echo "== building Tarvel ($flavour) and the simulated notebook"
# The simulated notebook and its tools are the 64-bit ones for both flavours.
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 -j "$(nproc)" --target simnotebook notebookctl sessionctl >/dev/null
cmake --preset "$flavour" >/dev/null
cmake --build --preset "$flavour" -j "$(nproc)" --target Tarvel ORVWmiAcpi gpu_standins >/dev/null

export TARVEL_WINE_ARCH=$flavour
. "$here/wine-env.sh"
if [ "$flavour" = i686 ]; then
    tarvel_i686_runner
    tarvel_i686_runner_line
fi
bin="$top/build/$flavour/bin"
tools="$top/build/x86_64/bin"
out="$top/build/$flavour/run"
mkdir -p "$out"
export WINEPREFIX="$top/build/$flavour/wineprefix-run"
interactive=0
if [ -n "${DISPLAY:-}" ] && [ -z "${TARVEL_HEADLESS:-}" ]; then interactive=1; else unset DISPLAY; fi
DISPLAY=$("$here/wine-session.sh" "$WINEPREFIX")
export DISPLAY
tarvel_wine_arch

w() { "$WINELOADER" "$@" 2>/dev/null | tr -d '\r'; }
ctl() { w "$tools/notebookctl.exe" "$@"; }
session() { w "$tools/sessionctl.exe" "$@"; }
tarvel_pid=
cleanup() {
    if [ -n "$tarvel_pid" ] && kill -0 "$tarvel_pid" 2>/dev/null; then session command 303 >/dev/null || true; sleep 2; fi
    ctl quit >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX/drive_c/windows/$system_folder/$nvapi"
    "$here/wine-stop.sh" "$WINEPREFIX"
}
trap cleanup EXIT

ap6() { printf '0x%X' "$(ctl get AP:6)"; }
gpu() { ctl gpu status | sed -n 's/^nv-clocks //p' | head -1; }
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.3; done
}
journal_has() { ctl journal | grep -q -- "$1"; }

echo "== the simulated notebook: NVIDIA GPU, firmware overclock option on, AP:6 = 0x100"
# The service runs on by itself: its output must not hold a pipe of ours open.
"$WINELOADER" "$tools/notebookctl.exe" start </dev/null >/dev/null 2>&1
ctl set System:0 2 >/dev/null
ctl set AP:6 256 >/dev/null
cp "$bin/$nvapi" "$WINEPREFIX/drive_c/windows/$system_folder/$nvapi"

echo "== starting Tarvel ($flavour)"
"$WINELOADER" "$bin/Tarvel.exe" >"$out/tarvel.log" 2>&1 &
tarvel_pid=$!
if wait_for 60 bash -c "[ \"\$(\"$WINELOADER\" \"$tools/notebookctl.exe\" get AP:6 2>/dev/null | tr -d '\r')\" = 257 ]"; then
    echo "   overclock applied at start-up: GPU clocks $(gpu), AP:6 = $(ap6) (bit 0 set, firmware bits kept)"
else
    echo "   Tarvel did not apply the overclock; journal:"; ctl journal | tail -20; exit 1
fi

echo "== the tray menu"
sleep 1
xdotool mousemove 789 589 click 3 2>/dev/null || true
sleep 1.5
import -window root -crop 800x600+0+0 "$out/menu.png" 2>/dev/null && echo "   screenshot of the open menu: $out/menu.png"
# A click beside the menu closes it on every Wine; in Wine 10's virtual desktop xdotool's Escape
# does not reach the menu.
xdotool mousemove 400 300 click 1 2>/dev/null || true

firmware_option_event() {  # firmware_option_event VALUE_OF_System:0
    ctl set System:0 "$1" >/dev/null
    ctl clear >/dev/null
    ctl event 0x60 >/dev/null
    wait_for 15 journal_has 'ORV_AP:AP:6:' || true
}

echo "== firmware event 96 with the overclock option switched off"
firmware_option_event 0
echo "   Tarvel waited 3 s, found the option off and restored the default clocks: GPU $(gpu), AP:6 = $(ap6)"

echo "== firmware event 96 with the option on again"
firmware_option_event 2
echo "   the overclock is applied again: GPU $(gpu), AP:6 = $(ap6)"

echo "== resume from suspend"
echo "   Tarvel answered the broadcast with $(session resume | sed -n 's/^answer //p') after its 2 s wait"
echo "   the default clocks are restored until the firmware offers the option again: GPU $(gpu), AP:6 = $(ap6)"

if [ $interactive = 1 ]; then
    echo "== Tarvel runs on display $DISPLAY: right-click its icon at the bottom right of the Wine desktop."
    echo "   Drive the notebook with: scripts/wine-exec.sh $tools/notebookctl.exe ... (WINEPREFIX=$WINEPREFIX)"
    read -r -p "   Press Enter to exit Tarvel. " _
fi

echo "== exit"
session command 303 >/dev/null
wait "$tarvel_pid" && status=0 || status=$?
tarvel_pid=
echo "   Tarvel exited with status $status; GPU $(gpu), AP:6 = $(ap6)"
