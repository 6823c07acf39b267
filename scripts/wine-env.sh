# Sourced by the Wine scripts: the environment every Wine call of this project uses.
# Debian's /usr/bin/wine picks the 32-bit loader, which a kernel without 32-bit support
# cannot run, so the 64-bit loader and server are named directly; the 64-bit loader starts
# 32-bit programs itself (WoW64).
export WINEARCH=win64
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts while a prefix is created.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The i686 flavour runs under WoW64 as on 64-bit Windows: the same 64-bit prefix and
# wineserver, with 32-bit Wine for the 32-bit programs, native or under qemu-user as
# i686-runner.sh decides. For qemu, 32-bit Wine is prepared once in this cache folder by
# wine32-setup.sh; its wine64 is a copy of the system's that starts 32-bit programs through
# the 'wine' beside it.
export TARVEL_WINE32=${TARVEL_WINE32:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvel/wine32}
. "$(dirname "${BASH_SOURCE[0]}")/i686-runner.sh"

# Picks the Wine of a flavour, once WINEPREFIX is set: the flavour the prefix was made for
# (wine-prefix.sh records it), else TARVEL_WINE_ARCH (x86_64 or i686), else x86_64.
tarvel_wine_arch() {
    if [ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX.state/arch" ]; then
        TARVEL_WINE_ARCH=$(cat "$WINEPREFIX.state/arch")
    fi
    export TARVEL_WINE_ARCH=${TARVEL_WINE_ARCH:-x86_64}
    case "$TARVEL_WINE_ARCH" in
        i686)
            tarvel_i686_runner || return
            case "$TARVEL_I686_RUNNER" in
                native) export WINELOADER=/usr/lib/wine/wine64 ;;
                qemu) export WINELOADER=$TARVEL_WINE32/usr/lib/wine/wine64 ;;
            esac ;;
        x86_64) export WINELOADER=/usr/lib/wine/wine64 ;;
        *) echo "unknown TARVEL_WINE_ARCH '$TARVEL_WINE_ARCH' (x86_64 or i686)" >&2; return 1 ;;
    esac
}

# The flavour of a Windows program file from its PE header (i686 or x86_64); nothing for
# anything else.
tarvel_pe_arch() {
    [ -f "$1" ] || return 0
    local pe machine
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
    [ -n "$pe" ] || return 0
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ') || return 0
    case "$machine" in
        014c) echo i686 ;;
        8664) echo x86_64 ;;
    esac
}

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
