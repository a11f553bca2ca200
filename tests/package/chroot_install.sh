#!/usr/bin/env bash
# Installs the .deb into a clean Debian system (a chroot made by debootstrap) with apt, as a user
# would, and starts the installed program there on a virtual X server until the settings window
# shows. It needs root, debootstrap and the Debian mirror, and downloads a few hundred megabytes,
# so scripts/test.sh runs it only when KVOR_CHROOT_CHECK=1.
# Usage: chroot_install.sh BUILD_DIR [CLEAN_ROOT]
# CLEAN_ROOT is a folder that debootstrap made once; it is copied and stays clean. Without it a
# new minimal system is made for this run.
set -euo pipefail
build=$(realpath "$1")
clean=${2:-}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
root=$work/root
mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
fail() { echo "chroot: $*" >&2; exit 1; }

command -v debootstrap >/dev/null || apt-get install -y -q debootstrap >/dev/null

cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
deb=$(ls "$work"/deb/kvor-pro_*.deb) || fail "CPack made no .deb"

if [ -n "$clean" ]; then
    cp -a "$clean" "$root"
else
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$work/debootstrap.log" ||
        { cat "$work/debootstrap.log" >&2; fail "debootstrap failed"; }
fi
for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
cp "$here/settings_window.sh" "$root/tmp/"

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
in_root apt-get update -q >/dev/null
# The package and what the check itself needs (a virtual X server and a way to find windows).
in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" xvfb xauth xdotool \
    >"$work/apt.log" || { tail -40 "$work/apt.log" >&2; fail "apt could not install the package"; }
in_root useradd --create-home pestitel
in_root su pestitel -c 'bash /tmp/settings_window.sh /home/pestitel /usr/bin/kvor-pro' ||
    fail "the program installed by apt showed no settings window"
[ -d "$root/home/pestitel/.local/share/kvor-pro/kvor/data" ] ||
    fail "the installed program made no program folder for its user"
echo "chroot: $(basename "$deb") installs with apt into a clean Debian system and starts"
