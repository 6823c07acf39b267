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
under_qemu=0
if [ "$TARVEL_WINE_ARCH" = i686 ]; then
    case "$TARVEL_I686_RUNNER" in
        qemu)
            under_qemu=1
            # 32-bit Wine under the emulator, fetched and unpacked on first use (or again after
            # the cache was cleared or made by an older layout); a quick look otherwise.
            "$here/wine32-setup.sh" >/dev/null 9>&- ;;
        native)
            [ -x /usr/lib/wine/wine ] || {
                echo "wine-prefix: 32-bit Wine (wine32:i386) is not installed: run scripts/setup.sh as root" >&2
                exit 1; } ;;
    esac
fi
# The unpacked 32-bit Wine's builtins load zlib1.dll from the (32-bit) system folder, which
# Debian's installed one finds by itself; also in a prefix that native 32-bit Wine made.
syswow64="$WINEPREFIX/drive_c/windows/syswow64"
zlib_for_qemu() {
    if [ $under_qemu = 1 ] && [ ! -f "$syswow64/zlib1.dll" ]; then
        cp /usr/i686-w64-mingw32/lib/zlib1.dll "$syswow64/"
    fi
}
[ -d "$syswow64" ] && zlib_for_qemu
[ -f "$WINEPREFIX.state/configured" ] && exit 0

echo "wine-prefix: creating $WINEPREFIX ($TARVEL_WINE_ARCH)" >&2
DISPLAY= "$WINELOADER" wineboot -i >/dev/null 2>&1 9>&-
echo "$TARVEL_WINE_ARCH" > "$WINEPREFIX.state/arch"
zlib_for_qemu
# No debugger attaches to a program that crashes (AeDebug names one that does not exist):
# Wine's own, winedbg --auto, now and then ended the crashed program with status 0 rather
# than the exception's code (seen in about one fresh session in six), so that a test
# program that crashed could count as passed. Without one, the status is the exception's.
# Every program runs in one virtual desktop of 800x600 with its taskbar, and so a notification
# area, on every Wine version: the desktop's shell is asked for (EnableShell). Without it Wine 8
# shows a bare bar of tray icons at the bottom, but Wine 10 only a small window at the top left.
reg="$WINEPREFIX.state/settings.reg"
cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="x11,null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="no-debugger"
"Auto"="1"

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="no-debugger"
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops\Default]
"EnableShell"=dword:00000001
REG
DISPLAY= "$WINELOADER" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 9>&-
"$WINESERVER" -w
touch "$WINEPREFIX.state/configured"
