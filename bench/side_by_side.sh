#!/bin/sh
# Measures the editor against the plain Qt form (side_by_side.cpp) on a virtual X server of its
# own with the openbox window manager and a session bus, as on a desktop.
# Usage: bench/side_by_side.sh [build folder]
set -e
build=${1:-build}
here=$(dirname "$0")
. "$here/../tests/support/x_session.sh"
session=$(mktemp -d)
xvfb_pid=
wm_pid=
stop() {
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$session"
}
trap stop EXIT
start_xvfb "$session" 1920x1200x24
start_openbox "$session"
# The session bus cannot raise its file limit without root; it says so on every start.
{ dbus-run-session -- "$build/bin/side_by_side" "$build/bin" "$here/../examples/news.tbl" \
    2>&1 1>&3 | grep -v 'Failed to set fd limit' >&2; } 3>&1
