#!/bin/sh
# Checks the editor as it is installed, without touching the system:
#   check_install.sh installed BUILD_DIR VERSION  installs the build into a temporary prefix and
#                                                 uses it on a desktop of its own (Xvfb, openbox)
#   check_install.sh package DIR VERSION          unpacks the Debian package of VERSION that DIR
#                                                 holds (dpkg-deb -x) and runs lintian on it
# Both check the tree (programs, links, readme, icons, desktop entry, AppStream metadata, table
# file type, manual pages, licence) and run both programs from it.

set -eu

here=$(cd "$(dirname "$0")" && pwd)
# The libraries only publishing needs, which no program maps before it publishes.
publishing_libraries='libcurl|libssh|libsecret|libssl|libcrypto'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The tree below PREFIX as both an install and the package lay it out, of VERSION.
check_tree() {
    prefix=$1
    version=$2
    for file in lib/orvanix/orvanix lib/orvanix/orvanix-feed; do
        [ -x "$prefix/$file" ] || fail "$file is missing or not executable"
    done
    for file in share/doc/orvanix/orvanix.txt share/icons/hicolor/scalable/apps/orvanix.svg \
        share/mime/packages/orvanix.xml share/doc/orvanix/copyright \
        share/doc/orvanix/changelog.gz; do
        [ -f "$prefix/$file" ] || fail "$file is missing"
    done
    # The help menu looks for the readme beside the programs.
    [ "$(readlink "$prefix/lib/orvanix/orvanix.txt")" = ../../share/doc/orvanix/orvanix.txt ] ||
        fail "lib/orvanix/orvanix.txt does not lead to the readme in share/doc/orvanix"
    [ "$(ls "$prefix/lib/orvanix")" = "$(printf 'orvanix\norvanix-feed\norvanix-publish.so\norvanix.txt')" ] ||
        fail "lib/orvanix holds other than the programs, the publishing module and the readme:" \
            "$(ls "$prefix/lib/orvanix")"
    zcat "$prefix/share/doc/orvanix/changelog.gz" | head -n 1 | grep -q "^orvanix ($version) " ||
        fail "the changelog's newest entry is not $version"
    for program in orvanix orvanix-feed; do
        [ -L "$prefix/bin/$program" ] || fail "bin/$program is not a link"
        [ "$(readlink "$prefix/bin/$program")" = "../lib/orvanix/$program" ] ||
            fail "bin/$program does not point into lib/orvanix"
        # Through the link, as a user starts it, and without a display; nothing is created.
        [ "$(as_new_user "$prefix/bin/$program" --version)" = "$program $version" ] ||
            fail "$program --version does not say $version"
        as_new_user "$prefix/bin/$program" --help | grep -q "^Usage: $program" ||
            fail "$program --help does not run"
        [ -z "$(ls -A "$work/home")" ] ||
            fail "$program --version or --help created $(ls -A "$work/home")"
        for page in "man/man1/$program.1.gz" "man/ja/man1/$program.1.gz"; do
            [ -f "$prefix/share/$page" ] || fail "$page is missing"
            # Any complaint of the formatter is a fault of the page.
            complaints=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
                "$prefix/share/$page" 2>&1 >/dev/null)
            [ -z "$complaints" ] || fail "$page: $complaints"
            LC_ALL=C.UTF-8 man -l "$prefix/share/$page" | grep -q "orvanix" ||
                fail "$page does not show"
        done
    done
    check_editor_start "$prefix/bin/orvanix"
    check_publishing_module "$prefix"
    for size in 16 22 24 32 48 64 128 256; do
        file "$prefix/share/icons/hicolor/${size}x$size/apps/orvanix.png" |
            grep -q "PNG image data, $size x $size," || fail "no $size-pixel icon"
    done
    appstreamcli validate --no-net "$prefix/share/metainfo/org.orvanix.orvanix.metainfo.xml" ||
        fail "the AppStream metadata does not validate"
    desktop=$prefix/share/applications/orvanix.desktop
    desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
    grep -qx 'Exec=orvanix %f' "$desktop" || fail "the desktop entry does not start orvanix"
    grep -qx 'MimeType=application/x-orvanix-table;' "$desktop" ||
        fail "the desktop entry does not open table files"
}

