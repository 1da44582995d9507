#!/usr/bin/env bash
# End-to-end test of the file's colours and textures in the viewer, run as:
#   bash tests/e2e/visualizador_cores_test.sh PATH/TO/visualizador
#
# Headless: the vertex-coloured and the textured samples draw their colours in every mode, and
# with --sem-cor exactly the picture of the same mesh without them; a texture that cannot be read
# (missing, not an image, cut short, too large) gives one line on stderr naming it, status 0 and
# the picture of its material without the texture; --salvar-cena says on stderr that a scene
# file cannot hold the colours, for a coloured file only. On a private Xvfb: C shows the
# --sem-cor picture and back, and the overlay says "colours off" while they are. One line per
# check; exits 0 only if every check passed, and keeps the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

prog=$(realpath -- "${1:?usage: visualizador_cores_test.sh PATH/TO/visualizador}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
exemplos=$root/exemplos
readonly START_TIMEOUT=30 KEY_TIMEOUT=10 QUIT_LIMIT=5

JANELA_TIMEOUT=$KEY_TIMEOUT
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar visualizador-cores Xvfb xwd xwininfo xdotool convert cmp

# Draws FILE with the options after it into NAME.png, headless; its stderr goes to NAME.err and
# its status to `rc`.
picture() {
    local name=$1 file=$2
    shift 2
    env -u DISPLAY "$prog" "$file" "$@" --imagem "$work/$name.png" >/dev/null 2>"$work/$name.err" \
        </dev/null
    rc=$?
}

# --- The samples, with and without their colours ------------------------------------------------
for modo in plano gouraud phong; do
    picture "cores-$modo" "$exemplos/bunny-cores.ply" --modo "$modo"
    picture "semcor-$modo" "$exemplos/bunny-cores.ply" --modo "$modo" --sem-cor
    picture "simples-$modo" "$exemplos/bunny.ply" --modo "$modo"
    if cmp -s "semcor-$modo.png" "simples-$modo.png" && ! cmp -s "cores-$modo.png" "simples-$modo.png"
    then
        pass "$modo: the coloured PLY differs from the plain one, and with --sem-cor is its picture byte for byte"
    else
        fail "$modo: --sem-cor does not give the plain PLY's picture, or the colours change nothing"
    fi
    picture "caixa-$modo" "$exemplos/caixa.gltf" --modo "$modo" --vista iso
    picture "caixa-semcor-$modo" "$exemplos/caixa.gltf" --modo "$modo" --vista iso --sem-cor
    [ "$rc" -eq 0 ] && [ ! -s "caixa-$modo.err" ] && ! cmp -s "caixa-$modo.png" "caixa-semcor-$modo.png" &&
        pass "$modo: the textured box draws its texture, silently" ||
        fail "$modo: the textured box: status $rc, stderr '$(cat "caixa-$modo.err")'"
done

# --- Textures that cannot be read ----------------------------------------------------------------
# The box's glTF beside a texture file of each kind; its picture without the texture is that of
# the same file with the texture left out of its material.
sed -z 's/"baseColorTexture": {[^}]*},//' "$exemplos/caixa.gltf" >lisa.gltf
picture lisa lisa.gltf --vista iso
grep -q baseColorTexture lisa.gltf && fatal "could not take the texture out of the box's material"
png=$exemplos/caixa.png
printf 'this is no image\n' >texto.png
head -c 60 "$png" >cortada.png
# The header of the sample's PNG with 20000 x 20000 texels.
{ head -c 16 "$png"; printf '\000\000\116\040\000\000\116\040'; tail -c +25 "$png"; } >enorme.png
for caso in falta:"No such file" texto:"neither a PNG nor a JPEG" cortada:"cannot be decoded" \
    enorme:"more than 16384 on a side"; do
    nome=${caso%%:*}
    motivo=${caso#*:}
    sed "s/caixa\.png/$nome.png/" "$exemplos/caixa.gltf" >"$nome.gltf"
    picture "$nome" "$nome.gltf" --vista iso
    if [ "$rc" -eq 0 ] && [ "$(wc -l <"$nome.err")" -eq 1 ] && grep -q "$nome.png" "$nome.err" &&
        grep -q "$motivo" "$nome.err" && cmp -s "$nome.png" lisa.png; then
        pass "$nome.png: status 0, the picture without the texture, one line: $(cat "$nome.err")"
    else
        fail "$nome.png: status $rc, stderr '$(cat "$nome.err")'"
    fi
done

# --- Writing a scene ---------------------------------------------------------------------------
env -u DISPLAY "$prog" "$exemplos/bunny-cores.ply" --salvar-cena cena.txt >/dev/null 2>salvar.err
rc=$?
env -u DISPLAY "$prog" "$exemplos/bunny.ply" --salvar-cena simples.txt >/dev/null 2>simples.err
if [ "$rc" -eq 0 ] && [ "$(wc -l <salvar.err)" -eq 1 ] && grep -q "colours" salvar.err &&
    [ ! -s simples.err ] && cmp -s cena.txt simples.txt; then
    pass "--salvar-cena writes the same scene, with one line: $(cat salvar.err)"
else
    fail "--salvar-cena of a coloured file: status $rc, stderr '$(cat salvar.err)' / '$(cat simples.err)'"
fi

# --- In the window -----------------------------------------------------------------------------
xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"
mkdir -p janela && cd janela || fatal "no folder janela"
"$prog" "$exemplos/bunny-cores.ply" >stdout.txt 2>stderr.txt </dev/null &
pid=$!
xvfb_track "$pid"
cd "$work" || exit 1
win=$(xvfb_find_window 640x480 "$START_TIMEOUT") || fatal "no window"
xvfb_wait_picture "$win" cores-gouraud.png janela/first.xwd "$START_TIMEOUT" &&
    pass "the first frame is the coloured --imagem picture" ||
    fatal "the window never showed the coloured picture"
xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
for esperado in semcor-gouraud cores-gouraud; do
    press c
    xvfb_wait_picture "$win" "$esperado.png" now.xwd "$KEY_TIMEOUT" &&
        pass "C: the window shows the picture of $esperado" ||
        fail "C: the window does not show the picture of $esperado"
done
# The overlay's first 21 characters: "gouraud, colours off," with them off, "gouraud, 7016 tria"
# with them on.
overlay() {
    press h
    xvfb_wait_changed "$win" now.xwd overlay.xwd "$KEY_TIMEOUT" || fail "H did not show the overlay"
    convert overlay.xwd -crop 168x8+0+0 -depth 8 rgb:"$1"
    press h
    xvfb_wait_picture "$win" "$2.png" now.xwd "$KEY_TIMEOUT" || fail "H did not hide the overlay"
}
overlay ligadas.rgb cores-gouraud
press c
xvfb_wait_picture "$win" semcor-gouraud.png now.xwd "$KEY_TIMEOUT" || fail "C did not turn the colours off"
overlay desligadas.rgb semcor-gouraud
[ -s ligadas.rgb ] && ! cmp -s ligadas.rgb desligadas.rgb &&
    pass "the overlay's text changes when the colours are off" ||
    fail "the overlay's text does not follow the colours"
press Escape
if xvfb_wait_gone "$pid" "$QUIT_LIMIT"; then
    wait "$pid"
    xvfb_untrack "$pid"
else
    fail "ESC did not end the viewer"
fi

[ "$failures" -eq 0 ] && echo "visualizador_cores_test: all checks passed"
[ "$failures" -eq 0 ]
