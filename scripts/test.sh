#!/usr/bin/env bash
# Installs what is missing, builds both flavours of Tarvel and runs every test (under
# Wine, in a fresh prefix of the build folder). Leaves no Wine or Xvfb process behind.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
cd "$top"

"$here/setup.sh"

jobs=${TARVEL_JOBS:-$(nproc)}
for preset in i686 x86_64; do
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

prefix="$top/build/x86_64/wineprefix"
trap '"$here/wine-stop.sh" "$prefix"' EXIT
"$here/wine-stop.sh" "$prefix"
rm -rf "$prefix" "$prefix.state"

echo "== test x86_64 (under Wine)"
# A test that fails or hangs is run once more, and named at the end (see ctest-run.sh).
"$here/ctest-run.sh" build/x86_64 -j "$jobs" ${TARVEL_CTEST_ARGS:-}
