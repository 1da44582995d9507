#!/usr/bin/env bash
# End-to-end test of the visualizador program, run as:
#   bash tests/e2e/visualizador_test.sh PATH/TO/visualizador
#
# Every case runs headless (DISPLAY unset) in a fresh folder of its own, so that a refusal can be
# held to "no file at all was created". Checks the usage errors and --help, every invalid scene in
# tests/cena/cenas, cameras that cannot give a picture, bad lighting files, files that do not open,
# outputs that cannot be written, --medir, and the pictures of the sample scenes. Prints one line
# per case and exits 0 only if every case passed; on failure the work folder is kept.
set -u -o pipefail

[ -n "${1:-}" ] || { echo "usage: visualizador_test.sh PATH/TO/visualizador" >&2; exit 2; }
prog=$(realpath "$1")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cenas=$root/tests/cena/cenas
exemplos=$root/exemplos
readonly MARKER=ouhaisudhsaiudhsaiduhasdiuhias WIDTH=640 HEIGHT=480

# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"

for tool in identify convert timeout realpath; do
    command -v "$tool" >/dev/null || { fail "required tool '$tool' is missing"; exit 1; }
done
[ -x "$prog" ] || { fail "program '$prog' does not exist or is not executable"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/visualizador-e2e.XXXXXX") || exit 1
# shellcheck disable=SC2317  # called from the EXIT trap
finish() {
    if [ "$failures" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "visualizador_test: $failures case(s) failed; output kept in $work"
    fi
}
trap finish EXIT

# --- Running one case. ---------------------------------------------------------------------
n=0 dir="" before="" rc=0 out="" err="" problems="" limit=""
# Starts a case: a new empty folder $dir for the program to run in.
new_case() {
    n=$((n + 1))
    dir=$work/$n
    mkdir "$dir"
}
# Everything in $dir, hidden files and sub-folders included.
listing() { (cd "$dir" && find . -mindepth 1 | LC_ALL=C sort); }
# Runs the program in $dir without a display (and, when $limit is set, with files limited to
# that many KiB); sets before, rc, out and err.
run() {
    before=$(listing)
    (
        cd "$dir" || exit 99
        if [ -n "$limit" ]; then
            trap '' XFSZ # a write past the limit then fails with EFBIG instead of killing
            ulimit -f "$limit"
        fi
        exec env -u DISPLAY timeout 60 "$prog" "$@"
    ) </dev/null >"$work/$n.out" 2>"$work/$n.err"
    rc=$?
    out=$(cat "$work/$n.out")
    err=$(cat "$work/$n.err")
}

# refused PREFIX REST ARGS...: runs the program and expects a refusal: status 1, one line on
# stderr made of PREFIX and then text matching the extended regular expression REST, nothing on
# stdout but the loader's marker, and the folder exactly as it was.
refused() {
    local prefix=$1 rest=$2
    shift 2
    run "$@"
    [ "$rc" -eq 1 ] || problem "status $rc, expected 1"
    if [ "$(wc -l <"$work/$n.err")" -ne 1 ]; then
        problem "stderr is not one line: '$err'"
    elif [[ $err != "$prefix"* ]] || ! [[ ${err#"$prefix"} =~ ^($rest) ]]; then
        problem "stderr '$err' does not match '$prefix' + /$rest/"
    fi
    [ -z "$out" ] || [ "$out" = "$MARKER" ] || problem "stdout: '$out'"
    [ "$(listing)" = "$before" ] || problem "the folder changed: $(listing | tr '\n' ' ')"
}

# drew ARGS...: runs the program and expects the picture named after --imagem to be written:
# status 0, the marker alone on stdout, nothing on stderr, and no other file left.
drew() {
    local a prev="" made=""
    for a in "$@"; do
        [ "$prev" = --imagem ] && made=$a
        prev=$a
    done
    run "$@"
    [ "$rc" -eq 0 ] || problem "status $rc, expected 0 (stderr: '$err')"
    [ "$out" = "$MARKER" ] || problem "stdout: '$out'"
    [ -z "$err" ] || problem "stderr: '$err'"
    [ "$(listing)" = "$(printf '%s\n./%s\n' "$before" "$made" | grep . | LC_ALL=C sort -u)" ] ||
        problem "files after: $(listing | tr '\n' ' ')"
}

# check_picture FILE MIN MAX COLOURS: FILE is an 8-bit RGB PNG of 640x480 whose four 8x8 corners
# are black, with MIN to MAX per cent of its pixels not black and at least COLOURS colours.
# Sets facts to a short description.
check_picture() {
    local w h depth type colours lit corners
    read -r w h depth type colours <<<"$(identify -format \
        '%w %h %[png:IHDR.bit-depth-orig] %[png:IHDR.color-type-orig] %k' "$1" 2>&1)"
    lit=$(convert "$1" -fill white +opaque black -format '%[fx:int(mean*100)]' info:)
    corners=$(convert "$1" -fill black -draw "rectangle 8,0 $((WIDTH - 9)),$((HEIGHT - 1))" \
        -draw "rectangle 0,8 $((WIDTH - 1)),$((HEIGHT - 9))" -format '%[max]' info:)
    facts="${w}x${h}, depth ${depth:-?}, colour type ${type:-?}, $lit% not black, $colours colours"
    [ "$w $h $depth $type" = "$WIDTH $HEIGHT 8 2" ] || problem "not a ${WIDTH}x${HEIGHT} 8-bit RGB PNG: $facts"
    [ "$corners" = 0 ] || problem "a corner is not black"
    (( ${lit:-0} >= $2 && ${lit:-0} <= $3 )) || problem "$lit% not black, expected $2 to $3%"
    [ "${colours:-0}" -ge "$4" ] || problem "only $colours colours, expected at least $4"
}

triangulo=$cenas/um_triangulo.txt

# --- Usage. --------------------------------------------------------------------------------
new_case
run --help
help=$out
[ "$rc" -eq 0 ] || problem "status $rc"
[[ $help == "usage: visualizador "* ]] || problem "stdout does not start with the usage: '$help'"
for option in --iluminacao --imagem --medir; do
    [[ $help == *"$option"* ]] || problem "the usage does not mention $option"
done
[ -z "$err" ] || problem "stderr: '$err'"
verdict "--help: the usage on stdout, status 0"

# Each line: the case's name, then its arguments written as shell words.
while IFS='|' read -r name args; do
    new_case
    eval "set -- $args"
    run "$@"
    [ "$rc" -eq 2 ] || problem "status $rc, expected 2"
    [ -z "$out" ] || problem "stdout: '$out'"
    [[ -n $help && $err == *"$help"* ]] || problem "the usage is not on stderr: '$err'"
    [ "$(listing)" = "$before" ] || problem "the folder changed: $(listing | tr '\n' ' ')"
    verdict "usage error, $name: status 2, the usage on stderr"
done <<'EOF'
unknown option|"$triangulo" --desconhecida --imagem out.png
--imagem without its file|"$triangulo" --imagem
--iluminacao without its file|"$triangulo" --imagem out.png --iluminacao
two scenes|"$triangulo" "$triangulo" --imagem out.png
--medir 0|"$triangulo" --medir 0
EOF

# --- Scenes in tests/cena/cenas: the two valid ones are drawn, every other one is refused. -------
invalid=0
for scene in "$cenas"/*; do
    name=$(basename "$scene")
    new_case
    case $name in
    um_triangulo.txt | um_triangulo_sem_sobra.txt)
        drew "$scene" --imagem out.png
        verdict "valid scene $name is drawn"
        ;;
    *)
        invalid=$((invalid + 1))
        refused "visualizador: $scene: " 'line [0-9]+, column [0-9]+: .|the file ends |the counts ask for ' \
            "$scene" --imagem out.png
        verdict "invalid scene $name: ${err#"visualizador: $scene: "}"
        ;;
    esac
done
[ "$invalid" -ge 10 ] || fail "only $invalid invalid scenes found in $cenas"

# --- Cameras: the same one-triangle scene with the axes N and V below. ---------------------
while IFS='|' read -r name axisN axisV reason; do
    new_case
    printf '3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n%s\n%s\n0 0 -5\n' "$axisN" "$axisV" >"$dir/cena.txt"
    if [ -z "$reason" ]; then
        drew cena.txt --imagem out.png
    else
        refused "visualizador: cena.txt: " "$reason" cena.txt --imagem out.png
    fi
    verdict "camera with $name (N = $axisN, V = $axisV)${err:+: $err}"
done <<'EOF'
N and V at right angles, drawn|0 0 1|0 1 0|
N zero|0 0 0|0 1 0|.*camera.*N is zero
V parallel to N|0 0 1|0 0 3|.*camera.*parallel to N
V opposite to N|0 0 2|0 0 -1|.*camera.*parallel to N
EOF

# --- Lighting files: each refused with the line and column of its first problem. -----------
while IFS='|' read -r name text line column reason; do
    new_case
    printf '%b\n' "$text" >"$dir/luz.txt"
    refused "visualizador: luz.txt: line $line, column $column: " "$reason" \
        "$triangulo" --iluminacao luz.txt --imagem out.png
    verdict "lighting file, $name: $err"
done <<'EOF'
unknown word|brilho 1|1|1|unknown setting
missing number|luz 1 2|1|8|missing a number
extra number|# light\nluz 1 2 3 4|2|11|unexpected "4"
malformed number|especular 0.5 1.2.3|1|15|expected a number
decimal comma|luz 1,5 2 3|1|5|expected a number
number too large|luz 1e400 0 0|1|5|expected a number
repeated setting|luz 1 2 3\n\nluz 1 2 3|3|1|luz is set again
negative coefficient|ambiente -0.1 255 255 255|1|10|Ka of ambiente must not be negative
light colour out of range|cor_luz 255 256 0|1|13|the green of cor_luz must be between 0 and 255
object colour out of range|difusa 0.8 0.5 0.5 1.5|1|20|the blue of difusa must be between 0 and 1
EOF

# --- Files that do not open, and outputs that cannot be written. ---------------------------
new_case
refused "visualizador: " '.*nada\.txt.*: No such file or directory$' nada.txt --imagem out.png
verdict "missing scene: $err"

new_case
mkdir "$dir/pasta"
refused "visualizador: " '.*pasta.*: Is a directory$' pasta --imagem out.png
verdict "folder as scene: $err"

new_case
refused "visualizador: " '.*nada\.txt.*: No such file or directory$' \
    "$triangulo" --iluminacao nada.txt --imagem out.png
verdict "missing lighting file: $err"

new_case
refused "visualizador: " '.*nope/out\.png.*: No such file or directory$' "$triangulo" --imagem nope/out.png
verdict "output in a folder that does not exist: $err"

new_case
mkdir "$dir/saida"
refused "visualizador: " '.*saida.*: Is a directory$' "$triangulo" --imagem saida
verdict "output is an existing folder, left empty: $err"

new_case
leftovers_before=$(compgen -G '/dev/.full*')
refused "visualizador: " '.*/dev/full.*: No space left on device$' "$triangulo" --imagem /dev/full
[ "$(compgen -G '/dev/.full*')" = "$leftovers_before" ] || problem "a file was left in /dev"
verdict "output /dev/full: $err"

# A write cut short in an ordinary folder: the partial temporary file must go away too.
new_case
limit=4
refused "visualizador: " '.*out\.png.*: File too large$' "$exemplos/bunny.txt" --imagem out.png
limit=""
verdict "output cut short by a 4 KiB file size limit, nothing left: $err"

if [ "$(id -u)" -ne 0 ]; then
    new_case
    mkdir "$dir/fechada" && chmod 555 "$dir/fechada"
    refused "visualizador: " '.*fechada/out\.png.*: Permission denied$' "$triangulo" --imagem fechada/out.png
    verdict "output in a folder without write permission: $err"
    chmod 755 "$dir/fechada"

    new_case
    cp "$triangulo" "$dir/secreta.txt" && chmod 000 "$dir/secreta.txt"
    refused "visualizador: " '.*secreta\.txt.*: Permission denied$' secreta.txt --imagem out.png
    verdict "unreadable scene: $err"
else
    echo "NOTE: running as root, who may read and write anywhere: the folder without write" \
        "permission and the unreadable scene are not tested"
fi

new_case
long=$(printf 'a%.0s' {1..251}).png
drew "$cenas/um_triangulo.txt" --imagem "$long"
verdict "output with a name of 255 bytes is written"

# --- Pictures of the sample scenes. --------------------------------------------------------
new_case
drew "$exemplos/bunny.txt" --imagem out.png
check_picture "$dir/out.png" 15 60 100
verdict "bunny.txt drawn: $facts"
bunny=$dir/out.png

new_case
drew "$exemplos/cubo.txt" --imagem out.png
check_picture "$dir/out.png" 5 95 32
verdict "cubo.txt drawn: $facts"

new_case
drew "$exemplos/toro.txt" --imagem plain.png
drew "$exemplos/toro.txt" --iluminacao "$exemplos/iluminacao.txt" --imagem out.png
check_picture "$dir/out.png" 5 95 32
cmp -s "$dir/plain.png" "$dir/out.png" && problem "the lighting file changed nothing"
verdict "toro.txt drawn with exemplos/iluminacao.txt, unlike the default lighting: $facts"

# --- An existing picture: replaced by a good render, untouched by a refused one. ------------
new_case
echo "an older picture" >"$dir/out.png"
drew "$exemplos/bunny.txt" --imagem out.png
cmp -s "$bunny" "$dir/out.png" || problem "out.png is not the new picture"
verdict "an existing out.png is replaced by the new picture"

new_case
cp "$bunny" "$dir/out.png"
refused "visualizador: $cenas/indice_fora.txt: " 'line ' "$cenas/indice_fora.txt" --imagem out.png
cmp -s "$bunny" "$dir/out.png" || problem "out.png changed"
verdict "an existing out.png keeps its bytes when the scene is invalid"

# --- Timing. -------------------------------------------------------------------------------
new_case
run "$exemplos/cubo.txt" --medir 3
number='([0-9]+\.[0-9]+)'
[ "$rc" -eq 0 ] || problem "status $rc (stderr: '$err')"
[ -z "$err" ] || problem "stderr: '$err'"
if [ "$(wc -l <"$work/$n.out")" -eq 2 ] && [ "$(head -n 1 <<<"$out")" = "$MARKER" ] &&
    [[ $(tail -n 1 <<<"$out") =~ ^median\ $number\ ms,\ fastest\ $number\ ms,\ slowest\ $number\ ms$ ]]; then
    awk -v m="${BASH_REMATCH[1]}" -v f="${BASH_REMATCH[2]}" -v s="${BASH_REMATCH[3]}" \
        'BEGIN { exit !(f <= m && m <= s) }' || problem "not fastest <= median <= slowest"
else
    problem "stdout is not the marker and one timing line: '$out'"
fi
[ "$(listing)" = "$before" ] || problem "files were written: $(listing | tr '\n' ' ')"
verdict "--medir 3: $(tail -n 1 <<<"$out")"

# --- Standard output that refuses writes: a failure, not a silent success. ------------------
new_case
for args in "--help" "$exemplos/cubo.txt --medir 1"; do
    # shellcheck disable=SC2086  # the arguments are split on purpose
    env -u DISPLAY timeout 60 "$prog" $args >/dev/full 2>"$work/full.err" </dev/null
    rc=$?
    [ "$rc" -eq 1 ] || problem "$args to /dev/full: status $rc, expected 1"
    grep -q '^visualizador: cannot write' "$work/full.err" || problem "$args: stderr '$(cat "$work/full.err")'"
done
verdict "--help and --medir report a full standard output with status 1"

if [ "$failures" -eq 0 ]; then
    echo "visualizador_test: all $n cases passed"
    exit 0
fi
exit 1
