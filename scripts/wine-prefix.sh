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
[ -f "$WINEPREFIX.state/configured" ] && exit 0

echo "wine-prefix: creating $WINEPREFIX" >&2
DISPLAY= "$WINELOADER" wineboot -i >/dev/null 2>&1
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
DISPLAY= "$WINELOADER" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
"$WINESERVER" -w
touch "$WINEPREFIX.state/configured"
