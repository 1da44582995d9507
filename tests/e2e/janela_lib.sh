# shellcheck shell=bash disable=SC2154  # failures comes from relato.sh
# What the end-to-end scripts that drive the viewer's window share: source this file from bash
# after scripts/xvfb_lib.sh and tests/e2e/relato.sh. Defines the scratch folder and its cleanup,
# and the helpers that capture, press and wait; `win` names the window they work on and
# JANELA_TIMEOUT (seconds, 10 unless set) bounds every wait.
JANELA_TIMEOUT=${JANELA_TIMEOUT:-10}

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
