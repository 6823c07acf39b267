# Sourced by the Wine scripts: the environment every Wine call of this project uses.
# Debian's /usr/bin/wine picks the 32-bit loader, which this kernel cannot run, so the
# 64-bit loader and server are named directly.
export WINEARCH=win64
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts while a prefix is created.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The build folder that holds a file: the nearest folder above it with a CMakeCache.txt.
tarvel_build_root() {
    local d
    d=$(cd "$(dirname "$1")" && pwd)
    while [ "$d" != "/" ]; do
        [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return 0; }
        d=$(dirname "$d")
    done
    return 1
}
