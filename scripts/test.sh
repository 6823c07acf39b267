#!/usr/bin/env bash
# Installs what is missing, builds both flavours of Tarvel and runs their tests under Wine:
# x86_64 under 64-bit Wine, i686 as on 64-bit Windows under WoW64, each in a fresh prefix of
# its build folder. 32-bit Wine runs natively where the kernel runs 32-bit programs, and
# under qemu-user where it does not (decided now, by i686-runner.sh); after a native i686
# suite a short set runs under qemu-user as well, so that the path not taken stays alive.
# On a release other than Debian 13 it ends with a short set on Debian 13 (Wine 10, GCC 14) in
# a root of its own (test-debian13.sh --short), so that the other release's path does not rot.
# Leaves no Wine, qemu or Xvfb process behind, and ends with the time each step took.
#   TARVEL_JOBS            parallel jobs (default: the number of processors)
#   TARVEL_CTEST_ARGS      more arguments for the flavours' ctest runs (e.g. -R Tray)
#   TARVEL_I686_RUNNER     qemu: the whole i686 suite under qemu-user, on any kernel
#   TARVEL_FLAVOURS        the flavours to build and test (default: "x86_64 i686")
#   TARVEL_BUILD_TARGETS   build only these targets (default: everything)
#   TARVEL_DEBIAN13_SET    0: leave out the Debian 13 set
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
cd "$top"

"$here/setup.sh"
. "$here/i686-runner.sh"
tarvel_i686_runner

# The short set under qemu-user after a native suite: start-up and apply, Exit, the tray
# menu with the real pointer, and the crash guard in-process and around the real Tarvel.
qemu_set='^(MessageHandling\.StartUpAppliesTheOverclockOnce|WaysOut\.TrayExitRevertsTwice'
qemu_set+='|TrayMenu\.EnableAndDisableSwitchWithThePointer|CrashGuardDeath\.AccessViolationWithdrawsOnceAndKeepsItsCode'
qemu_set+='|FaultMatrix\.CrashInsideTarvelIsRevertedByTheGuard)$'

jobs=${TARVEL_JOBS:-$(nproc)}
flavours=" ${TARVEL_FLAVOURS:-x86_64 i686} "
targets=()
for t in ${TARVEL_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
. /etc/os-release
debian13_set=${TARVEL_DEBIAN13_SET:-1}
[ "${VERSION_CODENAME:-}" != trixie ] || debian13_set=0
timings=()
# step NAME COMMAND...: runs one step and notes how long it took.
step() {
    local name=$1 start=$SECONDS status=0
    shift
    echo "== $name"
    "$@" || status=$?
    local took=$((SECONDS - start))
    timings+=("$(printf '  %-30s %3d min %02d s%s' "$name" $((took / 60)) $((took % 60)) \
        "$([ $status = 0 ] || echo '  (failed)')")")
    return $status
}
report() {
    echo "== times"
    printf '%s\n' "${timings[@]}"
}

# Each of these is a step of its own: the shell's -e does not hold inside one.
# 32-bit Wine under qemu-user serves either the whole i686 suite or the short set.
prepare_wine32() { "$here/wine32-setup.sh" >/dev/null; }
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs" "${targets[@]}"; }
debian13_set() { "$here/test-debian13.sh" --short; }

# run_suite FLAVOUR [CTEST ARGS...]: the flavour's tests in a fresh Wine prefix.
run_suite() {
    local flavour=$1
    shift
    local prefix="$top/build/$flavour/wineprefix"
    "$here/wine-stop.sh" "$prefix" && rm -rf "$prefix" "$prefix.state" || return
    # The prefix is made here rather than by the first test program CTest lists, whose
    # listing has a time limit that a WoW64 prefix's creation on a busy machine can exceed.
    TARVEL_WINE_ARCH=$flavour "$here/wine-session.sh" "$prefix" >/dev/null || return
    # A test that fails or hangs is run once more, and named at the end (see ctest-run.sh).
    "$here/ctest-run.sh" "build/$flavour" -j "$jobs" ${TARVEL_CTEST_ARGS:-} "$@"
}

# run_i686_under_qemu [CTEST ARGS...]: the i686 tests by the path a native run does not take.
run_i686_under_qemu() (
    trap - EXIT  # the run's own report and clean-up belong to the run, not to this step
    export TARVEL_I686_RUNNER=qemu TARVEL_I686_RUNNER_WHY="the path not taken, kept alive"
    tarvel_i686_runner_line
    run_suite i686 "$@"
)

stop_all() {
    "$here/wine-stop.sh" "$top/build/x86_64/wineprefix"
    "$here/wine-stop.sh" "$top/build/i686/wineprefix"
}
trap 'stop_all; report' EXIT

has() { [[ "$flavours" == *" $1 "* ]]; }
if has i686; then step "32-bit Wine (qemu-user) set-up" prepare_wine32; fi
# x86_64 first: the i686 tests use its simulated notebook service (TARVEL_SERVICE_BIN).
step "build x86_64" build x86_64
if has i686; then step "build i686" build i686; fi

failed=()
if has x86_64; then step "test x86_64 (64-bit Wine)" run_suite x86_64 || failed+=(x86_64); fi
if has i686; then
    tarvel_i686_runner_line
    if [ "$TARVEL_I686_RUNNER" = native ]; then
        step "test i686 (WoW64, native)" run_suite i686 || failed+=(i686)
        step "i686 short set (qemu-user)" run_i686_under_qemu -R "$qemu_set" || failed+=("i686 under qemu-user")
    else
        step "test i686 (WoW64, qemu-user)" run_suite i686 || failed+=(i686)
    fi
fi
if [ "$debian13_set" = 1 ]; then
    step "Debian 13 short set (chroot)" debian13_set || failed+=("Debian 13")
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "test: tests failed in: ${failed[*]}" >&2
    exit 1
fi
