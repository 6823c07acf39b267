#!/usr/bin/env bash
# Runs the test command (scripts/test.sh) on Debian 13 (trixie: Wine 10, GCC 14, binutils
# 2.44) from a Debian 12 machine, in a Debian 13 root made with debootstrap: both flavours,
# the i686 one by the path this kernel allows (i686-runner.sh decides inside the root too).
#   test-debian13.sh            the whole of both suites
#   test-debian13.sh --short    the set scripts/test.sh runs to keep this path from rotting:
#                               the tray menu tests, the bridge checks and one install test,
#                               x86_64 only
#   test-debian13.sh --root     only makes (or checks) the root and prints its folder
# The root is made once, from the mirror of the system's own apt sources (apt-sources.py),
# in ${XDG_CACHE_HOME:-~/.cache}/tarvel/debian13 (TARVEL_DEBIAN13_ROOT chooses another
# folder), and reused while its stamp matches; scripts/setup.sh inside it installs what
# the test command needs, as on any Debian 13. Nothing is installed on this machine but
# debootstrap and rsync (by setup.sh), and nothing of the root goes into the checkout.
#
# The checkout is copied into the root (/srv/tarvel-<hash of its path and the root's>),
# without its build/ and dist/, so the root's builds (in that copy's build/) never meet this
# machine's, and checkouts tested at once each have their own. Everything runs in a mount namespace of its
# own: /proc, /sys, /dev and /tmp are mounted into the root only there, and go with the
# namespace's last process, so nothing stays mounted, whatever way the run ends. /tmp is
# this machine's: Xvfb's displays and their lock files are then seen by both sides (their
# sockets meet in the abstract namespace anyway), so xvfb-start.sh on either side never
# picks a display the other uses. Wine processes inside are found by their prefixes, which
# live under /srv and so never match a prefix of this machine (wine-stop.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)

mode=whole
case "${1:-}" in
    "") ;;
    --short) mode=short ;;
    --root) mode=root ;;
    *) echo "usage: $0 [--short|--root]" >&2; exit 2 ;;
esac

release=trixie
root=${TARVEL_DEBIAN13_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvel/debian13}
[ "$(id -u)" = 0 ] || { echo "test-debian13: run as root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null && command -v rsync >/dev/null || "$here/setup.sh"

# The mirror of the system's own Debian sources, and the lines for the root's sources.list:
# the same mirrors, with the release's suites.
mirror=$(python3 "$here/apt-sources.py" --mirror)
[ -n "$mirror" ] || { echo "test-debian13: no Debian mirror in /etc/apt" >&2; exit 1; }
stamp="layout 1, $release from $mirror"

make_root() {
    local work="$root.new"
    echo "test-debian13: making a Debian 13 ($release) root in $root from $mirror" >&2
    rm -rf "$work"
    # The machine's keyring has the release's keys (debian-archive-keyring).
    debootstrap --variant=minbase --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
        "$release" "$work" "$mirror" >"$work.log" 2>&1 ||
        { tail -20 "$work.log" >&2; echo "test-debian13: debootstrap failed (log: $work.log)" >&2; exit 1; }
    python3 "$here/apt-sources.py" --release "$release" amd64,i386 >"$work/etc/apt/sources.list"
    rm -f "$work/etc/apt/sources.list.d/debian.sources"
    # No services start inside the root.
    printf '#!/bin/sh\nexit 101\n' >"$work/usr/sbin/policy-rc.d"
    chmod +x "$work/usr/sbin/policy-rc.d"
    rm -rf "$root" "$work.log"
    mv "$work" "$root"
    echo "$stamp" >"$root.ready"
}

mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9
if [ ! -f "$root.ready" ] || [ "$(cat "$root.ready")" != "$stamp" ] || [ ! -x "$root/usr/bin/apt-get" ]; then
    start=$SECONDS
    make_root
    echo "test-debian13: root made in $((SECONDS - start)) s" >&2
fi
# Held shared while the root is in use, so that no other run makes it anew under this one.
flock -s 9
if [ $mode = root ]; then
    echo "$root"; exit 0
fi

# The copy of this checkout inside the root. The lock keeps two runs from one checkout apart.
# Both locks stay with this script: the programs inside, which may outlive a run that is
# cut short, do not inherit them.
# Named after the root too: Wine processes are told apart by their prefixes' paths, and two
# roots' runs of one checkout must not share them.
id=$(printf '%s\n' "$root" "$top" | sha1sum | cut -c1-12)
src=/srv/tarvel-$id
mkdir -p "$root$src"
exec 8>"$root$src.lock"
flock 8
rsync -a --delete --exclude=/build/ --exclude=/dist/ --exclude=/.git "$top/" "$root$src/"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# What runs inside: the test command, whole or the short set.
# The short set: what differs most between the releases (the notification area of Wine's
# desktop, the tools' view of the built files, the installer's start through the shell), only
# as much as it needs built.
short_targets="Tarvel ORVWmiAcpi tray_e2e_tests install_e2e_tests"
short_tests='^(TrayMenu\.|bridge_imports_|bridge_msvc_names$|Install\.ForAllUsersWithStartTheInstallerStartsTarvelThroughTheShellAndUninstallLeavesNothing$)'
inside=(/usr/bin/env)
for v in TARVEL_JOBS TARVEL_I686_RUNNER CI; do
    [ -n "${!v:-}" ] && inside+=("$v=${!v}")
done
case $mode in
    whole) [ -n "${TARVEL_CTEST_ARGS:-}" ] && inside+=("TARVEL_CTEST_ARGS=$TARVEL_CTEST_ARGS")
           inside+=(scripts/test.sh) ;;
    short) inside+=(TARVEL_FLAVOURS=x86_64 "TARVEL_BUILD_TARGETS=$short_targets" "TARVEL_CTEST_ARGS=-R $short_tests"
                    scripts/test.sh) ;;
esac

echo "test-debian13: running ${inside[*]} in the Debian 13 root ($root$src)"
# In a mount namespace of its own (see above); a clean environment inside, as a new login's.
unshare --mount --propagation private -- bash -euo pipefail -c '
    root=$1; src=$2; shift 2
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount --bind /tmp "$root/tmp"
    exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd \"\$0\" && exec \"\$@\"" "$src" "$@"
' test-debian13 "$root" "$src" "${inside[@]}" 8>&- 9>&-
