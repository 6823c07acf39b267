#!/usr/bin/env bash
# The benchmark: builds what it needs, runs Tarvel side by side with bench/Baseline.cpp
# and bench/SameWorkBaseline.cpp under Wine on the simulated notebook, and writes the table
# to the flavour's section of docs/PERFORMANCE.md (the other flavour's section is kept).
#   scripts/bench.sh [x86_64|i686]   (x86_64 by default; about 6 minutes; nothing is left
#                                     running afterwards)
# i686 measures the 32-bit Tarvel, the baselines and the drivers of the i686 build as on
# 64-bit Windows, under WoW64, against the same 64-bit simulated notebook. Only where 32-bit
# Wine runs natively (i686-runner.sh): under qemu-user the timings would be the emulator's,
# so there it says so and stops with status 3.
# TARVEL_BENCH_ROUNDS (default 7) sets the number of recorded start-ups of each program,
# TARVEL_BENCH_IDLE_SECONDS (default 60) the idle period; TARVEL_BENCH_BUILD and
# TARVEL_BENCH_BUILD_I686 choose other build folders than build/x86_64 and build/i686;
# TARVEL_BENCH_OUTPUT another file than docs/PERFORMANCE.md.
# TARVEL_BENCH_QUICK=1 is a short run to try changes (2 to 3 minutes): 2 rounds, 5 s of
# idle, fewer repeats, and the table goes to <build>/bench/PERFORMANCE.md (the measured
# flavour's build) unless TARVEL_BENCH_OUTPUT says otherwise. Its figures are for a look,
# not for the record.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
cd "$top"

flavour=${1:-x86_64}
case "$flavour" in
    x86_64) nvapi=nvapi64.dll; system_folder=system32 ;;
    i686) nvapi=nvapi.dll; system_folder=syswow64 ;;  # the 32-bit system folder of 64-bit Windows
    *) echo "usage: scripts/bench.sh [x86_64|i686]" >&2; exit 2 ;;
esac
if [ "$flavour" = i686 ]; then
    . "$here/i686-runner.sh"
    tarvel_i686_runner || exit 3
    tarvel_i686_runner_line
    if [ "$TARVEL_I686_RUNNER" != native ]; then
        echo "bench: no i686 figures on this machine: 32-bit code would run under qemu-user, and emulated timings are no performance figures" >&2
        exit 3
    fi
fi

quick=${TARVEL_BENCH_QUICK:-0}
build=${TARVEL_BENCH_BUILD:-$top/build/x86_64}
build32=${TARVEL_BENCH_BUILD_I686:-$top/build/i686}
# Wine wants an absolute prefix path, and the folders may be given relative to the top.
build=$(mkdir -p "$build" && cd "$build" && pwd)
build32=$(mkdir -p "$build32" && cd "$build32" && pwd)
# The measured flavour's build; the simulated notebook and its tools are the x86_64 ones for
# both flavours, as a 32-bit program on 64-bit Windows reaches a 64-bit service.
case "$flavour" in x86_64) measured=$build ;; i686) measured=$build32 ;; esac
if [ "$quick" = 1 ]; then
    rounds=${TARVEL_BENCH_ROUNDS:-2}
    idle_seconds=${TARVEL_BENCH_IDLE_SECONDS:-5}
    menu_clicks=3 switches=3 paint_repeats=100 call_repeats=50
    output=${TARVEL_BENCH_OUTPUT:-$measured/bench/PERFORMANCE.md}
else
    rounds=${TARVEL_BENCH_ROUNDS:-7}
    idle_seconds=${TARVEL_BENCH_IDLE_SECONDS:-60}
    menu_clicks=10 switches=10 paint_repeats=1000 call_repeats=200
    output=${TARVEL_BENCH_OUTPUT:-$top/docs/PERFORMANCE.md}
fi

"$here/setup.sh"
echo "== building (x86_64 in $build, i686 in $build32)"
# Both flavours' programs are built for the size rows; the drivers only for the measured one.
# The i686 build takes its simulated notebook service from this x86_64 build.
cmake --preset x86_64 -B "$build" >/dev/null
cmake --preset i686 -B "$build32" -DTARVEL_SERVICE_BIN="$build/bin" >/dev/null
case "$flavour" in
    x86_64)
        cmake --build "$build" -j 2 --target bench >/dev/null
        cmake --build "$build32" -j 2 --target Tarvel Baseline SameWorkBaseline >/dev/null ;;
    i686)
        cmake --build "$build" -j 2 --target Tarvel Baseline SameWorkBaseline simnotebook notebookctl sessionctl >/dev/null
        cmake --build "$build32" -j 2 --target bench >/dev/null ;;
