#!/usr/bin/env bash
# The benchmark: builds what it needs, runs Tarvel side by side with bench/Baseline.cpp
# and bench/SameWorkBaseline.cpp under Wine on the simulated notebook, and writes the table
# to docs/PERFORMANCE.md.
#   scripts/bench.sh            (about 6 minutes; nothing is left running afterwards)
# TARVEL_BENCH_ROUNDS (default 7) sets the number of recorded start-ups of each program,
# TARVEL_BENCH_IDLE_SECONDS (default 60) the idle period; TARVEL_BENCH_BUILD and
# TARVEL_BENCH_BUILD_I686 choose other build folders than build/x86_64 and build/i686;
# TARVEL_BENCH_OUTPUT another file than docs/PERFORMANCE.md.
# TARVEL_BENCH_QUICK=1 is a short run to try changes (2 to 3 minutes): 2 rounds, 5 s of
# idle, fewer repeats, and the table goes to <build>/bench/PERFORMANCE.md unless
# TARVEL_BENCH_OUTPUT says otherwise. Its figures are for a look, not for the record.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
cd "$top"

quick=${TARVEL_BENCH_QUICK:-0}
build=${TARVEL_BENCH_BUILD:-$top/build/x86_64}
build32=${TARVEL_BENCH_BUILD_I686:-$top/build/i686}
# Wine wants an absolute prefix path, and the folders may be given relative to the top.
build=$(mkdir -p "$build" && cd "$build" && pwd)
build32=$(mkdir -p "$build32" && cd "$build32" && pwd)
if [ "$quick" = 1 ]; then
    rounds=${TARVEL_BENCH_ROUNDS:-2}
    idle_seconds=${TARVEL_BENCH_IDLE_SECONDS:-5}
    menu_clicks=3 switches=3 paint_repeats=100 call_repeats=50
    output=${TARVEL_BENCH_OUTPUT:-$build/bench/PERFORMANCE.md}
else
    rounds=${TARVEL_BENCH_ROUNDS:-7}
    idle_seconds=${TARVEL_BENCH_IDLE_SECONDS:-60}
    menu_clicks=10 switches=10 paint_repeats=1000 call_repeats=200
    output=${TARVEL_BENCH_OUTPUT:-$top/docs/PERFORMANCE.md}
fi

"$here/setup.sh"
echo "== building (x86_64 in $build, i686 in $build32)"
cmake --preset x86_64 -B "$build" >/dev/null
cmake --build "$build" -j 2 --target bench >/dev/null
cmake --preset i686 -B "$build32" >/dev/null
cmake --build "$build32" -j 2 --target Tarvel Baseline SameWorkBaseline >/dev/null

. "$here/wine-env.sh"
bin="$build/bin"
out="$build/bench"
mkdir -p "$out"
samples="$out/samples.txt"
notes="$out/notes.md"
: >"$samples"
export WINEPREFIX="$build/wineprefix-bench"
unset DISPLAY
DISPLAY=$("$here/wine-session.sh" "$WINEPREFIX")
export DISPLAY

w() { "$WINELOADER" "$@" 2>/dev/null | tr -d '\r'; }
ctl() { w "$bin/notebookctl.exe" "$@"; }
system32="$WINEPREFIX/drive_c/windows/system32"
idle_pids=()
cleanup() {
    for pid in "${idle_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    ctl quit >/dev/null 2>&1 || true
    rm -f "$system32/nvapi64.dll"
    "$here/wine-stop.sh" "$WINEPREFIX"
}
trap cleanup EXIT

wait_for() {  # wait_for SECONDS COMMAND...
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done
}

echo "== the simulated notebook: NVIDIA GPU, firmware overclock option on"
"$WINELOADER" "$bin/notebookctl.exe" start </dev/null >/dev/null 2>&1
cp "$bin/nvapi64.dll" "$system32/nvapi64.dll"

# CPU time in ms (scheduler run time of all threads) and voluntary context switches
# (each one a sleep that something ended) of a Linux process.
cpu_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%.3f", ns / 1e6}'; }
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n + 0}'; }

echo "== idle: both programs started, then ${idle_seconds} s without input"
ctl reset >/dev/null
ctl set AP:6 256 >/dev/null
ready_file="$out/baseline-idle-ready.txt"
rm -f "$ready_file"
"$WINELOADER" "$bin/Tarvel.exe" </dev/null >/dev/null 2>&1 &
tarvel_pid=$!
"$WINELOADER" "$bin/Baseline.exe" "Z:$(echo "$ready_file" | tr / '\\')" </dev/null >/dev/null 2>&1 &
baseline_pid=$!
idle_pids=("$tarvel_pid" "$baseline_pid")
wait_for 60 test -s "$ready_file" || { echo "the baseline did not add its icon"; exit 1; }
wait_for 60 bash -c "[ \"\$(\"$WINELOADER\" \"$bin/notebookctl.exe\" get AP:6 2>/dev/null | tr -d '\r')\" = 257 ]" \
    || { echo "Tarvel did not start"; exit 1; }
# The figures are sums over the threads alive when they are read, so a thread that ends
# inside the period takes its time and switches with it. Wine answers the brightness
# subscription on a thread-pool worker that ends 5 s after its last work: the period
# starts once Tarvel's thread count has held for 6 s.
threads() { ls /proc/"$1"/task 2>/dev/null | wc -l; }
held=0 last=$(threads "$tarvel_pid")
for _ in $(seq 30); do
    sleep 1
    now=$(threads "$tarvel_pid")
    if [ "$now" = "$last" ]; then held=$((held + 1)); else held=0 last=$now; fi
    [ $held -ge 6 ] && break
