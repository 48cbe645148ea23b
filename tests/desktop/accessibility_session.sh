#!/bin/sh
# What a screen reader gets of the editor: the editor runs with its accessibility on a session bus
# of its own, and accessibility_tree.py reads it over AT-SPI and walks its grid with the keys.
# Runs inside with_window_manager.sh.
# Usage: accessibility_session.sh ORVANIX TABLE.tbl
set -eu

if [ -z "${DBUS_SESSION_BUS_ADDRESS_OWN:-}" ]; then
    exec env DBUS_SESSION_BUS_ADDRESS_OWN=1 dbus-run-session -- "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
home=$(mktemp -d)
launcher=
editor=
cleanup() {
    for pid in $editor $launcher; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$home"
}
trap cleanup EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$home/at-spi.log" 2>&1 &
launcher=$!
# The editor opens the table file on its own, as a user's double click would.
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$1" "$2" >"$home/editor.log" 2>&1 &
editor=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --class orvanix | head -n 1) ||
    { cat "$home/editor.log" >&2; exit 1; }
# The keys of the walk go to the editor, as a user's would.
xdotool windowactivate --sync "$window"
/usr/bin/python3 "$here/accessibility_tree.py" "$2"
