#!/usr/bin/env bash
# End-to-end test of the viewer on mesh files, run as:
#   bash tests/e2e/importacao_test.sh PATH/TO/visualizador
#
# Draws the sample meshes of exemplos/ headless (the same picture from every format), checks
# --cima and --vista, the round trip through --salvar-cena (the same PNG bytes), one small file
# per refusal (status 1, one line naming the file, no file written, within a 2 GB address space),
# textures named as other machines write them and in another format, UTF-16 text, and, on a
# private Xvfb, that the keys 1, 3, 7 and 9 show the very pictures --vista draws and that a model
# that draws no pixel says so there as headless. Each case
# runs in a fresh folder of its own. Prints one line per case; exits 0 only if every case passed,
# and keeps the work folder on failure.
set -u -o pipefail

[ -n "${1:-}" ] || { echo "usage: importacao_test.sh PATH/TO/visualizador" >&2; exit 2; }
prog=$(realpath "$1")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exemplos=$root/exemplos
readonly ADDRESS_LIMIT_KB=2000000 TIMEOUT=60 START_TIMEOUT=30 KEY_TIMEOUT=10

# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/importacao-e2e.XXXXXX") || exit 1
# shellcheck disable=SC2317  # called from the EXIT trap
finish() {
    if [ "$failures" -eq 0 ] && [ "$XVFB_EXIT_STATUS" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "importacao_test: $failures case(s) failed; output kept in $work"
    fi
}
xvfb_install_traps finish

# --- Running one case. -----------------------------------------------------------------------
n=0 dir="" before="" rc=0 out="" err="" problems=""
new_case() {
    n=$((n + 1))
    dir=$work/$n
    mkdir "$dir"
}
listing() { (cd "$dir" && find . -mindepth 1 | LC_ALL=C sort); }
# Runs the program in $dir without a display, within the address space limit; sets before, rc,
# out and err.
run() {
    before=$(listing)
    (
        cd "$dir" || exit 99
        ulimit -v "$ADDRESS_LIMIT_KB"
        exec env -u DISPLAY timeout "$TIMEOUT" "$prog" "$@"
    ) </dev/null >"$work/$n.out" 2>"$work/$n.err"
    rc=$?
    out=$(cat "$work/$n.out")
    err=$(cat "$work/$n.err")
}
# drew FILES ARGS...: runs the program and expects status 0, nothing on stderr, and exactly the
# files named in FILES (space-separated) added to the folder.
drew() {
    local made=$1 f expected
    shift
    run "$@"
    [ "$rc" -eq 0 ] || problem "status $rc (stderr: '$err')"
    [ -z "$err" ] || problem "stderr: '$err'"
    expected=$before
    for f in $made; do expected=$(printf '%s\n./%s\n' "$expected" "$f"); done
    [ "$(listing)" = "$(grep . <<<"$expected" | LC_ALL=C sort -u)" ] ||
        problem "files after: $(listing | tr '\n' ' ')"
}
# refused FILE ARGS...: expects status 1, one line on stderr that starts with "visualizador: "
# and names FILE, and the folder exactly as it was.
refused() {
    local file=$1
    shift
    run "$@"
    [ "$rc" -eq 1 ] || problem "status $rc, expected 1"
    [ "$(wc -l <"$work/$n.err")" -eq 1 ] || problem "stderr is not one line: '$err'"
    [[ $err == "visualizador: "*"$file"* ]] || problem "stderr does not name $file: '$err'"
    [ "$(listing)" = "$before" ] || problem "the folder changed: $(listing | tr '\n' ' ')"
}
same_png() { cmp -s "$1" "$2" || problem "$(basename "$1") and $(basename "$2") differ"; }

# --- The sample meshes, headless. ------------------------------------------------------------
new_case
for f in bunny.ply bunny.stl bunny.obj cubo.gltf bunny.txt cubo.txt; do
    run "$exemplos/$f" --imagem "$f.png"
    [ "$rc" -eq 0 ] && [ -s "$dir/$f.png" ] || problem "$f: status $rc, stderr '$err'"
    case $f in *.txt) ;; *) [ -z "$out" ] || problem "$f: stdout '$out'" ;; esac
