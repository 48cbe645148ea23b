#!/bin/bash
# Drives the editor under a real X server (Xvfb), window manager (openbox) and Japanese input
# method (fcitx5 with Mozc): a conversion still open in a grid cell must reach that cell when the
# user clicks another cell, and when the document is saved. Usage: input_method_session.sh <orvanix>
# Exits 77 (skipped) when a program it needs is missing. Mozc refuses to run as root, so a root
# caller runs the session as the unprivileged user "nobody". With IME_SESSION_SHOTS naming a
# folder, screen shots (xwd) of the steps and of a failure are left there.
set -u
program=$(readlink -f "$1")
for tool in Xvfb openbox xprop fcitx5 fcitx5-remote dbus-launch xdotool setpriv; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
[ -x /usr/lib/mozc/mozc_server ] || { echo "skipped: mozc is missing"; exit 77; }

if [ "$(id -u)" -eq 0 ] && [ -z "${IME_SESSION_DROPPED:-}" ]; then
    work=$(mktemp -d)
    mkdir "$work/app" "$work/support"
    cp "$program" "$work/orvanix" && cp "$0" "$work/app/session.sh" &&
        cp "$(dirname "$0")/../support/x_session.sh" "$work/support/"
    chown -R 65534:65534 "$work"
    IME_SESSION_DROPPED=1 setpriv --reuid=65534 --regid=65534 --clear-groups \
        bash "$work/app/session.sh" "$work/orvanix"
    status=$?
    rm -rf "$work"
    exit $status
fi

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/run LANG=C.UTF-8 QT_IM_MODULE=fcitx
mkdir -p "$XDG_CONFIG_HOME/fcitx5" "$XDG_CONFIG_HOME/orvanix" "$XDG_RUNTIME_DIR" "$work/app"
chmod 700 "$XDG_RUNTIME_DIR"
pids=()
set +m
# The conversion server that fcitx5 starts outlives it: it is found by this session's HOME.
stop_conversion_server() {
    local pid
    for pid in $(pgrep -u "$(id -u)" -x mozc_server); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$HOME" && kill "$pid"
    done
}
cleanup() {
    for ((n = ${#pids[@]} - 1; n >= 0; n--)); do kill "${pids[n]}" 2>/dev/null; done
    stop_conversion_server
    [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
    wait 2>/dev/null
    sleep 0.5
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../support/x_session.sh"
fail() { echo "FAIL: $*"; [ -n "${IME_SESSION_SHOTS:-}" ] && xwd -root -silent >"$IME_SESSION_SHOTS/fail.xwd"; exit 1; }

cat > "$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
PROFILE

start_xvfb "$work" 1280x1024x24 || fail "Xvfb did not start"
pids+=("$xvfb_pid")
start_openbox "$work" || fail "openbox did not start"
pids+=("$wm_pid")
eval "$(dbus-launch --sh-syntax)"
fcitx5 --disable=wayland,waylandim,kimpanel -r >"$work/fcitx5.log" 2>&1 &
pids+=($!)
wait_for 30 fcitx5-remote || fail "fcitx5 did not answer"

# An empty table file, opened as the last file of the settings; a copy of the program outside
# its build folder reads them from the user's configuration folder. It needs the X server
# whatever platform the caller's environment names.
table=$work/news.tbl
{ printf '1.00\r\n'; for ((n = 0; n < 71; n++)); do printf '\r\n'; done; } >"$table"
cp "$program" "$work/app/orvanix"
printf '[Environ]\r\nLastOpen=1\r\nDefFileName=%s\r\n' "$table" >"$XDG_CONFIG_HOME/orvanix/orvanix.ini"
QT_QPA_PLATFORM=xcb "$work/app/orvanix" >"$work/app.log" 2>&1 &
pids+=($!)
window=$(timeout 60 xdotool search --sync --onlyvisible --class orvanix | head -1)
[ -n "$window" ] || fail "the editor's window did not appear"
sleep 1

# Cells of the title column, in the window's coordinates: row 1 at y 107, 21 pixels a row.
click_title() { xdotool mousemove --window "$window" 180 $((107 + ($1 - 1) * 21)) click 1; sleep 0.5; }
switch_input_method_on() { fcitx5-remote -o && [ "$(fcitx5-remote)" = 2 ]; }
compose() {
    wait_for 10 switch_input_method_on || fail "the input method did not switch on"
    sleep 1
    xdotool type --delay 60 "$1"; xdotool key space; sleep 1
}
title_of_row() { sed -n "$((22 + $1))p" "$table" | iconv -f CP932 -t UTF-8 | cut -f1 | tr -d '\r'; }
shot() { [ -n "${IME_SESSION_SHOTS:-}" ] && xwd -root -silent >"$IME_SESSION_SHOTS/$1.xwd"; }
# 上書き保存 from the file menu, opened with the mouse while the conversion is still open; the
# message box that reports the save is closed with Enter.
save() {
    xdotool mousemove --window "$window" 35 8 click 1; sleep 0.7
    xdotool key s; sleep 1; shot saving
    xdotool key Return; sleep 1
}

click_title 5
compose sakuranokisetsu
shot composing
click_title 7
shot clicked
compose natsu
save

[ "$(title_of_row 5)" = "桜の季節" ] || fail "row 5 holds '$(title_of_row 5)' after a click on row 7"
[ "$(title_of_row 7)" = "夏" ] || fail "row 7 holds '$(title_of_row 7)' after a save"
echo "passed"
