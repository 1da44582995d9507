#!/usr/bin/env bash
# End-to-end test of --buffers and --olhar, run as:
#   bash tests/e2e/buffers_test.sh PATH/TO/visualizador
#
# Headless, with --imagem X.png: --buffers todos writes X.profundidade.npy, X.normais.npy,
# X.triangulo.npy and X.parte.npy beside the picture, each a NumPy 1.0 file whose header names
# the type ('<f4' or '<u4') and the shape (altura, largura[, 3]) and is followed by exactly the
# values that shape holds; asking for one writes that one alone and leaves the picture as it was
# without buffers; --olhar draws; bad lists and cameras are usage errors. One line per check;
# exits 0 only if every check passed.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

prog=$(realpath -- "${1:?usage: buffers_test.sh PATH/TO/visualizador}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cena=$root/exemplos/bunny.txt

"$prog" "$cena" --tamanho 64x48 --buffers todos --imagem "$work/x.png" >/dev/null 2>"$work/err" &&
    pass "--buffers todos draws" || fail "--buffers todos: $(cat "$work/err")"
# The header of FILE, its length from bytes 8 and 9, and the file's size.
cabecalho() { python3 -c '
import sys
d = open(sys.argv[1], "rb").read()
n = d[8] | (d[9] << 8)
print(d[:6] == b"\x93NUMPY", d[6], d[7], (10 + n) % 64, d[10:10 + n].decode().strip(), len(d) - 10 - n)
' "$1"; }
for par in "profundidade|<f4|(48, 64)|12288" "normais|<f4|(48, 64, 3)|36864" \
    "triangulo|<u4|(48, 64)|12288" "parte|<u4|(48, 64)|12288"; do
    IFS='|' read -r nome tipo forma bytes <<<"$par"
    esperado="True 1 0 0 {'descr': '$tipo', 'fortran_order': False, 'shape': $forma, } $bytes"
    obtido=$(cabecalho "$work/x.$nome.npy" 2>&1)
    [ "$obtido" = "$esperado" ] && pass "x.$nome.npy: $obtido" ||
        fail "x.$nome.npy: '$obtido', not '$esperado'"
done
ls "$work"/x.*.npy.* >/dev/null 2>&1 && fail "a temporary file was left" || pass "no temporary file left"

"$prog" "$cena" --tamanho 64x48 --imagem "$work/sem.png" >/dev/null 2>&1
"$prog" "$cena" --tamanho 64x48 --buffers triangulo --imagem "$work/um.png" >/dev/null 2>&1
cmp -s "$work/sem.png" "$work/um.png" && pass "the picture is the same with buffers" ||
    fail "the picture differs with --buffers"
[ -f "$work/um.triangulo.npy" ] && ! ls "$work"/um.profundidade.npy >/dev/null 2>&1 &&
    pass "--buffers triangulo writes that buffer alone" || fail "--buffers triangulo wrote $(ls "$work")"

"$prog" "$cena" --olhar 0,0,-10,0,0,0,0,1,0,30 --buffers profundidade --imagem "$work/o.png" \
    >/dev/null 2>"$work/err" && [ -f "$work/o.profundidade.npy" ] &&
    pass "--olhar draws" || fail "--olhar: $(cat "$work/err")"

for ruim in "--buffers cor --imagem $work/r.png" "--buffers todos" \
    "--olhar 1,2,3 --imagem $work/r.png" "--olhar 0,0,0,0,0,0 --imagem $work/r.png" \
    "--olhar 0,0,5,0,0,0,0,1,0,180 --imagem $work/r.png" \
    "--olhar 0,0,5,0,0,0 --vista iso --imagem $work/r.png"; do
    # shellcheck disable=SC2086  # the words are the options
    "$prog" "$cena" $ruim >/dev/null 2>"$work/err"
    estado=$?
    [ "$estado" = 2 ] && [ ! -e "$work/r.png" ] && [ "$(wc -l <"$work/err")" -ge 1 ] &&
        pass "refused: $ruim ($(head -1 "$work/err"))" || fail "$ruim: status $estado"
done
exit $((failures > 0))
