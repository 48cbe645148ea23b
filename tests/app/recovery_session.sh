#!/bin/bash
# Drives the editor under a real X server (Xvfb) and window manager (openbox): text typed into a
# cell survives the editor being killed (SIGKILL) once the copy's pause has passed, and comes back
# at the next start when the user answers はい; the copy of an editor that still runs is never
# offered to a second one. Usage: recovery_session.sh <orvanix>
# Exits 77 (skipped) when a program it needs is missing.
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
# Starts an editor; its process id in $editor, its main window in $window.
start_editor() {
    "$work/app/orvanix" >>"$work/app.log" 2>&1 &
    editor=$!
    pids+=($editor)
    wait_for 60 editor_window || fail "the editor's window did not appear"
    window=$(editor_window)
    wait_for 20 sh -c "[ \"\$(xdotool getactivewindow getwindowpid)\" = $editor ]" ||
        fail "the editor is not active"
    sleep 1
}
# The question box of editor $editor, when one is up.
question_box() { xdotool search --all --onlyvisible --pid "$editor" --name '^確認$' 2>/dev/null; }
# Types $1 into the title cell of row 1 (row 1 at y 107 in the window) and leaves it uncommitted.
type_title() {
    xdotool mousemove --window "$window" 180 107 click 1; sleep 0.5
    xdotool type --delay 40 "$1"
}
copy_count() { find "$copies" -name '*.recovery' 2>/dev/null | wc -l; }
one_copy() { [ "$(copy_count)" = 1 ]; }
title_of_row_1() { sed -n 23p "$table" | cut -f1 | tr -d '\r'; }

# 1. Typed, the pause passes, killed: the next start offers the text; はい restores it unsaved.
start_editor
type_title "Killed mid-sentence"
sleep 3
# A loaded machine may run the copy's timer late.
wait_for 10 one_copy || fail "no recovery copy after the pause"
kill -9 "$editor"
wait "$editor" 2>/dev/null

start_editor
wait_for 10 question_box || fail "the recovery copy was not offered"
xdotool key Return
sleep 1
cmp -s "$table" "$work/empty.tbl" || fail "the table file was written before a save"
# 上書き保存, then the report's box closed with Enter: the table file holds what was typed.
xdotool key ctrl+s; sleep 1
xdotool key Return; sleep 1
[ "$(title_of_row_1)" = "Killed mid-sentence" ] || fail "row 1 holds '$(title_of_row_1)'"
xdotool key ctrl+q
wait_for 10 sh -c "! kill -0 $editor" || fail "the editor did not end"
[ "$(copy_count)" = 0 ] || fail "a recovery copy outlived a saved document"

# 2. An editor that still runs keeps its copy to itself.
cp "$work/empty.tbl" "$table"
start_editor
first=$editor
type_title "Still running"
sleep 3
# A loaded machine may run the copy's timer late.
wait_for 10 one_copy || fail "no recovery copy after the pause"
start_editor
sleep 3
question_box >/dev/null && fail "the copy of a running editor was offered"
[ "$(copy_count)" = 1 ] || fail "the running editor's copy is gone"
kill -0 "$first" || fail "the first editor ended"
echo "passed"