done
same_png "$dir/bunny.ply.png" "$dir/bunny.stl.png"
same_png "$dir/bunny.ply.png" "$dir/bunny.obj.png"
cmp -s "$dir/bunny.ply.png" "$dir/bunny.txt.png" &&
    problem "the mesh, framed by the default view, drew the scene file's own view"
verdict "bunny.ply, .stl, .obj and cubo.gltf drawn; the PLY, STL and OBJ pictures are the same"

new_case
run "$exemplos/bunny.ply" --imagem frente.png
for args in "--vista frente --cima +y" "--vista direita" "--vista topo" "--vista iso" \
    "--cima +z" "--cima -x --vista iso"; do
    # shellcheck disable=SC2086  # the options are split on purpose
    run "$exemplos/bunny.ply" $args --imagem outra.png
    [ "$rc" -eq 0 ] || problem "$args: status $rc, stderr '$err'"
    case $args in
    "--vista frente --cima +y") same_png "$dir/frente.png" "$dir/outra.png" ;;
    *) cmp -s "$dir/frente.png" "$dir/outra.png" && problem "$args drew the front view" ;;
    esac
done
verdict "--vista and --cima change a mesh's view; --vista frente --cima +y is the default"

new_case
run "$exemplos/bunny.txt" --imagem propria.png
run "$exemplos/bunny.txt" --cima -z --imagem cima.png
same_png "$dir/propria.png" "$dir/cima.png"
run "$exemplos/bunny.txt" --vista frente --imagem vista.png
cmp -s "$dir/propria.png" "$dir/vista.png" && problem "--vista frente kept the file's camera"
run "$exemplos/bunny.ply" --imagem malha.png
verdict "a scene file keeps its camera with --cima alone, and --vista replaces it"

# --- The round trip through --salvar-cena. ---------------------------------------------------
new_case
drew "salva.txt" "$exemplos/bunny.stl" --cima +z --vista iso --salvar-cena salva.txt
[ -z "$out" ] || problem "stdout: '$out'"
drew "salva.txt original.png" "$exemplos/bunny.stl" --cima +z --vista iso --salvar-cena salva.txt \
    --imagem original.png
drew "salva.txt original.png de-novo.png" salva.txt --imagem de-novo.png
same_png "$dir/original.png" "$dir/de-novo.png"
verdict "--salvar-cena alone writes the scene file only; it draws the mesh's PNG bytes again"

new_case
printf '3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n0 0 2\n0 1 1\n0.25 0.25 -4\n1 0.3 0.2\n' >"$dir/janela.txt"
drew "janela.txt salva.txt original.png" janela.txt --salvar-cena salva.txt --imagem original.png
drew "janela.txt salva.txt original.png de-novo.png" salva.txt --imagem de-novo.png
same_png "$dir/original.png" "$dir/de-novo.png"
grep -qx '0 0 2' "$dir/salva.txt" && grep -qx '1 0.3 0.2' "$dir/salva.txt" ||
    problem "N or the window was not written as read: $(tr '\n' ' ' <"$dir/salva.txt")"
verdict "a scene with an explicit window, saved and drawn again: the same PNG bytes"

new_case
drew "" "$exemplos/bunny.obj" --salvar-cena /dev/null
run "$exemplos/bunny.obj" --salvar-cena nada/salva.txt
[ "$rc" -eq 1 ] && [[ $err == *"nada/salva.txt"*"No such file or directory" ]] ||
    problem "status $rc, stderr '$err'"
verdict "--salvar-cena into a device works, into a missing folder is refused"

# --- Refusals: one small file each. ----------------------------------------------------------
# A binary little-endian PLY of a triangle whose third index is 99.
ply_indice_fora() {
    printf 'ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n'
    printf 'property float y\nproperty float z\nelement face 1\n'
    printf 'property list uchar int vertex_indices\nend_header\n'
    printf '\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x80\x3f\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x80\x3f\0\0\0\0'
    printf '\x03\0\0\0\0\x01\0\0\0\x63\0\0\0'
}
while IFS='|' read -r name file reason make; do
    new_case
    case $make in
    vazio) : >"$dir/$file" ;;
    pasta) mkdir "$dir/$file" ;;
    nada) ;;
    corte*) read -r _ bytes source <<<"$make" && head -c "$bytes" "$exemplos/$source" >"$dir/$file" ;;
    ply_indice_fora) ply_indice_fora >"$dir/$file" ;;
    stl_bilhoes) { head -c 80 /dev/zero; printf '\xff\xff\xff\xff'; head -c 50 /dev/zero; } >"$dir/$file" ;;
    *) printf '%b' "$make" >"$dir/$file" ;;
    esac
    refused "$file" "$file" --imagem out.png --salvar-cena salva.txt
    [[ $err =~ $reason ]] || problem "stderr '$err' does not match /$reason/"
    verdict "$name: ${err#visualizador: }"