# A user of a fresh account, whose folders are all still to be made, without a display.
as_new_user() {
    mkdir -p "$work/home"
    env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_STATE_HOME \
        -u QT_QPA_PLATFORM HOME="$work/home" "$@"
}

# The editor started where it cannot run: its exit status, how many lines say why and what they
# say ("-": no platform or option given, or any number of lines).
check_editor_start() {
    while read -r expected lines platform option says; do
        [ "$platform" != - ] || platform=
        [ "$option" != - ] || option=
        status=0
        as_new_user ${platform:+env QT_QPA_PLATFORM=$platform} "$1" $option \
            >"$work/start.out" 2>&1 || status=$?
        [ "$status" -eq "$expected" ] &&
            { [ "$lines" = - ] || [ "$(wc -l <"$work/start.out")" -eq "$lines" ]; } &&
            grep -q -- "$says" "$work/start.out" ||
            fail "orvanix $option ($platform): status $status, $(cat "$work/start.out")"
    done <<STARTS
1 1 - - needs a desktop (X11 or Wayland); without one, build the feed with orvanix-feed
2 - offscreen --no-such-option unknown option --no-such-option
STARTS
    [ -z "$(ls -A "$work/home")" ] || fail "a start that failed created $(ls -A "$work/home")"
}

# The settings file's section of the table file at PATH: "Publish:" and the path with every byte
# but small letters, digits and "/._-" as "%xx".
publish_section() {
    printf 'Publish:'
    printf '%s' "$1" | od -An -v -tx1 | xargs -n 1 | while read -r byte; do
        case $byte in
        2[def] | 3[0-9] | 5f | 6[1-9a-f] | 7[0-9a]) printf "\\$(printf %o "0x$byte")" ;;
        *) printf '%%%s' "$byte" ;;
        esac
    done
}

# Publishing's libraries come with the publishing module beside the programs, which neither
# program links: an installed orvanix-feed --publish reaches the server (here a port where none
# listens) through the module, and without it says which file is missing.
check_publishing_module() {
    module=$1/lib/orvanix/orvanix-publish.so
    { [ -f "$module" ] && [ ! -x "$module" ]; } ||
        fail "lib/orvanix/orvanix-publish.so is missing or executable"
    for program in orvanix orvanix-feed; do
        linked=$(ldd "$1/lib/orvanix/$program" | grep -E "$publishing_libraries" || true)
        [ -z "$linked" ] || fail "$program links publishing's libraries: $linked"
    done
    site=$work/publisher
    mkdir -p "$site/.config/orvanix"
    cp "$here/../../examples/news.tbl" "$site/news.tbl"
    printf '[%s]\nProtocol=SFTP\nHost=127.0.0.1\nPort=1\nUser=nobody\nFolder=www\nLogin=Keys\n' \
        "$(publish_section "$site/news.tbl")" >"$site/.config/orvanix/orvanix.ini"
    while read -r place says; do
        [ "$place" = beside ] || mv "$module" "$work/module-aside"
        status=0
        env -u DBUS_SESSION_BUS_ADDRESS -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME="$site" \
            "$1/bin/orvanix-feed" --publish "$site/news.tbl" >/dev/null 2>"$site/publish.err" ||
            status=$?
        [ "$place" = beside ] || mv "$work/module-aside" "$module"
        [ "$status" -eq 4 ] && grep -q -- "$says" "$site/publish.err" ||
            fail "orvanix-feed --publish with the module $place: status $status," \
                "$(cat "$site/publish.err")"
    done <<PLACES
beside ポート 1 に接続できません
gone $module を読み込めません
PLACES
    rm -rf "$site"
}

