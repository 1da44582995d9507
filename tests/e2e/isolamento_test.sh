#!/usr/bin/env bash
# End-to-end test of the confinement of the import library, run as:
#   bash tests/e2e/isolamento_test.sh PATH/TO/visualizador PATH/TO/gouraud-importador-falhas
#
# Through the viewer: the sample meshes the import library reads give the same PNG bytes through
# the child process as in this one (--sem-isolamento, which says so on stderr) and as the viewer
# drew them before the child existed (their SHA-256 from then); each fault of the
# test build of the child (GOURAUD_FALHA) ends as its one-line refusal with status 1, within its
# time, with no process left and no file written; --limite-memoria and --limite-tempo hold a real
# file that asks for too much memory and one that hangs the library on a named pipe; a viewer
# interrupted while the child runs leaves no child; and, on a private Xvfb, a file that turns
# hostile while the window shows it changes only the overlay line, the last good picture stays,
# and the good file again brings its picture back. One line per check; exits 0 only if every
# check passed, and keeps the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

usage="usage: isolamento_test.sh PATH/TO/visualizador PATH/TO/gouraud-importador-falhas"
prog=$(realpath -- "${1:?$usage}")
falhas=$(realpath -- "${2:?$usage}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exemplos=$root/exemplos
readonly START_TIMEOUT=30 TIMEOUT=20
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
JANELA_TIMEOUT=10
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar isolamento-e2e cmp pgrep mkfifo
escrita=/tmp/gouraud-falha-escrita

# The processes whose command line names the work folder: children of a reading of a file in it.
sobras() { pgrep -f -- "$work/" || true; }
# Runs the viewer with ARGS, its output in NAME.out and NAME.err, sets rc and ms (the time).
run() {
    local nome=$1 inicio
    shift
    inicio=$(date +%s%N)
    env -u DISPLAY timeout "$TIMEOUT" "$prog" "$@" </dev/null >"$work/$nome.out" 2>"$work/$nome.err"
    rc=$?
    ms=$(( ($(date +%s%N) - inicio) / 1000000 ))
    err=$(cat "$work/$nome.err")
}

# --- The same PNG bytes through the child and in this process. --------------------------------
# The SHA-256 of each sample's picture as the viewer drew it before the child existed, when the
# import library read in its process.
declare -A antes=(
    [caixa.gltf]=5ddafa14e699900efadc5e1fb6285efc5ceeae7e67bf4ac165085b7867e59047
    [cubo.gltf]=265bb571f2790657ff9ce208da780dc5ff62c587ac094b5e03462348e94ff6df
    [toro-linhas.gltf]=b3652b0bf30bd227057f48d32e2e1262568deab596a2cabdf0791f5cf6929075
    [instancias.gltf]=4e94c9f3efcd8cf0751fe6c2917177cfad94e781835a4a9582a59b39ca107969
)
mkdir amostras
for nome in "${!antes[@]}"; do
    f=$exemplos/$nome
    [ -f "$f" ] || f=$root/tests/arquivos/malhas/$nome
    run filho "$f" --imagem "amostras/$nome.filho.png"
    [ "$rc" -eq 0 ] && [ -z "$err" ] || fail "$nome through the child: status $rc, stderr '$err'"
    run proprio "$f" --sem-isolamento --imagem "amostras/$nome.proprio.png"
    [ "$rc" -eq 0 ] || fail "$nome in process: status $rc, stderr '$err'"
    [ "$err" = "visualizador: --sem-isolamento: the import library reads mesh files in this process, unconfined and with no limit" ] ||
        fail "--sem-isolamento does not say so on stderr, alone: '$err'"
    cmp -s "amostras/$nome.filho.png" "amostras/$nome.proprio.png" &&
        [ "$(sha256sum <"amostras/$nome.filho.png" | cut -c1-64)" = "${antes[$nome]:-}" ] &&
        pass "$nome: the same PNG bytes through the child, in process and before the child" ||
        fail "$nome: the pictures differ"
done

# --- Each fault of the test build of the child. ------------------------------------------------
mkdir falhas
cp "$exemplos/cubo.gltf" falhas/cubo.gltf
cubo=$work/falhas/cubo.gltf
rm -f "$escrita"
while IFS='|' read -r falha mensagem; do
    GOURAUD_IMPORTADOR=$falhas GOURAUD_FALHA=$falha run "$falha" "$cubo" --limite-tempo 2 \
        --imagem falhas/saida.png
    esperado="visualizador: the import library $mensagem"
    [ "$rc" -eq 1 ] || problem "status $rc"
    [ "$(wc -l <"$work/$falha.err")" -eq 1 ] || problem "stderr is not one line: '$err'"
    [ "$err" = "${esperado//CUBO/$cubo}" ] || problem "stderr '$err'"
    [ ! -e falhas/saida.png ] || problem "a picture was written"
    [ "$ms" -lt 6000 ] || problem "it took $ms ms"
    [ -z "$(sobras)" ] || problem "processes left: $(sobras)"
    [ ! -e "$escrita" ] || problem "$escrita was written"
    n=$falha verdict "$falha: ${err#visualizador: } ($ms ms)"
done <<'EOF'
segv|crashed reading CUBO (signal 11, segmentation fault)
laco|took more than 2 s reading CUBO
memoria|used more than 2 GiB reading CUBO
socket|was stopped by the sandbox reading CUBO (forbidden system call socket)
exec|was stopped by the sandbox reading CUBO (forbidden system call execve)
escrita|was stopped by the sandbox reading CUBO (forbidden system call openat)
ptrace|was stopped by the sandbox reading CUBO (forbidden system call ptrace)
truncada|sent a malformed answer reading CUBO (it ends after 170 of 340 bytes)
indice|sent a malformed answer reading CUBO (face 11 of mesh 0 names vertex 8 of 8)
EOF

# --- The limits, on files that are not made up. ------------------------------------------------
mkdir limites
printf 'OFF\n20000000 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n' >limites/promete.off
run promete limites/promete.off --imagem limites/x.png
[ "$rc" -eq 1 ] && [ "$err" = "visualizador: limites/promete.off: face 0 of mesh 0 has no corners" ] &&
    pass "an OFF file that promises 20 million vertices, with the default limit: $err" ||
    fail "the promising OFF file: status $rc, stderr '$err'"
run promete limites/promete.off --limite-memoria 128 --imagem limites/x.png
[ "$rc" -eq 1 ] &&
    [ "$err" = "visualizador: the import library used more than 128 MiB reading limites/promete.off" ] &&
    pass "--limite-memoria 128: $err" || fail "--limite-memoria 128: status $rc, stderr '$err'"
# A glTF file whose buffer is a named pipe that no one writes: the library waits on no processor
# time until the clock runs out.
sed 's|"data:application/octet-stream;base64,[^"]*"|"cano.bin"|' "$exemplos/cubo.gltf" >limites/preso.gltf
mkfifo limites/cano.bin
run preso limites/preso.gltf --limite-tempo 1 --imagem limites/x.png
[ "$rc" -eq 1 ] && [ "$err" = "visualizador: the import library took more than 1 s reading limites/preso.gltf" ] &&
    [ "$ms" -lt 3000 ] && [ -z "$(sobras)" ] &&
    pass "--limite-tempo 1 on a file that hangs the library on a pipe: $err ($ms ms)" ||
    fail "the hanging file: status $rc, stderr '$err', $ms ms, left: $(sobras)"
for args in "--limite-memoria 63" "--limite-memoria 1048577" "--limite-memoria x" \
    "--limite-tempo 0" "--limite-tempo 86401" "--limite-tempo"; do
    # shellcheck disable=SC2086  # the options are split on purpose
    run uso "$cubo" $args --imagem limites/x.png
    [ "$rc" -eq 2 ] && [[ $err == *"usage: visualizador"* ]] || fail "$args: status $rc, expected 2"
done
pass "limits out of range are usage errors (status 2)"

# --- A viewer interrupted while the child reads leaves no child. -------------------------------
for sinal in INT KILL; do
    GOURAUD_IMPORTADOR=$falhas GOURAUD_FALHA=laco "$prog" "$cubo" --limite-tempo 60 \
        --imagem falhas/x.png </dev/null >/dev/null 2>&1 &
    pid=$!
    wait_until test -n "$(sobras)" || fail "SIG$sinal: the child never started"
    kill -s "$sinal" "$pid"
    wait "$pid" 2>/dev/null
    wait_until test -z "$(sobras)" && pass "SIG$sinal to the viewer while the child reads: no child left" ||
        fail "SIG$sinal to the viewer left: $(sobras)"
done

# --- A file that turns hostile while the window shows it. --------------------------------------
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null ||
    ! command -v xwd >/dev/null || ! command -v convert >/dev/null; then
    echo "SKIP: the window's reload (Xvfb, xdotool, xwd or ImageMagick missing)"
elif ! xvfb_start "$START_TIMEOUT"; then
    fail "could not start Xvfb"
else
    mkdir janela
    cp "$exemplos/cubo.gltf" janela/cubo.gltf
    "$prog" janela/cubo.gltf --imagem janela-ref.png </dev/null >/dev/null 2>&1 || fatal "--imagem failed"
    cd janela || exit 1
    GOURAUD_IMPORTADOR=$falhas "$prog" cubo.gltf >stdout.txt 2>stderr.txt </dev/null &
    pid=$!
    xvfb_track "$pid"
    cd "$work" || exit 1
    win=$(xvfb_find_window 640x480 "$START_TIMEOUT") || fatal "no window: $(cat janela/stderr.txt)"
    xvfb_wait_picture "$win" janela-ref.png first.xwd "$START_TIMEOUT" ||
        fatal "the window never showed the --imagem picture"
    xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
    sed 's/"generator": "[^"]*"/"generator": "gouraud-falha:segv"/' janela/cubo.gltf >janela/cubo.new
    mv janela/cubo.new janela/cubo.gltf
    if wait_changed first.xwd bad.xwd; then
        read -r n y1 < <(cmp -l <(convert first.xwd -depth 8 rgb:-) <(convert bad.xwd -depth 8 rgb:-) |
            awk '{ p = int(($1 - 1) / 3); y = int(p / 640) }
                 p != last { n++; last = p; if (y > y1) y1 = y } END { print n + 0, y1 + 0 }')
        [ "$y1" -lt 8 ] && pass "a file that turns hostile changes only the overlay line ($n pixels)" ||
            fail "the hostile file changed $n pixels, down to row $y1"
    else
        fail "the hostile file did not show its problem"
    fi
    press F12
    wait_until test -f janela/visualizador-001.png && cmp -s janela/visualizador-001.png janela-ref.png &&
        pass "F12 after it: the last good picture" || fail "F12 did not save the last good picture"
    xvfb_alive "$pid" && [ -z "$(sobras)" ] && pass "the viewer runs on, with no child left" ||
        fail "the viewer ended, or left: $(sobras)"
    grep -qF "the import library crashed reading cubo.gltf (signal 11, segmentation fault)" \
        janela/stderr.txt && pass "stderr names it: $(cat janela/stderr.txt)" ||
        fail "stderr: '$(cat janela/stderr.txt)'"
    cp "$exemplos/cubo.gltf" janela/cubo.new && mv janela/cubo.new janela/cubo.gltf
    wait_same first.xwd now.xwd && pass "the good file again: its picture, and the line gone" ||
        fail "the good file again did not give back its picture"
    quit_viewer
fi

if [ "$failures" -eq 0 ]; then
    echo "isolamento_test: every check passed"
    exit 0
fi
exit 1
