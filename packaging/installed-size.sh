#!/bin/sh
# Sets the Installed-Size of a Debian package to what it unpacks to, counted as dpkg-gencontrol
# counts it: a file or link by its size in KiB rounded up, anything else as 1 KiB. CPack counts
# the file a link leads to once more for each link, which nearly doubles the program's size.
#   installed-size.sh PACKAGE.deb
set -eu

deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dpkg-deb -R "$deb" "$work/root"
size=$(find "$work/root" -path "$work/root/DEBIAN" -prune -o \
    \( -type f -o -type l \) -printf '%s\n' -o -printf '1024\n' |
    awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$work/root/DEBIAN/control"
dpkg-deb --root-owner-group -Zgzip -b "$work/root" "$deb" >/dev/null
