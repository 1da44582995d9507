# Shared helpers for the scripts that drive the gouraud program on a private X server.
# Source this file from bash; it defines functions and variables prefixed with xvfb_/XVFB_ and
# changes no shell options of the caller. The functions work with and without `set -e`.
#
# Typical use:
#   source scripts/xvfb_lib.sh
#   xvfb_install_traps            # Xvfb and tracked processes die on exit, failure or Ctrl-C
#   xvfb_start || exit 1          # exports DISPLAY=:N for a free N
#   prog & xvfb_track $!
#   win=$(xvfb_find_window 640x480 20) || exit 1
#   xvfb_capture "$win" shot.png

# Screen the private server offers; 24-bit TrueColor like a common desktop.
XVFB_SCREEN=${XVFB_SCREEN:-1024x768x24}
XVFB_PID=""
XVFB_DISPLAY=""
# Scratch folder for the server's log and display number; removed by xvfb_stop.
XVFB_DIR=""
# Processes started against the server, killed before the server itself.
XVFB_TRACKED=()
# Exit status of the script, set by the EXIT trap before it calls the caller's exit function.
XVFB_EXIT_STATUS=0

# Prints a message on stderr prefixed with the calling script's name.
xvfb_log() {
    echo "$(basename "$0"): $*" >&2
}