esac

export TARVEL_WINE_ARCH=$flavour
. "$here/wine-env.sh"
bin="$measured/bin"
tools="$build/bin"
out="$measured/bench"
mkdir -p "$out"
samples="$out/samples.txt"
notes="$out/notes.md"
: >"$samples"
export WINEPREFIX="$measured/wineprefix-bench"
unset DISPLAY
DISPLAY=$("$here/wine-session.sh" "$WINEPREFIX")
export DISPLAY
tarvel_wine_arch

w() { "$WINELOADER" "$@" 2>/dev/null | tr -d '\r'; }
ctl() { w "$tools/notebookctl.exe" "$@"; }
vendor_library="$WINEPREFIX/drive_c/windows/$system_folder/$nvapi"
idle_pids=()
cleanup() {
    for pid in "${idle_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    ctl quit >/dev/null 2>&1 || true
    rm -f "$vendor_library"
    "$here/wine-stop.sh" "$WINEPREFIX"
}
trap cleanup EXIT

wait_for() {  # wait_for SECONDS COMMAND...
    local end=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done
}

echo "== the simulated notebook: NVIDIA GPU, firmware overclock option on"
"$WINELOADER" "$tools/notebookctl.exe" start </dev/null >/dev/null 2>&1
cp "$bin/$nvapi" "$vendor_library"

# CPU time in ms (scheduler run time of all threads) and voluntary context switches
# (each one a sleep that something ended) of a Linux process.
cpu_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%.3f", ns / 1e6}'; }
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n + 0}'; }

