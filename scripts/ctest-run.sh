#!/usr/bin/env bash
# Runs CTest in a build folder with one second run for a test that fails or hangs, and ends
# with the list of every test that passed only on its second run.
#   scripts/ctest-run.sh BUILD_DIR [CTEST ARGS...]
# A Wine program now and then stalls at start or exit for reasons of its own, and one such
# stall should not hide the rest of the run; but a second run is a defect to explain, not
# noise, so each one is named. A test that fails twice fails the run. The exit status is
# CTest's.
set -uo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [CTEST ARGS...]" >&2
    exit 2
fi
build=$1
shift
cd "$build" || exit 2

log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --output-on-failure --repeat until-pass:2 "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

# CTest prints one result line per run of a test: "  3/120 Test  #7: NAME ....   Passed  0.2 sec",
# a failed run with "***Failed", "***Timeout", "***Exception: ..." and the like. A test whose
# first result was not "Passed" and whose last one was needed its second run.
awk '
    match($0, /Test +#[0-9]+: /) {
        rest = substr($0, RSTART + RLENGTH)
        name = rest
        sub(/ .*/, "", name)
        result = (rest ~ /\*\*\*/) ? rest : "Passed"
        if (result != "Passed") {
            sub(/.*\*\*\*/, "", result)
            sub(/ +[0-9.]+ sec.*$/, "", result)
        } else if (rest !~ / Passed /) {
            next
        }
        if (!(name in first)) { first[name] = result; order[++n] = name }
        last[name] = result
    }
    END {
        count = 0
        for (i = 1; i <= n; ++i) if (first[order[i]] != "Passed" && last[order[i]] == "Passed") ++count
        print ""
        if (count == 0) {
            print "== no test needed a second run"
        } else {
            print "== " count " test(s) passed only on their second run:"
            for (i = 1; i <= n; ++i) {
                name = order[i]
                if (first[name] != "Passed" && last[name] == "Passed") print "   " name " (first run: " first[name] ")"
            }
        }
    }
' "$log"
exit "$status"
