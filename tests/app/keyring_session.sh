#!/bin/sh
# Runs the window's publishing tests with a real Secret Service: gnome-keyring-daemon, its login
# keyring unlocked, in a D-Bus session of its own that ends with the tests. Exit 77 (skipped)
# where those programs are missing.
test_program=$1
for program in dbus-run-session gnome-keyring-daemon; do
    command -v "$program" >/dev/null 2>&1 || { echo "no $program: skipped"; exit 77; }
done
home=$(mktemp -d) || exit 1
trap 'rm -rf "$home"' EXIT
# The keyring's files and the editor's recovery copies go into a home folder of the test's own.
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_STATE_HOME=$home/.local/state \
    XDG_RUNTIME_DIR=$home ORVANIX_TEST_KEYRING=1 \
    dbus-run-session -- sh -c '
        printf "%s" keyring-password | gnome-keyring-daemon --unlock --components=secrets >/dev/null &&
        QT_QPA_PLATFORM=offscreen "$1"' sh "$test_program"
