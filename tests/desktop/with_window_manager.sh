#!/bin/sh
# Runs a command on a virtual X server of its own with a window manager (openbox), as a user's
# desktop would run the editor: frames, placement, focus and window buttons are the window
# manager's. The display number is the first free one (Xvfb -displayfd).
# Usage: with_window_manager.sh command [arguments...]
set -eu

for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null || { echo "missing $tool (make deps installs it)" >&2; exit 1; }
done

. "$(dirname "$0")/../support/x_session.sh"

work=$(mktemp -d)
xvfb_pid=
wm_pid=
child=
cleanup() {
    for pid in $child $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

start_xvfb "$work" 1600x1000x24 || { cat "$work/xvfb.log" >&2; exit 1; }
start_openbox "$work" || { cat "$work/openbox.log" >&2; exit 1; }

# In the background, so that a stop (a test's timeout) reaches the traps above at once.
QT_QPA_PLATFORM=xcb "$@" &
child=$!
status=0
wait "$child" || status=$?
child=
exit "$status"
