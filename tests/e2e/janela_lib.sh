# shellcheck shell=bash disable=SC2154,SC2015  # failures comes from relato.sh; pass never fails
# What the end-to-end scripts that drive the viewer's window share: source this file from bash
# after scripts/xvfb_lib.sh and tests/e2e/relato.sh. Defines the scratch folder and its cleanup,
# and the helpers that capture, press and wait; `win` names the window they work on and `pid`
# the viewer's process, JANELA_TIMEOUT (seconds, 10 unless set) bounds every wait and
# QUIT_LIMIT (seconds, 5 unless set) the wait for the viewer to end.
JANELA_TIMEOUT=${JANELA_TIMEOUT:-10}
: "${QUIT_LIMIT:=5}"

# Makes a scratch folder named after NAME and goes there (sets `work`); on exit it is removed
# when every check passed and kept, with a line saying where, otherwise. Then checks that every
# TOOL is on the PATH.
janela_iniciar() {
    local nome=$1
    shift
    work=$(mktemp -d "${TMPDIR:-/tmp}/$nome.XXXXXX") && cd "$work" || exit 1
    JANELA_NOME=$nome
    xvfb_install_traps janela_terminar
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fatal "required tool '$tool' is missing"
    done
}
# shellcheck disable=SC2317  # called from the EXIT trap
janela_terminar() {
    if [ "$failures" -eq 0 ] && [ "$XVFB_EXIT_STATUS" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "$JANELA_NOME: $failures check(s) failed; output kept in $work"
    fi
}

# Captures the window into the file OUT.
shot() { xwd -id "$win" -silent >"$1"; }
press() { xvfb_press "$1" 0.05 || fail "xdotool could not press $1"; }
# Runs the command until it succeeds; false after JANELA_TIMEOUT seconds.
wait_until() {
    local deadline
    deadline=$(xvfb_deadline "$JANELA_TIMEOUT")
    until "$@"; do
        xvfb_past "$deadline" && return 1
        sleep 0.05
    done
}
# Captures the window into OUT until it is the same as TARGET.
shot_is() { shot "$2" && cmp -s "$1" "$2"; }
wait_same() { wait_until shot_is "$1" "$2"; }
wait_changed() { xvfb_wait_changed "$win" "$1" "$2" "$JANELA_TIMEOUT"; }

# Ends the viewer with ESC and waits for it.
quit_viewer() {
    press Escape
    if xvfb_wait_gone "$pid" "$QUIT_LIMIT"; then
        wait "$pid"
        xvfb_untrack "$pid"
    else
        fail "ESC did not end the viewer"
    fi
}
# Presses KEY and expects the window to show EXPECTED.png; the frame is left in now.xwd.
key_shows() {
    local key=$1 expected=$2
    press "$key"
    xvfb_wait_picture "$win" "$expected.png" "$work/now.xwd" "$JANELA_TIMEOUT" &&
        pass "$key: the window shows the --imagem picture of $expected" ||
        fail "$key: the window does not show the picture of $expected"
}
# The overlay's text for the first CHARACTERS characters (8 x 8 pixels each, top left) into
# OUT, after H shows it; H again hides it. The frame before is in now.xwd.
overlay_text() {
    local characters=$1 out=$2
    press h
    if ! xvfb_wait_changed "$win" "$work/now.xwd" "$work/overlay.xwd" "$JANELA_TIMEOUT"; then
        fail "H did not show the overlay"
        return
    fi
    convert "$work/overlay.xwd" -crop "$((characters * 8))x8+0+0" -depth 8 rgb:"$out"
    press h
}
