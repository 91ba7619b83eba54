#!/usr/bin/env bash
# Installs the package into a clean Debian bookworm root, as an operator's machine that never saw
# the source, and runs the installed programs there: lum08 --version, lum08-emu --help and
# QT_QPA_PLATFORM=offscreen lum08 --self-test. Not part of the suite: it needs root and a few
# minutes of network to a Debian mirror (the one this machine's apt uses, or LUM_DEBIAN_MIRROR).
#
#   scripts/check-package.sh [build-package/lum08_VERSION_amd64.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls -t build-package/lum08_*_amd64.deb 2>/dev/null | head -n 1)}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "check-package.sh: no package; make one with scripts/package.sh" >&2
    exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi
command -v debootstrap >/dev/null || scripts/setup.sh debootstrap

# The mirror this machine's apt already uses, so the check needs no other host.
mirror=${LUM_DEBIAN_MIRROR:-$(grep -hoE '^(URIs:|deb) +[^ ]+/debian/?( |$)' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list \
    2>/dev/null | awk '{print $2}' | head -n 1 || true)}

root=$(mktemp -d /tmp/lum08-check.XXXXXX)
cleanup() {
    for m in dev/ptmx dev/pts proc; do
        umount "$root/$m" 2>/dev/null || true
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== debootstrap --variant=minbase bookworm"
# LUM_DEBOOTSTRAP_TARBALL: the packages of an earlier "debootstrap --make-tarball" run, so that
# repeated checks do not fetch them again; the root is still made afresh from them.
tarball=()
[ -n "${LUM_DEBOOTSTRAP_TARBALL:-}" ] && tarball=(--unpack-tarball="$LUM_DEBOOTSTRAP_TARBALL")
debootstrap --variant=minbase "${tarball[@]}" bookworm "$root" $mirror >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; exit 1; }
rm -f "$root.log"
[ -n "$mirror" ] && printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$mirror" "$mirror" \
    >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
# the built-in emulator of the self-test serves on a pseudo-terminal
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
if [ ! -L "$root/dev/ptmx" ]; then
    rm -f "$root/dev/ptmx"
    touch "$root/dev/ptmx"
    mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
fi

name=$(basename "$deb")
cp "$deb" "$root/tmp/$name"
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}
echo "== apt-get install ./$name"
in_root apt-get update -q >/dev/null
in_root sh -c "cd /tmp && apt-get install -y -q ./$name" | tail -n 3

status=0
run() {
    echo "== $*"
    in_root "$@" || { echo "FAILED (status $?): $*"; status=1; }
}
run lum08 --version
run lum08-emu --help
run env QT_QPA_PLATFORM=offscreen lum08 --self-test
version=$(dpkg-deb -f "$deb" Version)
[ "$(in_root lum08 --version)" = "lum08 $version" ] ||
    { echo "FAILED: the installed lum08 does not print version $version"; status=1; }
[ $status -eq 0 ] && echo "== the package works in a clean bookworm root"
exit $status
