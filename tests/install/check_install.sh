#!/bin/sh
# Checks the editor as it is installed, without touching the system:
#   check_install.sh installed BUILD_DIR        installs the build into a temporary prefix
#   check_install.sh package DIR VERSION        unpacks the Debian package of VERSION that DIR
#                                               holds (dpkg-deb -x)
# Both check the tree (programs, links, readme, icon, desktop entry, table file type) and run
# the feed builder from it; the package also has its control fields checked.

set -eu

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The tree below PREFIX as both an install and the package lay it out.
check_tree() {
    prefix=$1
    for file in lib/orvanix/orvanix lib/orvanix/orvanix-feed; do
        [ -x "$prefix/$file" ] || fail "$file is missing or not executable"
    done
    for file in lib/orvanix/orvanix.txt lib/orvanix/orvanix.png \
        share/icons/hicolor/256x256/apps/orvanix.png share/mime/packages/orvanix.xml; do
        [ -f "$prefix/$file" ] || fail "$file is missing"
    done
    for program in orvanix orvanix-feed; do
        [ -L "$prefix/bin/$program" ] || fail "bin/$program is not a link"
        [ "$(readlink "$prefix/bin/$program")" = "../lib/orvanix/$program" ] ||
            fail "bin/$program does not point into lib/orvanix"
    done
    desktop=$prefix/share/applications/orvanix.desktop
    desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
    grep -qx "Exec=\"$2/lib/orvanix/orvanix\" %f" "$desktop" ||
        fail "the desktop entry does not start $2/lib/orvanix/orvanix"
    grep -qx 'MimeType=application/x-orvanix-table;' "$desktop" ||
        fail "the desktop entry does not open table files"
    # Through the link, as a user starts it.
    "$prefix/bin/orvanix-feed" --help | grep -q '^Usage: orvanix-feed' ||
        fail "orvanix-feed --help does not run"
}

# The desktop's databases, updated by the install, know table files by name and content and open
# them in the editor.
check_mime_database() {
    mime=$1/share/mime
    grep -q ':application/x-orvanix-table:\*\.tbl' "$mime/globs2" ||
        fail "the MIME database has no *.tbl glob"
    grep -q 'application/x-orvanix-table' "$mime/magic" || fail "the MIME database has no magic"
    grep -qx 'application/x-orvanix-table=orvanix.desktop;' \
        "$1/share/applications/mimeinfo.cache" || fail "table files do not open in the editor"
}

field() {
    dpkg-deb -f "$1" "$2"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "$1" in
installed)
    cmake --install "$2" --prefix "$work/prefix" >/dev/null
    check_tree "$work/prefix" "$work/prefix"
    check_mime_database "$work/prefix"
    ;;
package)
    deb=$(echo "$2/orvanix_$3_"*.deb)
    [ -f "$deb" ] || fail "no package of version $3 in $2"
    dpkg-deb -x "$deb" "$work/root"
    check_tree "$work/root/usr" /usr
    [ "$(field "$deb" Package)" = orvanix ] || fail "the package is not named orvanix"
    [ "$(field "$deb" Version)" = "$3" ] || fail "the package's version is not $3"
    field "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt"
    field "$deb" Recommends | grep -q fonts-ipafont-gothic ||
        fail "the package does not recommend the Japanese font"
    field "$deb" Description | grep -q 'RSS 1.0で' || fail "the description has no Japanese"
    # Nothing outside /usr.
    [ "$(ls "$work/root")" = usr ] || fail "the package installs outside /usr"
    ;;
*)
    fail "usage: $0 installed BUILD_DIR | package DIR VERSION"
    ;;
esac
echo "ok: $1"
