#!/usr/bin/env bash
# Prepares 32-bit Wine under qemu-user for the i686 flavour, once, in a cache folder that
# later runs reuse without any network access: the path for kernels that run no 32-bit Linux
# programs (or where TARVEL_I686_RUNNER=qemu asks for it; see i686-runner.sh). Debian's
# 32-bit Wine then runs under the emulator, beside the system's 64-bit Wine and served by
# its wineserver.
# Nothing is installed system-wide: the i386 packages are fetched with a private apt state
# and unpacked into the cache folder. Prints the folder.
#
# The emulator is qemu 10 or later: the release's own on Debian 13, from backports on Debian 12,
# whose own qemu 7.2 breaks 32-bit Wine as soon as two threads wait on the wineserver at once (a lock
# test with four threads, or two threads with pipe I/O pending, crash or hang in most runs).
#   wine32-setup.sh
#
# The folder holds:
#   root/               the unpacked i386 packages (32-bit Wine and the libraries it needs)
#   qemu-i386-static    the user-mode emulator
#   usr/lib/wine/       the loaders: wine64 (a copy of the system's, so that Wine starts
#                       32-bit programs through the 'wine' beside it), 'wine', which runs
#                       the 32-bit loader under qemu, and preloader32, 32-bit Wine's
#                       preloader. That one must not be called wine-preloader: wine64 looks
#                       for that name beside itself and, on a kernel that runs 32-bit
#                       programs, would start it directly with the script 'wine', which no
#                       preloader can load.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
dir=$TARVEL_WINE32

# What the folder was made from: the layout, the system Wine's version (a different one
# makes the folder again) and the emulator's version, which must still be the one there.
wine_version=$(dpkg-query -W -f='${Version}' libwine:amd64 2>/dev/null || true)
[ -n "$wine_version" ] || { echo "wine32-setup: the system's 64-bit Wine (libwine) is not installed" >&2; exit 1; }
stamp="layout 4, wine $wine_version"
qemu_of() { "$1/qemu-i386-static" --version 2>/dev/null | sed -n '1s/.*version \([^ ]*\).*/\1/p'; }

mkdir -p "$(dirname "$dir")"
exec 9>"$dir.lock"
flock 9
if [ -f "$dir/ready" ] && [ "$(cat "$dir/ready")" = "$stamp, qemu $(qemu_of "$dir")" ]; then
    echo "$dir"; exit 0
fi

echo "wine32-setup: preparing 32-bit Wine in $dir (download, unpack, strip)" >&2
work="$dir.new"
rm -rf "$work" "$dir"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# The i386 packages at the versions of the system's own Wine; the rest from the release.
wine_pkgs=(libwine wine32 wine32-preloader)
lib_pkgs=(libc6 libgcc-s1 libstdc++6 libx11-6 libx11-data libxext6 libxcb1 libxau6 libxdmcp6
          libbsd0 libmd0 libfreetype6 libpng16-16 zlib1g libbrotli1 libfontconfig1 libexpat1
          fontconfig-config libxrender1 libxi6 libxrandr2 libxfixes3 libxcursor1 libxinerama1
          libxcomposite1 libudev1)

# A private apt: its own lists, cache and (empty) package status, i386 as its architecture
# (amd64 too, for the emulator), the system's Debian sources and the release's backports.
apt="$work/apt"
mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$apt/debs"
: > "$apt/status"
python3 "$here/apt-sources.py" i386,amd64 > "$apt/sources.list"
[ -s "$apt/sources.list" ] || { echo "wine32-setup: no Debian sources found in /etc/apt" >&2; exit 1; }
cat > "$apt/apt.conf" <<CONF
Dir::State "$apt/state";
Dir::State::status "$apt/status";
Dir::Cache "$apt/cache";
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/parts";
APT::Architecture "i386";
APT::Architectures { "i386"; "amd64"; };
APT::Get::AllowUnauthenticated "false";
APT::Sandbox::User "$(id -un)";
Acquire::Languages "none";
CONF
export APT_CONFIG="$apt/apt.conf"
apt-get -qq update >&2
if ! apt-cache show "wine32:i386=$wine_version" >/dev/null 2>&1; then
    echo "wine32-setup: wine32:i386 $wine_version not found in the package lists (no network, or another release?)" >&2
    exit 1
fi
candidate() { apt-cache policy "$1" 2>/dev/null | sed -n 's/^ *Candidate: //p' | grep -vx '(none)' || true; }
wanted=()
for p in "${wine_pkgs[@]}"; do wanted+=("$p:i386=$wine_version"); done
for p in "${lib_pkgs[@]}"; do
    # Debian 13 renamed some libraries for its 64-bit time_t (libpng16-16t64); the old name
    # is then only a virtual package, which cannot be downloaded.
    if [ -z "$(candidate "$p:i386")" ] && [ -n "$(candidate "${p}t64:i386")" ]; then p=${p}t64; fi
    wanted+=("$p:i386")
