#!/usr/bin/env bash
# Checks the installed program: the program folder of `cmake --install`, the .deb of CPack (its
# files and its dependencies), and the program started through the package's start-up script on
# a virtual X server, where a new user gets the settings window in a program folder of their own.
# Usage: package_check.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/install" >/dev/null
for file in bin/kvor-pro lib/kvor-pro/kvor lib/kvor-pro/tools/kvor-dbf lib/kvor-pro/tools/kvor-barcode \
            lib/kvor-pro/Trivan05.ini.example share/applications/kvor-pro.desktop \
            share/icons/hicolor/scalable/apps/kvor-pro.svg; do
    [ -e "$work/install/$file" ] || fail "the installed program folder has no $file"
done

cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
deb=$(ls "$work"/deb/kvor-pro_*.deb) || fail "CPack made no .deb"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libmariadb3 qt6-qpa-plugins fonts-liberation; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
listing=$(dpkg-deb -c "$deb")
for file in ./usr/bin/kvor-pro ./usr/lib/kvor-pro/kvor ./usr/share/applications/kvor-pro.desktop; do
    grep -q " $file\$" <<<"$listing" || fail "the package lacks $file"
done

# Unpacked as dpkg would place it, started as a user with an empty home.
dpkg-deb -x "$deb" "$work/root"
home=$work/home
bash "$(dirname "$0")/settings_window.sh" "$home" "$work/root/usr/bin/kvor-pro"
folder=$home/.local/share/kvor-pro
[ -d "$folder/kvor/data" ] || fail "the start-up script made no program folder under $folder"
[ -f "$folder/Trivan05.ini" ] || fail "the start-up script did not lay out Trivan05.ini"
echo "package: $(basename "$deb") installs and starts"
