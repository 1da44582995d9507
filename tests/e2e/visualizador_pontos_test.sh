#!/usr/bin/env bash
# End-to-end test of the viewer's points and lines, run as:
#   bash tests/e2e/visualizador_pontos_test.sh PATH/TO/visualizador
#
# Headless, with the samples exemplos/nuvem.ply (20000 coloured points) and
# exemplos/toro-linhas.gltf (a torus and 515 lines): --ponto gives a picture per size, 3 by
# default, and anything but 1 to 16 is a usage error; --salvar-cena refuses a file without
# triangles and, for one with lines, writes the triangles and says what it left out. On a private
# Xvfb: [ and ] make the points one pixel smaller and larger, within 1 to 16 (each frame the
# --imagem picture of that size), and the overlay counts what is drawn: the same text for the
# same counts from any view, another for other counts. One line per check; exits 0 only if
# every check passed, and keeps the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

prog=$(realpath -- "${1:?usage: visualizador_pontos_test.sh PATH/TO/visualizador}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
nuvem=$root/exemplos/nuvem.ply
linhas=$root/exemplos/toro-linhas.gltf
readonly START_TIMEOUT=30 KEY_TIMEOUT=10 QUIT_LIMIT=5

JANELA_TIMEOUT=$KEY_TIMEOUT
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar visualizador-pontos Xvfb xwd xwininfo xdotool convert cmp

# --- Headless --------------------------------------------------------------------------------
# The picture of FILE with the options given after it, headless, as NAME.png.
picture() {
    local name=$1 file=$2
    shift 2
    env -u DISPLAY "$prog" "$file" "$@" --imagem "$work/$name.png" >/dev/null 2>"$work/$name.err" \
        </dev/null || fatal "--imagem $* failed: $(cat "$work/$name.err")"
}
for tamanho in 1 2 3 4 16; do
    picture "ponto$tamanho" "$nuvem" --ponto "$tamanho"
done
picture default "$nuvem"
cmp -s default.png ponto3.png && pass "--ponto 3 draws the default picture, byte for byte" ||
    fail "--ponto 3 does not draw the default picture"
same=""
for a in 1 2 3 4 16; do
    for b in 1 2 3 4 16; do
        [ "$a" -lt "$b" ] && cmp -s "ponto$a.png" "ponto$b.png" && same+=" $a=$b"
    done
done
[ -z "$same" ] && pass "--ponto 1, 2, 3, 4 and 16 draw five different pictures" ||
    fail "point sizes that should differ give the same picture:$same"

for args in "--ponto 0" "--ponto 17" "--ponto 3x" "--ponto -1" "--ponto"; do
    # shellcheck disable=SC2086  # the arguments are split on purpose
    env -u DISPLAY "$prog" "$nuvem" --imagem bad.png $args >bad.out 2>bad.err </dev/null
    rc=$?
    if [ "$rc" -eq 2 ] && [ ! -s bad.out ] && [ ! -e bad.png ] && grep -q '^usage: visualizador' bad.err
    then
        pass "$args: status 2, $(head -n 1 bad.err), the usage on stderr"
    else
        fail "$args: status $rc, stderr '$(head -n 2 bad.err)'"
    fi
done

env -u DISPLAY "$prog" "$nuvem" --salvar-cena nuvem.txt >salvar.out 2>salvar.err </dev/null
rc=$?
if [ "$rc" -eq 1 ] && [ ! -e nuvem.txt ] && [ "$(wc -l <salvar.err)" -eq 1 ] &&
    grep -q 'triangles only' salvar.err; then
    pass "--salvar-cena of a cloud: status 1, no file, $(cat salvar.err)"
else
    fail "--salvar-cena of a cloud: status $rc, stderr '$(cat salvar.err)'"
fi
env -u DISPLAY "$prog" "$linhas" --salvar-cena toro.txt >salvar.out 2>salvar.err </dev/null
rc=$?
if [ "$rc" -eq 0 ] && [ "$(head -n 1 toro.txt)" = "1152 2304" ] && grep -q '515 lines' salvar.err && env -u DISPLAY "$prog" toro.txt --imagem toro.png \
    >/dev/null 2>&1 </dev/null; then
    pass "--salvar-cena of a model with lines writes its triangles and says: $(cat salvar.err)"
else
    fail "--salvar-cena of a model with lines: status $rc, stderr '$(cat salvar.err)'"
fi

# --- In the window ---------------------------------------------------------------------------
xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"
# Starts the viewer on FILE with the options given, in folder NAME; sets pid and win, and waits
# until the window shows the picture EXPECTED.png.
start_viewer() {
    local name=$1 file=$2 expected=$3
    shift 3
    mkdir -p "$work/$name" && cd "$work/$name" || fatal "no folder $work/$name"
    "$prog" "$file" "$@" >stdout.txt 2>stderr.txt </dev/null &
    pid=$!
    xvfb_track "$pid"
    cd "$work" || exit 1
    win=$(xvfb_find_window 640x480 "$START_TIMEOUT") || fatal "no window for $*"
    xvfb_wait_picture "$win" "$expected.png" "$name/first.xwd" "$START_TIMEOUT" &&
        pass "started on $(basename "$file") ${*:-with no options}: the first frame is the --imagem picture" ||
        fatal "started with ${*:-no options}: the window never showed the --imagem picture"
    xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
}

start_viewer teclas "$nuvem" default
key_shows bracketleft ponto2
key_shows bracketleft ponto1
# At 1 the key changes nothing; ] then steps back up.
press bracketleft
key_shows bracketright ponto2
key_shows bracketright ponto3
key_shows bracketright ponto4
# "20000 points, " is 14 characters; then the time.
overlay_text 14 nuvem-frente.rgb
quit_viewer

picture topo "$nuvem" --vista topo --ponto 16
start_viewer topo "$nuvem" topo --vista topo --ponto 16
press bracketright
cp topo/first.xwd now.xwd
overlay_text 14 nuvem-topo.rgb
xvfb_wait_picture "$win" topo.png now.xwd "$KEY_TIMEOUT" &&
    pass "]: at 16 the points stay 16 pixels wide" || fail "] made the points larger than 16"
quit_viewer

picture linhas "$linhas"
start_viewer linhas "$linhas" linhas
cp linhas/first.xwd now.xwd
overlay_text 14 linhas.rgb
quit_viewer

if [ -s nuvem-frente.rgb ] && cmp -s nuvem-frente.rgb nuvem-topo.rgb &&
    ! cmp -s nuvem-frente.rgb linhas.rgb; then
    pass "the overlay counts 20000 points alike from the front and the top, unlike the torus with lines"
else
    fail "the overlay's counts do not follow what is drawn"
fi
exit "$failures"