done
# The emulator: the release's own qemu-user from version 10 on (Debian 13's), else the one
# from backports (Debian 12's 7.2 breaks 32-bit Wine); both have static binaries.
. /etc/os-release
qemu_pkg=qemu-user
qemu_version=$(apt-cache madison qemu-user 2>/dev/null | grep -v -- '-backports' | awk 'NR == 1 {print $3}')
if ! dpkg --compare-versions "${qemu_version:-0}" ge 1:10; then
    qemu_version=$(apt-cache madison qemu-user 2>/dev/null | awk -v s="$VERSION_CODENAME-backports" '$0 ~ s {print $3; exit}')
fi
if [ -z "$qemu_version" ]; then
    echo "wine32-setup: no qemu in $VERSION_CODENAME-backports; the release's qemu-user-static is unreliable with threads" >&2
    qemu_pkg=qemu-user-static
    qemu_version=$(apt-cache madison qemu-user-static | awk 'NR == 1 {print $3}')
fi
wanted+=("$qemu_pkg:amd64=$qemu_version")
(cd "$apt/debs" && apt-get -qq download "${wanted[@]}" >&2)
unset APT_CONFIG

root="$work/root"
mkdir -p "$root"
for deb in "$apt/debs"/*.deb; do
    case "$(basename "$deb")" in
        qemu-user_*|qemu-user-static_*)
            dpkg -x "$deb" "$work/qemu"
            q=$work/qemu/usr/bin/qemu-i386
            [ -f "$q" ] && [ ! -L "$q" ] || q=$work/qemu/usr/bin/qemu-i386-static
            mv "$q" "$work/qemu-i386-static"
            rm -rf "$work/qemu"
            "$work/qemu-i386-static" --version | head -1 >&2 ;;
        *) dpkg -x "$deb" "$root" ;;
    esac
done
rm -rf "$apt" "$root/usr/share/doc" "$root/usr/share/man" "$root/usr/share/locale" "$root/usr/share/lintian"

# Debug information is most of the unpacked size and nothing here reads it.
find "$root" -type f \( -name '*.so' -o -name '*.so.*' -o -name '*.dll' -o -name '*.exe' -o -name '*.drv' \
        -o -name '*.sys' -o -name '*.cpl' -o -name '*.ocx' -o -name '*.acm' -o -name '*.ax' -o -name '*.tlb' \
        -o -path '*/usr/lib/wine/*' \) -print0 |
    xargs -0 -r strip --strip-debug 2>/dev/null || true

# The loader must find the unpacked libraries, never the host's own 32-bit ones.
echo 'include /etc/ld.so.conf.d/*.conf' > "$root/etc/ld.so.conf"
"$(command -v ldconfig || echo /sbin/ldconfig)" -r "$root"

# Wine's 32-bit builtins need zlib1.dll, which Debian's Wine takes from the system.
windows_dir="$root/usr/lib/i386-linux-gnu/wine/i386-windows"
[ -d "$windows_dir" ] || { echo "wine32-setup: no 32-bit Wine builtins in the unpacked packages" >&2; exit 1; }
cp /usr/i686-w64-mingw32/lib/zlib1.dll "$windows_dir/"

loader="$work/usr/lib/wine"
mkdir -p "$loader"
cp /usr/lib/wine/wine64 "$loader/wine64"
preloader=$(find "$root/usr/lib/wine" -maxdepth 1 -name 'wine-preloader*' | sort | head -1)
[ -n "$preloader" ] || { echo "wine32-setup: no 32-bit Wine preloader in the unpacked packages" >&2; exit 1; }
cp "$preloader" "$loader/preloader32"
# Without the preloader every 32-bit process spends about a minute before it starts.
# The paths are relative to this folder, so the cache can be moved.
# qemu asks for huge pages for the code it translates, and that code is part of the emulated
# program's working set: with huge pages a program's memory figures would jump by 2 MiB
# whenever the emulator translates a little more, so they are turned off for the emulator
# (prctl PR_SET_THP_DISABLE = 41, syscall 157 on x86_64, through perl, which every Debian
# has). Where the kernel refuses, the emulator runs as before.
cat > "$loader/wine" <<'SH'
#!/bin/sh
d=$(cd "$(dirname "$0")/../../.." && pwd)
WINELOADERNOEXEC=1 exec perl -e 'syscall(157, 41, 1, 0, 0, 0); exec { $ARGV[0] } @ARGV or die "wine: $!\n"' \
    "$d/qemu-i386-static" -L "$d/root" -0 "$d/usr/lib/wine/preloader32" \
    "$d/usr/lib/wine/preloader32" "$d/root/usr/lib/wine/wine" "$@"
SH
chmod +x "$loader/wine"
ln -s /usr/lib/x86_64-linux-gnu "$work/usr/lib/x86_64-linux-gnu"
ln -s ../../root/usr/lib/i386-linux-gnu "$work/usr/lib/i386-linux-gnu"
mkdir -p "$work/usr/share"
ln -s /usr/share/wine "$work/usr/share/wine"

echo "$stamp, qemu $(qemu_of "$work")" > "$work/ready"
mv "$work" "$dir"
trap - EXIT
echo "wine32-setup: ready, $(du -sh "$dir" | cut -f1)" >&2
echo "$dir"
