# Sourced by the scripts that drive programs on a desktop of their own: polling, a virtual X
# server (Xvfb) and the openbox window manager. POSIX sh; the callers stop what they start.

# Polls the command after $1 every 0.2 s for up to $1 seconds; false when it never succeeded.
wait_for() {
    wait_tries=$(($1 * 5))
    shift
    until "$@" >/dev/null 2>&1; do
        wait_tries=$((wait_tries - 1))
        [ "$wait_tries" -gt 0 ] || return 1
        sleep 0.2
    done
}

# Starts Xvfb of screen size $2 on the first free display, with its log and display number in
# folder $1, and exports DISPLAY. Its process id goes into xvfb_pid; false when it did not start.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
    xvfb_pid=$!
    wait_for 60 test -s "$1/display" || return 1
    DISPLAY=:$(head -n 1 "$1/display")
    export DISPLAY
}

# Starts openbox with its defaults, away from the user's own configuration, its log in folder
# $1. Its process id goes into wm_pid; false when it did not take charge of the screen.
start_openbox() {
    XDG_CONFIG_HOME=$1 HOME=$1 openbox --sm-disable >"$1/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 60 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
}
