#!/bin/sh
# Puts right what CPack gets wrong for this package:
# - The Installed-Size is set to what the package unpacks to, counted as dpkg-gencontrol counts
#   it: a file or link by its size in KiB rounded up, anything else as 1 KiB. CPack counts the
#   file a link leads to once more for each link, which nearly doubles the program's size.
# - CPack has the package run ldconfig after it is installed or removed, because the publishing
#   module is a shared object below /usr/lib; but the module is private, opened by its path, and
#   never looked up in the linker's cache. Maintainer scripts that do nothing else are dropped.
#   finish-package.sh PACKAGE.deb
set -eu

deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dpkg-deb -R "$deb" "$work/root"
size=$(find "$work/root" -path "$work/root/DEBIAN" -prune -o \
    \( -type f -o -type l \) -printf '%s\n' -o -printf '1024\n' |
    awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$work/root/DEBIAN/control"
for script in postinst postrm; do
    file=$work/root/DEBIAN/$script
    # CPack's script: the shell, "set -e" and ldconfig for one action, and nothing else.
    others=$(grep -v -e '^#!/bin/sh$' -e '^set -e$' -e '^$' -e '^if \[ "$1" = "[a-z]*" \]; then$' \
        -e '^	ldconfig$' -e '^fi$' "$file" 2>/dev/null || true)
    if [ -f "$file" ] && [ -z "$others" ]; then rm "$file"; fi
done
dpkg-deb --root-owner-group -Zgzip -b "$work/root" "$deb" >/dev/null
