#!/usr/bin/env bash
# Makes the release artefacts of both flavours and puts them into dist/:
#   Tarvel-<version>-i686.zip      Tarvel-<version>-i686-setup.exe
#   Tarvel-<version>-x86_64.zip    Tarvel-<version>-x86_64-setup.exe
# Each flavour is built in a folder of its own (build/release-<flavour>) without tests.
# The version is the project's (top-level CMakeLists.txt).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
cd "$top"

"$here/setup.sh"

jobs=${TARVEL_JOBS:-$(nproc)}
rm -rf dist
mkdir -p dist
for flavour in i686 x86_64; do
    build="build/release-$flavour"
    echo "== release $flavour"
    cmake --preset "$flavour" -B "$build" -DTARVEL_BUILD_TESTS=OFF >/dev/null
    # Artefacts of an earlier version must not be picked up with these.
    rm -rf "$build/dist"
    cmake --build "$build" -j "$jobs" --target tarvel_release
    made=("$build"/dist/Tarvel-*-"$flavour".zip "$build"/dist/Tarvel-*-"$flavour"-setup.exe)
    for f in "${made[@]}"; do
        [ -f "$f" ] || { echo "release: $f was not made (is makensis installed?)" >&2; exit 1; }
    done
    cp "${made[@]}" dist/
done

echo "== made in $top/dist:"
for f in dist/*; do
    printf '  %-44s %8d bytes\n' "$(basename "$f")" "$(stat -c %s "$f")"
    case "$f" in
        *.zip) python3 -m zipfile -l "$f" | sed 's/^/      /' ;;
    esac
done
