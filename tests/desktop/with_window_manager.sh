#!/bin/sh
# Runs a command on a virtual X server of its own with a window manager (openbox), as a user's
# desktop would run the editor: frames, placement, focus and window buttons are the window
# manager's. The display number is the first free one (Xvfb -displayfd).
# Usage: with_window_manager.sh command [arguments...]
set -eu

for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null || { echo "missing $tool (make deps installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb=
wm=
child=
cleanup() {
    for pid in $child $wm $xvfb; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    tenths=$1
    shift
    while ! "$@" >/dev/null 2>&1; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
    done
}

Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wait_for 600 test -s "$work/display" || { cat "$work/xvfb.log" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

# Openbox with its defaults, away from the user's own configuration.
XDG_CONFIG_HOME=$work HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
wait_for 600 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { cat "$work/openbox.log" >&2; exit 1; }

# In the background, so that a stop (a test's timeout) reaches the traps above at once.
QT_QPA_PLATFORM=xcb "$@" &
child=$!
status=0
wait "$child" || status=$?
child=
exit "$status"