done <<'EOF'
empty PLY|vazio.ply|empty|vazio
empty OBJ|vazio.obj|too small|vazio
empty STL|vazio.stl|empty|vazio
a folder|pasta.ply|cannot open the mesh .*Is a directory|pasta
missing file|nada.stl|cannot open the mesh .*No such file or directory|nada
unknown format|coisa.xyz|No suitable reader|some text\n
binary PLY cut in its vertices|cortado.ply|promises|corte 9000 bunny.ply
binary PLY cut in its faces|cortado.ply|.|corte 40000 bunny.ply
binary STL cut short|cortado.stl|header counts 3674 triangles|corte 1000 bunny.stl
PLY header cut short|cabecalho.ply|header does not end|ply\nformat ascii 1.0\nelement vertex 3\nprop
PLY claiming two billion vertices|bilhoes.ply|vertex promises 2000000000 entries|ply\nformat binary_little_endian 1.0\nelement vertex 2000000000\nproperty float x\nend_header\n0123456789
text PLY claiming two billion faces|bilhoes-texto.ply|promises|ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\nelement face 2000000000\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n
STL claiming four billion triangles|bilhoes.stl|header counts 4294967295 triangles|stl_bilhoes
nothing to draw|nada.obj|holds nothing to draw|# a comment\ng nothing\n
NaN in a point cloud|nan-nuvem.ply|point 1 of the file.s points is not finite: nan 0 0|ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\nend_header\n0 0 0\nnan 0 0\n0 1 0\n
NaN in a line|nan-linha.obj|line 1 of the file.s lines has an end that is not finite|v 0 0 0\nv 1 0 0\nv nan 1 0\nl 1 2 3\n
NaN coordinate|nan.obj|point 2 .*not finite: nan 1 0|v 0 0 0\nv 1 0 0\nv nan 1 0\nf 1 2 3\n
NaN in a text PLY|nan.ply|point 1 .*not finite|ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\nnan 0 0\n0 1 0\n3 0 1 2\n
coordinate beyond single precision|grande.obj|point 1 .*not finite: inf 0 0|v 0 0 0\nv 1e39 0 0\nv 0 1 0\nf 1 2 3\n
OBJ face naming a missing vertex|fora.obj|out of range|v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n
OBJ relative index before the first vertex|antes.obj|out of range|v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n
OBJ index 0|zero.obj|Invalid face index|v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n
binary PLY face naming a missing vertex|fora.ply|face 0 names vertex 99, but the file has 3 vertices|ply_indice_fora
EOF

new_case
for args in "--cima y" "--cima +w" "--vista cima" "--vista" "--cima"; do
    # shellcheck disable=SC2086  # the options are split on purpose
    run "$exemplos/bunny.ply" $args --imagem out.png
    [ "$rc" -eq 2 ] || problem "$args: status $rc, expected 2"
    [[ $err == *"usage: visualizador"* ]] || problem "$args: no usage on stderr"
done
[ "$(listing)" = "$before" ] || problem "the folder changed: $(listing | tr '\n' ' ')"
verdict "unknown or missing --cima and --vista values: status 2 with the usage"

# --- Textures as files name them, UTF-16 text. -----------------------------------------------
# The box's glTF in modelo/ with its texture in Texturas/ (a PNG and a TGA copy; ImageMagick
# writes a TGA's rows from the top, so it is told so) and in fora/, beside modelo/.
new_case
mkdir -p "$dir/modelo/Texturas" "$dir/fora"
cp "$exemplos/caixa.png" "$dir/modelo/Texturas/caixa.png"
cp "$exemplos/caixa.png" "$dir/fora/caixa.png"
convert "$exemplos/caixa.png" -orient TopLeft "$dir/modelo/Texturas/caixa.tga" ||
    problem "convert could not make the TGA"
