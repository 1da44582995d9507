#!/usr/bin/env bash
# End-to-end test of the picture options, run as:
#   bash tests/e2e/visualizador_publicar_test.sh PATH/TO/visualizador
#
# Headless: the defaults written out (--bits 16 --aa 1 --fundo #000000 --ponto-forma quadrado)
# give today's picture byte for byte; --fundo transparente writes an RGBA PNG, any other picture
# an RGB one; bad values are usage errors (status 2, the option named, no picture). On a private
# 24-bit Xvfb, comparing all 8 bits of every channel: B, A and D show the --imagem pictures of
# --bits 24, --aa 2, 3 and 4 and --edl, and back; the overlay reads as it does when the options
# are given; with --aa 2, the picture once a drag has stopped is the picture of the key it
# stands for, and R then F12 give the headless picture. On a 16-bit Xvfb, --bits 24 shows
# today's picture (its packing) with one line on standard error. One line per check; exits 0
# only if every check passed, and keeps the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

prog=$(realpath -- "${1:?usage: visualizador_publicar_test.sh PATH/TO/visualizador}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
readonly START_TIMEOUT=30 TIMEOUT=15 QUIT_LIMIT=5
JANELA_TIMEOUT=$TIMEOUT
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar visualizador-publicar Xvfb xwd xdotool convert cmp file
cena=$root/exemplos/bunny.txt

# The picture of the scene with the options given, headless, as NAME.png.
picture() {
    local name=$1
    shift
    env -u DISPLAY "$prog" "$cena" "$@" --imagem "$work/$name.png" >/dev/null 2>"$work/$name.err" \
        </dev/null || fatal "--imagem $* failed: $(cat "$work/$name.err")"
}
# Every channel's 8 bits of a picture or a window dump.
rgb8() { convert "$1" -depth 8 rgb:-; }
shot_exact() { shot "$3" && cmp -s <(rgb8 "$2") <(rgb8 "$3"); }
# Presses KEY and expects the window to show the picture NAME.png exactly.
key_exact() {
    press "$1"
    wait_until shot_exact "$win" "$work/$2.png" "$work/now.xwd" &&
        pass "$1: the window shows the --imagem picture of $2, every bit" ||
        fail "$1: the window does not show the picture of $2"
}
start_viewer() {
    "$prog" "$cena" "$@" >"$work/stdout.txt" 2>"$work/stderr.txt" </dev/null &
    pid=$!
    xvfb_track "$pid"
    win=$(xvfb_find_window 640x480 "$START_TIMEOUT") ||
        fatal "no window within ${START_TIMEOUT}s; stderr: $(cat "$work/stderr.txt")"
}

# --- Headless ----------------------------------------------------------------------------------
picture hoje
picture explicitos --bits 16 --aa 1 --fundo '#000000' --ponto-forma quadrado
cmp -s hoje.png explicitos.png && pass "the defaults written out give today's picture" ||
    fail "--bits 16 --aa 1 --fundo #000000 --ponto-forma quadrado is not today's picture"
picture b24 --bits 24
picture aa2 --aa 2
picture aa3 --aa 3
picture aa4 --aa 4
picture edl --edl
picture tudo --bits 24 --aa 2 --edl
picture transparente --fundo transparente --aa 2
distintas=$(md5sum hoje.png b24.png aa2.png aa3.png aa4.png edl.png tudo.png | awk '{ print $1 }' |
    sort -u | wc -l)
[ "$distintas" -eq 7 ] && pass "--bits 24, --aa 2, 3, 4 and --edl give seven different pictures" ||
    fail "only $distintas different pictures"
file transparente.png | grep -q 'RGBA' && file aa2.png | grep -q 'RGB,' &&
    pass "--fundo transparente writes RGBA, the others RGB" ||
    fail "colour types: $(file transparente.png aa2.png)"
recusados=""
for args in "--bits 32" "--aa 5" "--edl 9,1" "--ponto-forma redondo" "--fundo #12345" \
    "--tamanho 1920x1080 --aa 3"; do
    # shellcheck disable=SC2086  # the arguments are split on purpose
    env -u DISPLAY "$prog" "$cena" --imagem bad.png $args >bad.out 2>bad.err </dev/null
    rc=$?
    opcao=${args##*--}
    { [ "$rc" -eq 2 ] && [ ! -e bad.png ] && head -n 1 bad.err | grep -q -- "--${opcao%% *}" &&
        grep -q '^usage: visualizador' bad.err; } || recusados+=" [$args: status $rc, $(head -n 1 bad.err)]"
done
[ -z "$recusados" ] && pass "bad values: status 2, the option named, the usage, no picture" ||
    fail "not refused as usage errors:$recusados"

xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"

# --- B, A and D --------------------------------------------------------------------------------
start_viewer
wait_until shot_exact "$win" "$work/hoje.png" "$work/now.xwd" ||
    fatal "the window never showed today's picture exactly"
overlay_text 28 antes.rgb
key_exact b b24
key_exact b hoje
key_exact a aa2
key_exact a aa3
key_exact a aa4
key_exact a hoje
key_exact d edl
key_exact d hoje
press b
press a
key_exact d tudo
overlay_text 28 teclas.rgb
quit_viewer

# --- The options given, and a drag with four samples a pixel ------------------------------------
start_viewer --bits 24 --aa 2 --edl
wait_until shot_exact "$win" "$work/tudo.png" "$work/now.xwd" ||
    fatal "--bits 24 --aa 2 --edl: the window never showed its --imagem picture"
overlay_text 28 opcoes.rgb
cmp -s teclas.rgb opcoes.rgb && ! cmp -s antes.rgb opcoes.rgb &&
    pass "after B, A and D the overlay reads as with --bits 24 --aa 2 --edl, not as before" ||
    fail "the overlay after B, A and D is not that of the options"
xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
read -r cx cy < <(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
xdotool mousemove "$cx" "$cy" mousedown 1 mousemove $((cx + 10)) "$cy" mouseup 1 ||
    fail "xdotool could not drag"
sleep 1
shot arrastado.xwd
press r
wait_until shot_exact "$win" "$work/tudo.png" "$work/now.xwd" &&
    pass "R after the drag: the headless --aa 2 picture, every bit" ||
    fail "R after the drag did not give the headless picture"
press Right
wait_same arrastado.xwd now.xwd &&
    pass "the picture once a drag of 10 pixels stopped is the one of the arrow, all samples" ||
    fail "the still picture after the drag is not the arrow's"
press r
press F12
wait_until test -f visualizador-001.png && sleep 0.5
cmp -s visualizador-001.png tudo.png && pass "R then F12 at once saves the headless picture" ||
    fail "F12 right after R did not save the --imagem picture"
quit_viewer
xvfb_stop

# --- A 16-bit display --------------------------------------------------------------------------
XVFB_SCREEN=800x600x16
xvfb_start "$START_TIMEOUT" || fatal "could not start a 16-bit Xvfb"
start_viewer --bits 24
xvfb_wait_picture "$win" "$work/hoje.png" "$work/now.xwd" "$TIMEOUT" &&
    pass "on a 16-bit display --bits 24 shows its packing, today's picture" ||
    fail "on a 16-bit display --bits 24 does not show today's picture"
quit_viewer
grep -q "visualizador: the display has no 24- or 32-bit visual" "$work/stderr.txt" &&
    [ "$(wc -l <"$work/stderr.txt")" -eq 1 ] &&
    pass "one line on standard error says so: $(cat "$work/stderr.txt")" ||
    fail "standard error: '$(cat "$work/stderr.txt")'"

[ "$failures" -eq 0 ] && echo "visualizador_publicar_test: all checks passed"
[ "$failures" -eq 0 ]
