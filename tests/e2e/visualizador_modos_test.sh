#!/usr/bin/env bash
# End-to-end test of the viewer's shading modes, edges and needles, run as:
#   bash tests/e2e/visualizador_modos_test.sh PATH/TO/visualizador
#
# Headless: --modo, --arestas and --normais give the pictures they name, an unknown mode is a
# usage error, --medir takes them too. On a private Xvfb, with exemplos/bunny.txt: the first
# frame is the --imagem picture of the same options, M cycles the modes and E and N switch the
# edges and the needles (each frame the --imagem picture of that state), F12 saves what is shown,
# and the overlay names the mode and the switches: the same text whether they came from the
# command line or from the keys. One line per check; exits 0 only if every check passed, and
# keeps the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

prog=$(realpath -- "${1:?usage: visualizador_modos_test.sh PATH/TO/visualizador}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
cena=$root/exemplos/bunny.txt
readonly START_TIMEOUT=30 KEY_TIMEOUT=10 QUIT_LIMIT=5

JANELA_TIMEOUT=$KEY_TIMEOUT
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar visualizador-modos Xvfb xwd xwininfo xdotool convert cmp

# --- Headless --------------------------------------------------------------------------------
# The picture of the options given after the file name, headless, as NAME.png.
picture() {
    local name=$1
    shift
    env -u DISPLAY "$prog" "$cena" "$@" --imagem "$work/$name.png" >/dev/null 2>"$work/$name.err" \
        </dev/null || fatal "--imagem $* failed: $(cat "$work/$name.err")"
}
states=()
for modo in plano gouraud phong; do
    for switches in "" "--arestas" "--normais" "--arestas --normais"; do
        name=$modo${switches//--/-}
        name=${name// /}
        # shellcheck disable=SC2086  # the switches are split on purpose
        picture "$name" --modo "$modo" $switches
        states+=("$name")
    done
done
picture default
cmp -s default.png gouraud.png && pass "--modo gouraud draws the default picture, byte for byte" ||
    fail "--modo gouraud does not draw the default picture"
same=""
for ((a = 0; a < ${#states[@]}; a++)); do
    for ((b = a + 1; b < ${#states[@]}; b++)); do
        cmp -s "${states[a]}.png" "${states[b]}.png" && same+=" ${states[a]}=${states[b]}"
    done
done
[ -z "$same" ] && pass "the ${#states[@]} modes and switches draw ${#states[@]} different pictures" ||
    fail "pictures that should differ are the same:$same"

for args in "--modo sombra" "--modo"; do
    # shellcheck disable=SC2086  # the arguments are split on purpose
    env -u DISPLAY "$prog" "$cena" --imagem bad.png $args >bad.out 2>bad.err </dev/null
    rc=$?
    if [ "$rc" -eq 2 ] && [ ! -s bad.out ] && [ ! -e bad.png ] && grep -q '^usage: visualizador' bad.err
    then
        pass "$args: status 2, $(head -n 1 bad.err), the usage on stderr"
    else
        fail "$args: status $rc, stderr '$(head -n 2 bad.err)'"
    fi
done
if env -u DISPLAY "$prog" "$cena" --medir 2 --modo phong --arestas --normais >medir.out \
    2>medir.err </dev/null &&
    grep -Eq '^median [0-9.]+ ms, fastest [0-9.]+ ms, slowest [0-9.]+ ms$' medir.out; then
    pass "--medir 2 --modo phong --arestas --normais: $(tail -n 1 medir.out)"
else
    fail "--medir with the modes: $(cat medir.out medir.err)"
fi

# --- In the window ---------------------------------------------------------------------------
xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"
# Starts the viewer with the options given in folder NAME; sets pid and win, and waits until
# the window shows the picture EXPECTED.png.
start_viewer() {
    local name=$1 expected=$2
    shift 2
    mkdir -p "$work/$name" && cd "$work/$name" || fatal "no folder $work/$name"
    "$prog" "$cena" "$@" >stdout.txt 2>stderr.txt </dev/null &
    pid=$!
    xvfb_track "$pid"
    cd "$work" || exit 1
    win=$(xvfb_find_window 640x480 "$START_TIMEOUT") || fatal "no window for $*"
    xvfb_wait_picture "$win" "$expected.png" "$name/first.xwd" "$START_TIMEOUT" &&
        pass "started with ${*:-no options}: the first frame is the --imagem picture" ||
        fatal "started with ${*:-no options}: the window never showed the --imagem picture"
    xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
}

start_viewer teclas plano-arestas-normais --modo plano --arestas --normais
key_shows m gouraud-arestas-normais
key_shows m phong-arestas-normais
key_shows m plano-arestas-normais
key_shows e plano-normais
key_shows n plano
key_shows e plano-arestas
press F12
if wait_until test -f teclas/visualizador-001.png && cmp -s teclas/visualizador-001.png plano-arestas.png
then
    pass "F12 saved visualizador-001.png, the same bytes as --imagem --modo plano --arestas"
else
    fail "F12 did not save the picture shown"
fi
# "phong, edges, normals, " is 23 characters; then the triangle count and the time. Each
# overlay is compared with the frame before it, the last one key_shows saw (now.xwd).
key_shows m gouraud-arestas
key_shows m phong-arestas
key_shows n phong-arestas-normais
overlay_text 23 teclas.rgb
quit_viewer

start_viewer linha phong-arestas-normais --modo phong --arestas --normais
cp linha/first.xwd now.xwd
overlay_text 23 linha.rgb
quit_viewer
start_viewer padrao default
cp padrao/first.xwd now.xwd
overlay_text 23 padrao.rgb
quit_viewer

if [ -s teclas.rgb ] && cmp -s teclas.rgb linha.rgb && ! cmp -s teclas.rgb padrao.rgb; then
    pass "the overlay names phong, edges and normals the same after the keys as after the options, unlike gouraud's"
else
    fail "the overlay's text does not follow the mode and the switches"
fi

[ "$failures" -eq 0 ] && echo "visualizador_modos_test: all checks passed"
[ "$failures" -eq 0 ]