# The Linux process of a Windows program running in this prefix, found by the file name of
# its command line. A 64-bit program runs in the process wine64 was started as; a 32-bit
# one does not: wine64 hands it to a 64-bit start.exe, which creates it as a process of its
# own under the 32-bit preloader and waits for it. Counters read from the started pid would
# be start.exe's. Prints the pid once exactly one such process of the flavour's word size
# runs; fails otherwise.
elf_class() { od -An -tu1 -j4 -N1 "$1" 2>/dev/null | tr -d ' '; }  # 1: 32-bit, 2: 64-bit
program_pid() {  # program_pid NAME.exe
    local p argv0 found=()
    for p in /proc/[0-9]*; do
        case "$(readlink "$p/exe" 2>/dev/null)" in /usr/lib/wine/*) ;; *) continue ;; esac
        argv0=$( { tr '\0' '\n' <"$p/cmdline" | head -1; } 2>/dev/null) || continue
        argv0=${argv0##*[/\\]}
        [ "${argv0,,}" = "${1,,}" ] || continue
        { tr '\0' '\n' <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; } 2>/dev/null || continue
        found+=("${p#/proc/}")
    done
    [ ${#found[@]} = 1 ] || return 1
    local want=2; [ "$flavour" = i686 ] && want=1
    [ "$(elf_class "/proc/${found[0]}/exe")" = $want ] || return 1
    echo "${found[0]}"
}

echo "== idle: both programs started, then ${idle_seconds} s without input"
ctl reset >/dev/null
ctl set AP:6 256 >/dev/null
ready_file="$out/baseline-idle-ready.txt"
rm -f "$ready_file"
"$WINELOADER" "$bin/Tarvel.exe" </dev/null >/dev/null 2>&1 &
tarvel_start=$!
"$WINELOADER" "$bin/Baseline.exe" "Z:$(echo "$ready_file" | tr / '\\')" </dev/null >/dev/null 2>&1 &
baseline_start=$!
idle_pids=("$tarvel_start" "$baseline_start")
wait_for 60 test -s "$ready_file" || { echo "the baseline did not add its icon"; exit 1; }
wait_for 60 bash -c "[ \"\$(\"$WINELOADER\" \"$tools/notebookctl.exe\" get AP:6 2>/dev/null | tr -d '\r')\" = 257 ]" \
    || { echo "Tarvel did not start"; exit 1; }
tarvel_pid=$(program_pid Tarvel.exe) || { echo "no single $flavour process of Tarvel.exe found"; exit 1; }
baseline_pid=$(program_pid Baseline.exe) || { echo "no single $flavour process of Baseline.exe found"; exit 1; }
idle_pids+=("$tarvel_pid" "$baseline_pid")
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
tarvel_threads=$(threads "$tarvel_pid")
baseline_threads=$(threads "$baseline_pid")
idle_process="$(readlink "/proc/$tarvel_pid/exe")"
{
    echo "SETTING idle_seconds $idle_seconds"
    echo "SAMPLE idle_cpu_ms tarvel $(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')"
    echo "SAMPLE idle_cpu_ms baseline $(awk -v a="$b0" -v b="$b1" 'BEGIN {print b - a}')"
    echo "SAMPLE idle_wakeups tarvel $((tw1 - tw0))"
    echo "SAMPLE idle_wakeups baseline $((bw1 - bw0))"
} >>"$samples"
w "$tools/sessionctl.exe" command 303 >/dev/null || true
wait "$tarvel_start" 2>/dev/null || true
kill "$baseline_pid" "$baseline_start" 2>/dev/null || true
wait "$baseline_start" 2>/dev/null || true
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
    echo "SAMPLE size_exe_x86_64_kib tarvel $(kib "$build/bin/Tarvel.exe")"
    echo "SAMPLE size_exe_x86_64_kib baseline $(kib "$build/bin/Baseline.exe")"
    echo "SAMPLE size_exe_i686_kib tarvel $(kib "$build32/bin/Tarvel.exe")"
    echo "SAMPLE size_exe_i686_kib baseline $(kib "$build32/bin/Baseline.exe")"
} >>"$samples"

{
    echo "### Imported DLLs"
    echo
    echo "| Program | Imports |"
    echo "|---|---|"
    for exe in Tarvel Baseline SameWorkBaseline; do
        echo "| $exe.exe x86_64 | $(imports "$build/bin/$exe.exe") |"
        echo "| $exe.exe i686 | $(imports "$build32/bin/$exe.exe") |"
    done
    echo
    echo "Tarvel loads the bridge \`ORVWmiAcpi.dll\` (beside it) and the vendor library from the system"
    echo "folder at run time; every import above is a system DLL, so there is no runtime DLL to install."
    echo
    echo "Idle threads at the end of the ${idle_seconds} s: Tarvel $tarvel_threads, baseline $baseline_threads (Wine's own included)."
    if [ "$flavour" = i686 ]; then
        echo "The idle counters are those of each program's own 32-bit Linux process (\`$idle_process\`),"
        echo "not those of the 64-bit \`start.exe\` that wine64 hands a 32-bit program to."
    fi
    if grep -q '^NOTE' "$samples"; then
        echo
        echo "Driver notes:"
        echo
        grep '^NOTE' "$samples" | sed 's/^NOTE /- /'
    fi
} >"$notes"

machine="$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //') ($(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB), $(uname -sr), $("$WINELOADER" --version 2>/dev/null), $(x86_64-w64-mingw32-g++-posix --version | head -1) and $(i686-w64-mingw32-g++-win32 --version | head -1), $(date -u '+%Y-%m-%d %H:%M UTC')"
# How the 32-bit programs ran belongs to their figures.
if [ "$flavour" = i686 ]; then
    machine="$machine; 32-bit code: $(tarvel_i686_runner_line | sed 's/^i686: //'), wine32:i386 $(dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null || echo '(version unknown)')"
fi
command="scripts/bench.sh"
[ "$flavour" = x86_64 ] || command="$command $flavour"
for v in TARVEL_BENCH_QUICK TARVEL_BENCH_ROUNDS TARVEL_BENCH_IDLE_SECONDS TARVEL_BENCH_BUILD TARVEL_BENCH_BUILD_I686; do
    [ -n "${!v:-}" ] && command="$v=${!v#$top/} $command"
done
mkdir -p "$(dirname "$output")"
python3 "$top/bench/report.py" "$flavour" "$samples" "$notes" "$top/bench/PerformanceNotes.md" "$output" "$machine" "$command"
echo "== written: the $flavour section of ${output#$top/}"