done
t0=$(cpu_ms "$tarvel_pid"); b0=$(cpu_ms "$baseline_pid")
tw0=$(wakeups "$tarvel_pid"); bw0=$(wakeups "$baseline_pid")
sleep "$idle_seconds"
t1=$(cpu_ms "$tarvel_pid"); b1=$(cpu_ms "$baseline_pid")
tw1=$(wakeups "$tarvel_pid"); bw1=$(wakeups "$baseline_pid")
tarvel_threads=$(ls /proc/"$tarvel_pid"/task | wc -l)
baseline_threads=$(ls /proc/"$baseline_pid"/task | wc -l)
{
    echo "SETTING idle_seconds $idle_seconds"
    echo "SAMPLE idle_cpu_ms tarvel $(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')"
    echo "SAMPLE idle_cpu_ms baseline $(awk -v a="$b0" -v b="$b1" 'BEGIN {print b - a}')"
    echo "SAMPLE idle_wakeups tarvel $((tw1 - tw0))"
    echo "SAMPLE idle_wakeups baseline $((bw1 - bw0))"
} >>"$samples"
w "$bin/sessionctl.exe" command 303 >/dev/null || true
wait "$tarvel_pid" 2>/dev/null || true
kill "$baseline_pid" 2>/dev/null || true
wait "$baseline_pid" 2>/dev/null || true
idle_pids=()

echo "== start-up, memory, tray menu and switching: $rounds rounds of each program (and a warm-up)"
"$WINELOADER" "$bin/BenchDriver.exe" "$rounds" "$menu_clicks" "$switches" </dev/null 2>"$out/driver.log" | tr -d '\r' >>"$samples" \
    || { echo "the driver failed:"; cat "$out/driver.log"; grep NOTE "$samples" || true; exit 1; }

echo "== the tray menu inside one process"
"$WINELOADER" "$bin/MenuPaintBench.exe" "$paint_repeats" </dev/null 2>>"$out/driver.log" | tr -d '\r' >>"$samples"

echo "== one vendor call and one firmware request through the stand-ins"
"$WINELOADER" "$bin/StandinCallBench.exe" "$call_repeats" </dev/null 2>>"$out/driver.log" | tr -d '\r' >>"$samples" \
    || { echo "the stand-in calls failed:"; grep NOTE "$samples" | tail -2; exit 1; }
ctl reset >/dev/null

echo "== sizes and imported DLLs"
imports() { python3 "$here/pe_tables.py" dlls "$1" | sort -f | paste -sd ' ' -; }
kib() { awk -v n="$(stat -c %s "$1")" 'BEGIN {printf "%.1f", n / 1024}'; }
{
    echo "SAMPLE size_exe_x86_64_kib tarvel $(kib "$bin/Tarvel.exe")"
    echo "SAMPLE size_exe_x86_64_kib baseline $(kib "$bin/Baseline.exe")"
    echo "SAMPLE size_exe_i686_kib tarvel $(kib "$build32/bin/Tarvel.exe")"
    echo "SAMPLE size_exe_i686_kib baseline $(kib "$build32/bin/Baseline.exe")"
} >>"$samples"

{
    echo "## Imported DLLs"
    echo
    echo "| Program | Imports |"
    echo "|---|---|"
    echo "| Tarvel.exe x86_64 | $(imports "$bin/Tarvel.exe") |"
    echo "| Tarvel.exe i686 | $(imports "$build32/bin/Tarvel.exe") |"
    echo "| Baseline.exe x86_64 | $(imports "$bin/Baseline.exe") |"
    echo "| Baseline.exe i686 | $(imports "$build32/bin/Baseline.exe") |"
    echo "| SameWorkBaseline.exe x86_64 | $(imports "$bin/SameWorkBaseline.exe") |"
    echo "| SameWorkBaseline.exe i686 | $(imports "$build32/bin/SameWorkBaseline.exe") |"
    echo
    echo "Tarvel loads the bridge \`ORVWmiAcpi.dll\` (beside it) and the vendor library from the system"
    echo "folder at run time; every import above is a system DLL, so there is no runtime DLL to install."
    echo
    echo "Idle threads at the end of the ${idle_seconds} s: Tarvel $tarvel_threads, baseline $baseline_threads (Wine's own included)."
    if grep -q '^NOTE' "$samples"; then
        echo
        echo "Driver notes:"
        echo
        grep '^NOTE' "$samples" | sed 's/^NOTE /- /'
    fi
    echo
    cat "$top/bench/PerformanceNotes.md"
} >"$notes"

machine="$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //') ($(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB), $(uname -sr), $("$WINELOADER" --version 2>/dev/null), $(x86_64-w64-mingw32-g++-posix --version | head -1) and $(i686-w64-mingw32-g++-win32 --version | head -1), $(date -u '+%Y-%m-%d %H:%M UTC')"
command="scripts/bench.sh"
for v in TARVEL_BENCH_QUICK TARVEL_BENCH_ROUNDS TARVEL_BENCH_IDLE_SECONDS TARVEL_BENCH_BUILD TARVEL_BENCH_BUILD_I686; do
    [ -n "${!v:-}" ] && command="$v=${!v#$top/} $command"
done
mkdir -p "$(dirname "$output")"
python3 "$top/bench/report.py" "$samples" "$notes" "$output" "$machine" "$command"
echo "== written: ${output#$top/}"