# The desktop's databases, updated by the install, know table files by name and by their first
# line, and open them in the editor.
check_mime_database() {
    mime=$1/share/mime
    grep -q ':application/x-orvanix-table:\*\.tbl' "$mime/globs2" ||
        fail "the MIME database has no *.tbl glob"
    grep -qx 'application/x-orvanix-table=orvanix.desktop;' \
        "$1/share/applications/mimeinfo.cache" || fail "table files do not open in the editor"
    samples=$work/samples
    mkdir -p "$samples"
    cp "$here/../../examples/news.tbl" "$samples/news.tbl"
    cp "$here/../../examples/news.tbl" "$samples/news"
    printf '1.00\n' >"$samples/unix-lines"
    printf '1.00 2.50 3.75\n' >"$samples/prices"
    printf '1.00 (2026-12-07)\n- first release\n' >"$samples/CHANGES"
    while read -r sample type; do
        found=$(XDG_DATA_HOME=$work/no-data XDG_DATA_DIRS=$1/share:/usr/share \
            gio info -a standard::content-type "$samples/$sample" |
            sed -n 's/^ *standard::content-type: //p')
        [ "$found" = "$type" ] || fail "$sample is taken for $found, not $type"
    done <<TYPES
news.tbl application/x-orvanix-table
news application/x-orvanix-table
unix-lines application/x-orvanix-table
prices text/plain
CHANGES text/plain
TYPES
}

field() {
    dpkg-deb -f "$1" "$2"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "$1" in
installed)
    # The databases of the prefix are where the desktop looks for them.
    XDG_DATA_DIRS=$work/prefix/share:/usr/share cmake --install "$2" --prefix "$work/prefix" >/dev/null
    check_tree "$work/prefix" "$3"
    check_mime_database "$work/prefix"
    "$here/../desktop/with_window_manager.sh" "$here/use_installed.sh" "$work/prefix" \
        "$publishing_libraries"
    ;;
package)
    deb=$(echo "$2/orvanix_$3_"*.deb)
    [ -f "$deb" ] || fail "no package of version $3 in $2"
    dpkg-deb -x "$deb" "$work/root"
    check_tree "$work/root/usr" "$3"
    [ "$(field "$deb" Package)" = orvanix ] || fail "the package is not named orvanix"
    [ "$(field "$deb" Version)" = "$3" ] || fail "the package's version is not $3"
    field "$deb" Maintainer | grep -q '^Orvane Lite developers <[^@ ]*@[^@ ]*>$' ||
        fail "the maintainer has no address"
    field "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt"
    field "$deb" Recommends | grep -q fonts-ipafont-gothic ||
        fail "the package does not recommend the Japanese font"
    field "$deb" Recommends | grep -q qt6-wayland ||
        fail "the package does not recommend Qt's Wayland platform"
    # What the package declares it installs is what it unpacks to: at least the bytes, at most a
    # KiB more for each file, link and folder.
    declared=$(field "$deb" Installed-Size)
    bytes=$(find "$work/root" -type f -printf '%s\n' | awk '{ b += $1 } END { print int(b / 1024) }')
    entries=$(find "$work/root" | wc -l)
    [ "$declared" -ge "$bytes" ] && [ "$declared" -le $((bytes + entries)) ] ||
        fail "Installed-Size is $declared KiB, it unpacks to $bytes KiB in $entries entries"
    field "$deb" Description | grep -q 'RSS 1.0で' || fail "the description has no Japanese"
    # Nothing outside /usr.
    [ "$(ls "$work/root")" = usr ] || fail "the package installs outside /usr"
    # Informational tags too, unless the package overrides them with a reason.
    lintian --fail-on error,warning,info --display-info "$deb" ||
        fail "lintian finds errors or warnings"
    ;;
*)
    fail "usage: $0 installed BUILD_DIR VERSION | package DIR VERSION"
    ;;
esac
echo "ok: $1"