# True while PID names a running process. A process that has exited but is not yet reaped is a
# zombie, which `kill -0` still reports as present, so the process state is read as well.
xvfb_alive() {
    local pid=$1 state
    [ -n "$pid" ] || return 1
    kill -0 "$pid" 2>/dev/null || return 1
    # The state follows the command name, which is in parentheses and may contain spaces.
    state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# Waits up to SECONDS (fractions allowed) for PID to end; returns 0 once it has ended.
xvfb_wait_gone() {
    local pid=$1 seconds=$2 deadline
    deadline=$(xvfb_deadline "$seconds")
    while xvfb_alive "$pid"; do
        xvfb_past "$deadline" && return 1
        sleep 0.05
    done
    return 0
}

# Prints the wall-clock time SECONDS from now, in nanoseconds since the epoch, for xvfb_past.
xvfb_deadline() {
    local ns
    ns=$(awk -v s="$1" 'BEGIN { printf "%d", s * 1000000000 }')
    echo $(( $(date +%s%N) + ns ))
}

# True once the time printed by xvfb_deadline has been reached.
xvfb_past() {
    [ "$(date +%s%N)" -ge "$1" ]
}

# Registers PID so that xvfb_stop ends it before the server.
xvfb_track() {
    XVFB_TRACKED+=("$1")
}

# Forgets PID once the caller has reaped it with `wait`, so that xvfb_stop never signals a
# process that later reuses the number.
xvfb_untrack() {
    local pid kept=()
    for pid in "${XVFB_TRACKED[@]}"; do
        [ "$pid" = "$1" ] || kept+=("$pid")
    done
    XVFB_TRACKED=("${kept[@]}")
}

# Ends PID: SIGTERM, then SIGKILL if it is still there after two seconds; reaps it when it is a
# child of this shell so no zombie is left behind.
xvfb_kill() {
    local pid=$1
    [ -n "$pid" ] || return 0
    if xvfb_alive "$pid"; then
        kill -TERM "$pid" 2>/dev/null || true
        if ! xvfb_wait_gone "$pid" 2; then
            kill -KILL "$pid" 2>/dev/null || true
            xvfb_wait_gone "$pid" 2 || true
        fi
    fi
    wait "$pid" 2>/dev/null || true
    return 0
}

# Starts Xvfb on a display number the server picks itself (-displayfd), so parallel runs and a
# desktop session never collide; it listens on no TCP port. The server does not reset when its
# last client leaves (-noreset): a reset drops a client that connects meanwhile ("Connection
# reset by peer"), as happened to about one in ten short-lived clients started one after another
# on a loaded machine. Key auto-repeat is off (-r), so a key that xdotool holds down a little
# long still counts as one press. Exports DISPLAY and returns once a client can connect, or
# returns 1 after TIMEOUT seconds (default 20) with the server's log.
xvfb_start() {
    local timeout=${1:-20} deadline number=""
    XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/gouraud-xvfb.XXXXXX") || return 1
    # The server writes the display number, then a newline, to fd 3 once it accepts clients.
    Xvfb -displayfd 3 -nolisten tcp -noreset -r -screen 0 "$XVFB_SCREEN" \
        3>"$XVFB_DIR/display" >"$XVFB_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    deadline=$(xvfb_deadline "$timeout")
    while :; do
        if [ "$(tail -c 1 "$XVFB_DIR/display" 2>/dev/null | od -An -c | tr -d ' ')" = '\n' ]; then
            number=$(head -n 1 "$XVFB_DIR/display")
            break
        fi
        if ! xvfb_alive "$XVFB_PID"; then
            xvfb_log "Xvfb exited before it was ready; its log:"
            cat "$XVFB_DIR/xvfb.log" >&2
            return 1
        fi
        if xvfb_past "$deadline"; then
            xvfb_log "Xvfb did not report a display number within ${timeout}s; its log:"
            cat "$XVFB_DIR/xvfb.log" >&2
            return 1
        fi
        sleep 0.05
    done
    XVFB_DISPLAY=":$number"
    export DISPLAY=$XVFB_DISPLAY
    # Belt and braces: the number is written when the server is up, but confirm a client can
    # really open it before anyone relies on it.
    until xdpyinfo >/dev/null 2>&1; do
        if xvfb_past "$deadline"; then
            xvfb_log "Xvfb on $DISPLAY does not accept clients; its log:"
            cat "$XVFB_DIR/xvfb.log" >&2
            return 1
        fi
        sleep 0.05
    done
    return 0
}

# Ends every tracked process, then the server, and removes the scratch folder. Safe to call more
# than once and when nothing was started.
xvfb_stop() {
    local pid
    for pid in "${XVFB_TRACKED[@]}"; do
        xvfb_kill "$pid"
    done
    XVFB_TRACKED=()
    xvfb_kill "$XVFB_PID"
    XVFB_PID=""
    if [ -n "$XVFB_DIR" ]; then
        rm -rf "$XVFB_DIR"
        XVFB_DIR=""
    fi
}

# Makes the caller's exit, whatever its cause, first run the caller's own function named by the
# optional argument (it can read XVFB_EXIT_STATUS), then xvfb_stop. Ctrl-C, SIGTERM and SIGHUP
# end the script through `exit` so that the EXIT trap runs; the script's exit status is kept.
xvfb_install_traps() {
    XVFB_ON_EXIT=${1:-}
    trap 'XVFB_EXIT_STATUS=$?; [ -n "$XVFB_ON_EXIT" ] && "$XVFB_ON_EXIT"; xvfb_stop; exit $XVFB_EXIT_STATUS' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}

# Prints the id of a window of exactly GEOMETRY (e.g. 640x480) anywhere in the window tree,
# polling for up to TIMEOUT seconds. Allegro may put its drawing area in a top-level window or in
# a child of one, so the search goes by size rather than by name. Returns 1 if none appeared.
xvfb_find_window() {
    local geometry=$1 timeout=${2:-20} deadline id
    deadline=$(xvfb_deadline "$timeout")
    while :; do
        # Tree lines look like: 0x200003 "name": ("res" "Class")  640x480+192+144  +192+144
        id=$(xwininfo -root -tree 2>/dev/null |
            awk -v g="$geometry" '{
                for (i = 2; i <= NF; i++)
                    if (index($i, g "+") == 1 || index($i, g "-") == 1) { print $1; exit }
            }') || true
        if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            echo "$id"
            return 0
        fi
        xvfb_past "$deadline" && return 1
        sleep 0.1
    done
}

# Writes the current contents of window WIN to the PNG file FILE.
xvfb_capture() {
    local win=$1 file=$2
    # Without time stamps, the same screen always gives the same bytes.
    (set -o pipefail; xwd -id "$win" -silent |
        convert xwd:- -strip -define png:exclude-chunks=date,time "png:$file")
}

# Prints the picture in FILE (a PNG, an xwd dump, anything ImageMagick reads) reduced to the 5/6/5
# bits of a 16-bit colour, one "r g b" line per pixel. A 24-bit server shows a 16-bit window with
# low bits of its own choosing, so this is how such a window compares with the picture it shows.
xvfb_rgb565() {
    convert "$1" -depth 8 rgb:- | od -An -v -tu1 -w3 |
        awk '{ print int($1 / 8), int($2 / 4), int($3 / 8) }'
}

# Dumps window WIN (xwd format) into OUT until it shows the picture in the file PICTURE, compared
# by xvfb_rgb565; returns 1 if it has not within TIMEOUT seconds (default 20).
xvfb_wait_picture() {
    local win=$1 picture=$2 out=$3 deadline
    deadline=$(xvfb_deadline "${4:-20}")
    xvfb_rgb565 "$picture" >"$out.expected" || return 1
    until xwd -id "$win" -silent >"$out" && xvfb_rgb565 "$out" | cmp -s "$out.expected"; do
        xvfb_past "$deadline" && return 1
        sleep 0.1
    done
    rm -f "$out.expected"
}

# Dumps window WIN (xwd format) into OUT until the dump differs from the file BEFORE and then
# holds still for 0.2 s, so OUT is a finished frame; returns 1 if that has not happened within
# TIMEOUT seconds (default 10).
xvfb_wait_changed() {
    local win=$1 before=$2 out=$3 deadline
    deadline=$(xvfb_deadline "${4:-10}")
    while xwd -id "$win" -silent >"$out" && cmp -s "$before" "$out"; do
        xvfb_past "$deadline" && return 1
        sleep 0.05
    done
    until sleep 0.2 && xwd -id "$win" -silent >"$out.next" && cmp -s "$out" "$out.next"; do
        mv "$out.next" "$out"
        xvfb_past "$deadline" && return 1
    done
    rm -f "$out.next"
}

# Puts the pointer over the middle of window WIN. Under Xvfb there is no window manager and the
# input focus is PointerRoot, so key events go to the window below the pointer.
xvfb_pointer_over() {
    local win=$1 x y w h
    read -r x y w h < <(xwininfo -id "$win" | awk '
        /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF }
        END { print x, y, w, h }')
    x=$((x + w / 2))
    y=$((y + h / 2))
    # `mousemove --sync` waits for the pointer to change position and stalls for many seconds
    # when it is already there, so the move is confirmed by reading the position back instead.
    xdotool mousemove "$x" "$y" || return 1
    local deadline
    deadline=$(xvfb_deadline 5)
    until xdotool getmouselocation | grep -q "^x:$x y:$y "; do
        xvfb_past "$deadline" && return 1
        sleep 0.05
    done
}

# Presses KEY (an X keysym name such as Escape or a) through XTEST and holds it for HOLD seconds
# (default 0.2) before releasing it. Programs that poll key state rather than read key events
# only notice a key that stays down long enough for a poll to see it.
xvfb_press() {
    local key=$1 hold=${2:-0.2}
    xdotool keydown "$key" && sleep "$hold" && xdotool keyup "$key"
}
