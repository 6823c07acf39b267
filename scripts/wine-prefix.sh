#!/usr/bin/env bash
# Creates and configures a Wine prefix once (under a lock, so parallel tests wait for it).
#   wine-prefix.sh PREFIX
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
export WINEPREFIX=$1
mkdir -p "$WINEPREFIX.state"
exec 9>"$WINEPREFIX.state/lock"
flock 9
tarvel_wine_arch
if [ "$TARVEL_WINE_ARCH" = i686 ] && [ ! -x "$WINELOADER" ]; then
    # 32-bit Wine, fetched and unpacked on first use (or again after the cache was cleared).
    "$here/wine32-setup.sh" >/dev/null 9>&-
fi
[ -f "$WINEPREFIX.state/configured" ] && exit 0

echo "wine-prefix: creating $WINEPREFIX ($TARVEL_WINE_ARCH)" >&2
DISPLAY= "$WINELOADER" wineboot -i >/dev/null 2>&1 9>&-
echo "$TARVEL_WINE_ARCH" > "$WINEPREFIX.state/arch"
if [ "$TARVEL_WINE_ARCH" = i686 ]; then
    # Wine's 32-bit builtins load zlib1.dll from the (32-bit) system folder.
    cp /usr/i686-w64-mingw32/lib/zlib1.dll "$WINEPREFIX/drive_c/windows/syswow64/"
fi
reg="$WINEPREFIX.state/settings.reg"
cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="x11,null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"
REG
DISPLAY= "$WINELOADER" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 9>&-
"$WINESERVER" -w
touch "$WINEPREFIX.state/configured"