caixa() { sed "s|\"uri\": \"caixa.png\"|\"uri\": \"$2\"|" "$exemplos/caixa.gltf" >"$dir/modelo/$1.gltf"; }
caixa ref Texturas/caixa.png
caixa barras 'TEXTURAS\\\\CAIXA.PNG'
caixa tga Texturas/caixa.tga
caixa absoluto "$dir/fora/caixa.png"
sed -z 's/"baseColorTexture": {[^}]*},//' "$exemplos/caixa.gltf" >"$dir/modelo/lisa.gltf"
for m in ref tga lisa; do
    drew "$m.png" "modelo/$m.gltf" --vista iso --imagem "$m.png"
done
# warned NAME LINE: draws modelo/NAME.gltf, status 0 and LINE alone on stderr.
warned() {
    run "modelo/$1.gltf" --vista iso --imagem "$1.png"
    [ "$rc" -eq 0 ] && [ "$err" = "visualizador: modelo/$1.gltf: $2" ] ||
        problem "$1: status $rc, stderr '$err'"
}
warned barras 'texture TEXTURAS\CAIXA.PNG is read from Texturas/caixa.png'
warned absoluto "texture $dir/fora/caixa.png is not drawn: an absolute name is not followed, and no caixa.png is found beside the model"
same_png "$dir/ref.png" "$dir/tga.png"
same_png "$dir/ref.png" "$dir/barras.png"
same_png "$dir/lisa.png" "$dir/absoluto.png"
verdict "a TGA texture draws the PNG's picture; TEXTURAS\\CAIXA.PNG is found with one line; an absolute name is not followed"

# A triangle in ASE, in UTF-8 and in UTF-16 of both byte orders with their marks.
new_case
printf '%s\n' '*3DSMAX_ASCIIEXPORT 200' '*GEOMOBJECT {' '*NODE_NAME "tri"' '*NODE_TM {' \
    '*NODE_NAME "tri"' '*TM_ROW0 1 0 0' '*TM_ROW1 0 1 0' '*TM_ROW2 0 0 1' '*TM_ROW3 0 0 0' '}' \
    '*MESH {' '*MESH_NUMVERTEX 3' '*MESH_NUMFACES 1' '*MESH_VERTEX_LIST {' '*MESH_VERTEX 0 0 0 0' \
    '*MESH_VERTEX 1 1 0 0' '*MESH_VERTEX 2 0 0 1' '}' '*MESH_FACE_LIST {' \
    '*MESH_FACE 0: A: 0 B: 1 C: 2' '}' '}' '}' >"$dir/utf8.ase"
{ printf '\377\376' && iconv -f UTF-8 -t UTF-16LE "$dir/utf8.ase"; } >"$dir/le.ase"
{ printf '\376\377' && iconv -f UTF-8 -t UTF-16BE "$dir/utf8.ase"; } >"$dir/be.ase"
for f in utf8 le be; do
    drew "$f.png" "$f.ase" --imagem "$f.png"
done
same_png "$dir/utf8.png" "$dir/le.png"
same_png "$dir/utf8.png" "$dir/be.png"
verdict "an ASE file in UTF-16 of either byte order draws its UTF-8 twin's picture"

# --- Keys 1, 3, 7 and 9 in the window. -------------------------------------------------------
# They give the camera and the framing of --vista, so each picture saved with F12 is the --imagem
# picture of that view, byte for byte, wherever the camera and the turning centre had gone.
new_case
run "$exemplos/bunny.ply" --cima -x --imagem inicio.png
for vista in direita topo iso; do
    run "$exemplos/bunny.ply" --cima -x --vista "$vista" --imagem "$vista.png"
    [ "$rc" -eq 0 ] || problem "--vista $vista: status $rc"
done
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    echo "SKIP: keys 1, 3, 7 and 9 (Xvfb or xdotool missing)"
elif ! xvfb_start "$START_TIMEOUT"; then
    fail "could not start Xvfb"
