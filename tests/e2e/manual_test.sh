#!/usr/bin/env bash
# End-to-end test of the texts made from the tables of options and keys, run as:
#   manual_test.sh BUILD_FOLDER SOURCE_FOLDER CMAKE
# The manual pages the build made render with `man -l` and list every option of the table, and
# `cmake --install` puts them under share/man/man1; the docs' lists of options and keys are the
# ones the tables make.
set -u
[ $# -eq 3 ] || { echo "usage: manual_test.sh BUILD_FOLDER SOURCE_FOLDER CMAKE" >&2; exit 2; }
build=$1
source=$2
cmake=$3
. "$(dirname "$0")/relato.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
doc="$build/src/gouraud_documentacao"
[ -x "$doc" ] || doc=$(find "$build" -name gouraud_documentacao -type f -perm -u+x | head -n 1)
[ -x "$doc" ] || fatal "no gouraud_documentacao in $build"

# The options as the table lists them, from the docs' list it makes: "- `--cima EIXO`: ...".
"$doc" opcoes.md >"$work/opcoes.md" || fatal "documentacao opcoes.md failed"
mapfile -t opcoes < <(grep -o '^- `--[a-z-]*' "$work/opcoes.md" | sed 's/^- `//')
[ ${#opcoes[@]} -ge 10 ] || fatal "only ${#opcoes[@]} options in the table's Markdown"

for pagina in visualizador gouraud; do
    arquivo="$build/man/$pagina.1"
    if MANWIDTH=100 man -l "$arquivo" >"$work/$pagina.txt" 2>"$work/$pagina.err" &&
        [ ! -s "$work/$pagina.err" ] && grep -q '^NAME' "$work/$pagina.txt"; then
        pass "man -l $pagina.1 renders ($(wc -l <"$work/$pagina.txt") lines)"
    else
        fail "man -l $pagina.1: $(head -n 3 "$work/$pagina.err")"
    fi
done
faltam=""
for opcao in "${opcoes[@]}"; do
    grep -q -- "^ *$opcao\\b" "$work/visualizador.txt" || faltam+=" $opcao"
done
[ -z "$faltam" ] && pass "visualizador(1) describes all ${#opcoes[@]} options" ||
    fail "visualizador(1) lacks:$faltam"
grep -q -- '--help' "$work/gouraud.txt" && pass "gouraud(1) describes --help" ||
    fail "gouraud(1) does not describe --help"

"$cmake" --install "$build" --prefix "$work/prefixo" >/dev/null 2>&1 || fail "cmake --install failed"
for pagina in visualizador gouraud; do
    cmp -s "$build/man/$pagina.1" "$work/prefixo/share/man/man1/$pagina.1" &&
        pass "cmake --install puts $pagina.1 in share/man/man1" ||
        fail "$pagina.1 is not installed in share/man/man1"
done

# The docs' lists between their markers are exactly what the tables make.
for lista in opcoes teclas; do
    "$doc" "$lista.md" >"$work/$lista.esperado" || fail "documentacao $lista.md failed"
    sed -n "/<!-- $lista:inicio -->/,/<!-- $lista:fim -->/p" "$source/docs/visualizador.md" |
        sed '1d;$d' | sed '/./,$!d' | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' >"$work/$lista.docs"
    if [ ! -s "$work/$lista.docs" ]; then
        fail "docs/visualizador.md has no list between <!-- $lista:inicio --> and <!-- $lista:fim -->"
    elif diff -u "$work/$lista.esperado" "$work/$lista.docs" >"$work/$lista.diff"; then
        pass "docs/visualizador.md lists the $lista as the table does"
    else
        fail "docs/visualizador.md's $lista differ from the table (run '$doc $lista.md'): $(head -n 12 "$work/$lista.diff")"
    fi
done
exit $((failures > 0))
