#!/bin/bash
# Drives the editor under a real X server (Xvfb) and window manager (openbox):
# 1. text typed into a cell survives the editor being killed (SIGKILL) and comes back at the next
#    start when the user answers はい;
# 2. typing that never pauses, killed at an arbitrary moment, loses at most the last moments: what
#    comes back is what was typed, up to about two seconds before the kill;
# 3. a second editor on the same table file asks before it opens it, and declining brings the first
#    editor's window forward; the copy of an editor that still runs is never offered to another.
# Usage: recovery_session.sh <orvanix>. Exits 77 (skipped) when a program it needs is missing.
set -u
program=$(readlink -f "$1")
for tool in Xvfb openbox xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/run LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/app"
chmod 700 "$XDG_RUNTIME_DIR"
copies=$XDG_STATE_HOME/orvanix/recovery
pids=()
set +m
cleanup() {
    for ((n = ${#pids[@]} - 1; n >= 0; n--)); do kill -9 "${pids[n]}" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../support/x_session.sh"
fail() { echo "FAIL: $*"; exit 1; }

start_xvfb "$work" 1280x1024x24 || fail "Xvfb did not start"
pids+=("$xvfb_pid")
start_openbox "$work" || fail "openbox did not start"
pids+=("$wm_pid")

# An empty table file, opened as the last file of the settings.
table=$work/news.tbl
{ printf '1.00\r\n'; for ((n = 0; n < 71; n++)); do printf '\r\n'; done; } >"$table"
cp "$table" "$work/empty.tbl"
cp "$program" "$work/app/orvanix"
# An installed copy keeps its settings in the user's configuration folder.
mkdir -p "$XDG_CONFIG_HOME/orvanix"
printf '[Environ]\r\nLastOpen=1\r\nDefFileName=%s\r\n' "$table" >"$XDG_CONFIG_HOME/orvanix/orvanix.ini"

# The main window of editor $editor. A window that vanishes while xdotool looks is an X error that
# ends xdotool, so it is asked again rather than left waiting (--sync).
editor_window() { xdotool search --all --onlyvisible --pid "$editor" --name '^Orvane' 2>/dev/null | head -1 | grep .; }
is_active() { [ "$(xdotool getactivewindow getwindowpid)" = "$1" ]; }
# Starts an editor; its process id in $editor, its main window in $window.
start_editor() {
    "$work/app/orvanix" >>"$work/app.log" 2>&1 &
    editor=$!
    pids+=($editor)
    wait_for 60 editor_window || fail "the editor's window did not appear"
    window=$(editor_window)
    wait_for 20 is_active "$editor" || fail "the editor is not active"
}
# The box of editor $editor titled $1 (確認: a question, 情報: a message), when one is up.
box() { xdotool search --all --onlyvisible --pid "$editor" --name "^$1\$" 2>/dev/null; }
no_box() { ! box "$1"; }
box_is_active() { box "$1" | grep -qx "$(xdotool getactivewindow)"; }
# Answers the box titled $1 with key $2 once it is up and active; $3 says what its absence means.
answer() {
    wait_for 20 box_is_active "$1" || fail "$3"
    xdotool key "$2"
    wait_for 20 no_box "$1" || fail "the box '$1' did not close"
}
# Puts the cell editor on the title cell of row 1 (at y 107 in the window).
click_title() { xdotool mousemove --window "$window" 180 107 click 1; }
copy_count() { find "$copies" -name '*.recovery' 2>/dev/null | wc -l; }
copy_holds() { grep -qF "$1" "$copies"/*.recovery 2>/dev/null; }
title_of_row_1() { sed -n 23p "$table" | cut -f1 | tr -d '\r'; }
# Offered the copy at start: はい, then 上書き保存 and the report closed. Row 1's title then in
# $restored.
restore_and_save() {
    start_editor
    answer 確認 Return "the recovery copy was not offered"
    cmp -s "$table" "$work/empty.tbl" || fail "the table file was written before a save"
    xdotool key ctrl+s
    answer 情報 Return "no report of the save"
    restored=$(title_of_row_1)
}
quit_editor() {
    xdotool key ctrl+q
    wait_for 10 sh -c "! kill -0 $editor" || fail "the editor did not end"
}

# 1. Typed, copied, killed: the next start offers the text; はい restores it unsaved.
start_editor
click_title
xdotool type --delay 40 "Killed mid-sentence"
wait_for 10 copy_holds "Killed mid-sentence" || fail "no recovery copy of the typing"
kill -9 "$editor"
wait "$editor" 2>/dev/null
restore_and_save
[ "$restored" = "Killed mid-sentence" ] || fail "row 1 holds '$restored'"
quit_editor
[ "$(copy_count)" = 0 ] || fail "a recovery copy outlived a saved document"

# 2. One key every 150 ms, never pausing, killed after a number of keys picked at random: every key
# sent more than $lost_at_most ms before the kill comes back, and nothing else.
cp "$work/empty.tbl" "$table"
text=abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz
lost_at_most=3000 # ms: the copy's two seconds, and time for a loaded machine to write it
start_editor
click_title
keys=$work/keys # the time (ns) at which each key was sent, one line each
(for ((n = 0; n < ${#text}; n++)); do
    xdotool type --delay 0 "${text:n:1}"
    date +%s%N >>"$keys"
    sleep 0.15
done) &
typist=$!
pids+=($typist)
kill_after=$((30 + RANDOM % 25))
wait_for 60 sh -c "[ \$(wc -l <'$keys' 2>/dev/null || echo 0) -ge $kill_after ]" || fail "the keys were not sent"
kill -9 "$editor"
killed_at=$(date +%s%N)
kill "$typist"
wait "$editor" "$typist" 2>/dev/null
kept_at_least=$(awk -v limit=$((killed_at - lost_at_most * 1000000)) '$1 <= limit' "$keys" | wc -l)
restore_and_save
[ "${text#"$restored"}" != "$text" ] || [ -z "$restored" ] || fail "'$restored' was never typed"
[ "${#restored}" -ge "$kept_at_least" ] ||
    fail "killed after $kill_after keys, ${#restored} came back, not the $kept_at_least sent by ${lost_at_most} ms before"
echo "killed after $kill_after keys: ${#restored} came back, at least $kept_at_least had to"
quit_editor

# 3. A second editor on the same table file, which the first has open with unsaved typing.
cp "$work/empty.tbl" "$table"
start_editor
first=$editor
click_title
xdotool type --delay 40 "Still running"
wait_for 10 copy_holds "Still running" || fail "no recovery copy of the typing"
start_editor
answer 確認 Escape "the second editor did not say the file is open elsewhere"
wait_for 20 is_active "$first" || fail "declining did not bring the first editor forward"
# The second editor, empty, copies its own typing: by then its start-up is over, and it offered
# nothing of the first's.
xdotool windowactivate --sync "$window"
click_title
xdotool type --delay 40 "Second"
wait_for 10 sh -c "[ \$(find '$copies' -name '*.recovery' | wc -l) = 2 ]" || fail "the second editor keeps no copy"
copy_holds "Still running" || fail "the running editor's copy is gone"
kill -0 "$first" || fail "the first editor ended"
echo "passed"
