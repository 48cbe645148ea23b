#!/bin/sh
# Uses the editor installed in PREFIX as a new user on a plain window manager would: a table file
# in the home folder is opened with xdg-open, and the window is closed again. Then the settings
# are in the user's configuration folder and nothing was written beside the program, whoever
# runs it (root included). The editor on screen maps none of the libraries only publishing needs
# (an extended regular expression of their names). Runs inside with_window_manager.sh.
# Usage: use_installed.sh PREFIX PUBLISHING_LIBRARIES
set -eu

prefix=$1
publishing_libraries=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/x_session.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

home=$(mktemp -d)
opener=
cleanup() {
    [ -z "$opener" ] || kill "$opener" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

# A fresh user without a desktop session: xdg-open falls back to its generic way, reading the
# desktop entry itself and starting its Exec line from the PATH.
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID \
    KDE_FULL_SESSION QT_QPA_PLATFORM WAYLAND_DISPLAY
export HOME="$home" PATH="$prefix/bin:$PATH" XDG_DATA_DIRS="$prefix/share:/usr/share"

program_folder_before=$(ls -A "$prefix/lib/orvanix")
cp "$here/../../examples/news.tbl" "$home/news.tbl"

xdg-open "$home/news.tbl" >"$home/xdg-open.log" 2>&1 &
opener=$!
window=$(timeout 60 xdotool search --sync --name '\[news\]' | head -n 1) ||
    fail "no editor window with news.tbl: $(cat "$home/xdg-open.log")"
mapped=$(grep -E "$publishing_libraries" "/proc/$(xdotool getwindowpid "$window")/maps" || true)
[ -z "$mapped" ] || fail "the editor maps publishing's libraries before it publishes: $mapped"

# Closed from the window manager, as a user closes it; the settings are written then. On a busy
# machine the activation can be lost, and xdotool would wait for it for ever: it is asked again.
wait_for 60 timeout 5 xdotool windowactivate --sync "$window" ||
    fail "the editor's window never became active"
xdotool key --clearmodifiers alt+F4
wait_for 60 sh -c "! kill -0 $opener" ||
    fail "the editor did not close; its windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>&1 | tr '\n' '|')"
status=0
wait "$opener" || status=$?
opener=
[ "$status" -eq 0 ] || fail "xdg-open exits with $status: $(cat "$home/xdg-open.log")"

[ -f "$home/.config/orvanix/orvanix.ini" ] || fail "no settings in ~/.config/orvanix"
[ "$(ls -A "$prefix/lib/orvanix")" = "$program_folder_before" ] ||
    fail "the editor wrote beside itself: $(ls -A "$prefix/lib/orvanix")"
echo "ok: opened with xdg-open"