else
    (cd "$dir" && exec "$prog" "$exemplos/bunny.ply" --cima -x >janela.out 2>janela.err </dev/null) &
    pid=$!
    xvfb_track "$pid"
    if ! win=$(xvfb_find_window 640x480 "$START_TIMEOUT"); then
        problem "no window within ${START_TIMEOUT}s: $(cat "$dir/janela.err")"
    else
        xvfb_pointer_over "$win" || problem "could not move the pointer over the window"
        numero=0
        # Presses the keys given, then F12; names the picture saved after the last one.
        foto() {
            local key
            for key in "$@"; do xvfb_press "$key" 0.05 || problem "xdotool could not press $key"; done
            numero=$((numero + 1))
            foto=$(printf 'visualizador-%03d.png' "$numero")
            xvfb_press F12 0.05 || problem "xdotool could not press F12"
            local deadline
            deadline=$(xvfb_deadline "$KEY_TIMEOUT")
            until [ -s "$dir/$foto" ] || xvfb_past "$deadline"; do sleep 0.05; done
            [ -s "$dir/$foto" ] || problem "no $foto after $*"
        }
        foto Right 1 && frente=$foto
        foto 7 && topo=$foto
        foto Left Up Next 7 && topo2=$foto
        foto KP_9 && iso=$foto
        # A right drag moves the camera and the turning centre; 3 brings both back.
        xwd -id "$win" -silent >"$dir/antes.xwd" || problem "xwd could not dump the window"
        xdotool mousedown 3 mousemove_relative 40 25 mouseup 3 || problem "xdotool could not drag"
        xvfb_wait_changed "$win" "$dir/antes.xwd" "$dir/deslocado.xwd" "$KEY_TIMEOUT" ||
            problem "a right drag did not move the picture"
        foto 3 && direita=$foto
        foto KP_7 && topo3=$foto
        foto r && inicio=$foto
        same_png "$dir/$frente" "$dir/inicio.png"
        same_png "$dir/$topo" "$dir/topo.png"
        same_png "$dir/$topo2" "$dir/topo.png"
        same_png "$dir/$topo3" "$dir/topo.png"
        same_png "$dir/$iso" "$dir/iso.png"
        same_png "$dir/$direita" "$dir/direita.png"
        same_png "$dir/$inicio" "$dir/inicio.png"
        for a in "$topo" "$iso" "$direita"; do
            for b in "$frente" "$topo" "$iso" "$direita"; do
                [ "$a" = "$b" ] || ! cmp -s "$dir/$a" "$dir/$b" || problem "$a and $b are the same"
            done
        done
        xvfb_press Escape 0.05
        xvfb_wait_gone "$pid" "$KEY_TIMEOUT" || problem "ESC did not end the viewer"
        [ ! -s "$dir/janela.err" ] || problem "stderr: $(cat "$dir/janela.err")"
    fi
    verdict "keys 1, 3, 7 (and KP 7) and KP 9: the --vista pictures from wherever the camera was; R the start"
fi

# --- A model that draws no pixel says so, headless and in the window. -------------------------
new_case
printf 'v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n' >"$dir/plano.obj"
linha="visualizador: plano.obj: it draws no pixel from the starting view (1 triangle)"
run plano.obj --imagem plano.png
[ "$rc" -eq 0 ] && [ "$err" = "$linha" ] || problem "headless: status $rc, stderr '$err'"
if [ -n "${XVFB_DISPLAY:-}" ]; then
    (cd "$dir" && exec "$prog" plano.obj >janela.out 2>janela.err </dev/null) &
    pid=$!
    xvfb_track "$pid"
    if xvfb_find_window 640x480 "$START_TIMEOUT" >/dev/null; then
        deadline=$(xvfb_deadline "$KEY_TIMEOUT")
        until [ -s "$dir/janela.err" ] || xvfb_past "$deadline"; do sleep 0.05; done
        xvfb_press Escape 0.05
        xvfb_wait_gone "$pid" "$KEY_TIMEOUT" || problem "ESC did not end the viewer"
        [ "$(cat "$dir/janela.err")" = "$linha" ] || problem "window: stderr '$(cat "$dir/janela.err")'"
    else
        problem "no window within ${START_TIMEOUT}s: $(cat "$dir/janela.err")"
    fi
else
    echo "SKIP: the window's line (no Xvfb)"
fi
verdict "a triangle of no area: status 0 and one line, headless and in the window"

if [ "$failures" -eq 0 ]; then
    echo "importacao_test: all $n cases passed"
    exit 0
fi
exit 1
