#!/usr/bin/env bash
# End-to-end test of the README and the manual in docs/, run as:
#   bash tests/e2e/readme_test.sh BUILD_FOLDER VISUALIZADOR C++_COMPILER CMAKE
#
# Runs the code blocks that README.md and docs/*.md mark to run, in the order they come, in one
# fresh work folder that holds build/visualizador (the viewer built), exemplos/ (the samples) and
# an empty docs/ (and build/python, the Python module, with python3 the interpreter it was built
# for, when the build made it):
#   <!-- testado -->          the next block is a shell script, run there with bash -eu
#   <!-- testado: NAME -->    the next block is written there as the file NAME
# A picture a block writes into docs/ must have exactly the pixels of the picture of that name in
# the repository's docs/. A C++ file among them is built against a fresh install and must draw
# what the viewer draws (tests/e2e/biblioteca_test.sh). Then every link of README.md and docs/
# must name a file of the repository, and an anchor a heading of that file. Prints one line per
# check; exits 0 only if all passed, and keeps the work folder on failure.
set -u -o pipefail

[ $# -eq 4 ] || { echo "usage: readme_test.sh BUILD_FOLDER VISUALIZADOR C++_COMPILER CMAKE" >&2; exit 2; }
build=$(realpath "$1")
visualizador=$(realpath "$2")
cxx=$3
cmake=$4
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/readme-e2e.XXXXXX") || exit 1
# shellcheck disable=SC2317  # called from the EXIT trap
finish() {
    if [ "$failures" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "readme_test: $failures check(s) failed; output kept in $work"
    fi
}
trap finish EXIT

paginas=("$root/README.md")
for pagina in "$root"/docs/*.md; do paginas+=("$pagina"); done

# blocos PAGE FOLDER: writes each marked block of PAGE into FOLDER as NNN.bloco and prints one
# line per block: its number, the page's line of the block's fence, and "sh" or the file's name.
blocos() {
    awk -v pasta="$2" '
        function fechar() { if (saida != "") close(saida); saida = "" }
        !cerca && /^<!-- testado(: [^ ]+)? -->$/ {
            marca = $0; sub(/ -->$/, "", marca); sub(/^<!-- testado:? ?/, "", marca)
            if (marca == "") marca = "sh"
            pendente = 1; next
        }
        /^(```|~~~)/ {
            if (!cerca) {
                cerca = substr($0, 1, 3)
                if (pendente) {
                    n++; saida = sprintf("%s/%03d.bloco", pasta, n); printf "" > saida
                    printf "%03d %d %s\n", n, NR, marca
                }
                pendente = 0; next
            }
            if (substr($0, 1, 3) == cerca && $0 ~ /^(```|~~~)[ \t]*$/) { cerca = ""; fechar(); next }
        }
        cerca && saida != "" { print > saida; next }
        NF { pendente = 0 }
    ' "$1"
}

mkdir -p "$work/build" "$work/docs" "$work/home" "$work/blocos" || fatal "cannot make $work"
ln -s "$visualizador" "$work/build/visualizador"
ln -s "$root/exemplos" "$work/exemplos"
# The Python module, when the build made it: build/python imports it (the blocks run with
# PYTHONPATH=build/python), beside the child program it reads files with, and python3 is the
# interpreter it was built for (named by GOURAUD_PYTHON).
if [ -d "$build/python/gouraud" ]; then
    ln -s "$build/python" "$work/build/python"
    [ ! -x "$build/gouraud-importador" ] ||
        ln -s "$build/gouraud-importador" "$work/build/gouraud-importador"
    export PYTHONPATH=$work/build/python PYTHONDONTWRITEBYTECODE=1
    if [ -n "${GOURAUD_PYTHON:-}" ]; then
        mkdir -p "$work/bin" && ln -s "$GOURAUD_PYTHON" "$work/bin/python3"
        export PATH=$work/bin:$PATH
    fi
fi

programas=()
executados=0
for pagina in "${paginas[@]}"; do
    nome=${pagina#"$root"/}
    pasta=$work/blocos/${nome//\//_}
    mkdir -p "$pasta"
    while read -r numero linha tipo; do
        bloco=$pasta/$numero.bloco
        executados=$((executados + 1))
        if [ "$tipo" != sh ]; then
            case $tipo in
                */* | .* | *..*) fail "$nome:$linha: the file name '$tipo' must be a plain name"; continue ;;
            esac
            cp "$bloco" "$work/$tipo"
            case $tipo in *.cpp) programas+=("$work/$tipo") ;; esac
            pass "$nome:$linha: the block is written as $tipo"
            continue
        fi
        if (cd "$work" && HOME=$work/home timeout 60 bash -eu "$bloco") >"$bloco.out" 2>"$bloco.err"
        then
            pass "$nome:$linha: the block runs"
        else
            fail "$nome:$linha: the block fails: $(head -n 2 "$bloco.err" | tr '\n' ' ')"
        fi
    done < <(blocos "$pagina" "$pasta")
done
[ "$executados" -gt 0 ] || fail "no block is marked to run"

# pixels PNG: the picture's size, then its 8-bit red, green and blue, as one stream.
pixels() { identify -format '%wx%h\n' "$1" && convert "$1" -depth 8 rgb:-; }
for imagem in "$work"/docs/*; do
    [ -e "$imagem" ] || continue
    nome=docs/$(basename "$imagem")
    if [ ! -f "$root/$nome" ]; then
        fail "a block writes $nome, which the repository does not hold"
    elif cmp -s <(pixels "$imagem") <(pixels "$root/$nome"); then
        pass "$nome is the picture its block makes"
    else
        fail "$nome is not the picture its block makes (kept as $imagem)"
    fi
done

for programa in "${programas[@]}"; do
    if bash "$root/tests/e2e/biblioteca_test.sh" "$build" "$cxx" "$cmake" "$programa" \
        >"$programa.log" 2>&1; then
        pass "$(basename "$programa") builds against an install and draws the viewer's PNG"
    else
        fail "$(basename "$programa"): $(grep FAIL "$programa.log" | tr '\n' ' ')"
    fi
done

# ancoras PAGE: the anchors of PAGE's headings, as GitHub makes them: lower case, the text of
# code and links kept, every character but letters, digits, spaces, '-' and '_' dropped, spaces
# made '-', and -1, -2... after a repeated one.
ancoras() {
    awk '
        /^(```|~~~)/ { cerca = !cerca; next }
        cerca || !/^#+ / { next }
        {
            t = $0; sub(/^#+ +/, "", t); sub(/ +#* *$/, "", t)
            while (match(t, /\[[^]]*\]\([^)]*\)/)) {
                r = substr(t, RSTART + 1, RLENGTH - 1); sub(/\]\(.*$/, "", r)
                t = substr(t, 1, RSTART - 1) r substr(t, RSTART + RLENGTH)
            }
            t = tolower(t); gsub(/[^a-z0-9 _-]/, "", t); gsub(/ /, "-", t)
            a = t; if (t in visto) a = t "-" visto[t]; visto[t]++
            print a
        }' "$1"
}

# ligacoes PAGE: one line per link of PAGE outside code, "LINE TARGET".
ligacoes() {
    awk '
        /^(```|~~~)/ { cerca = !cerca; next }
        cerca { next }
        {
            t = $0; gsub(/`[^`]*`/, "", t)
            while (match(t, /\]\([^) ]*\)/)) {
                print NR, substr(t, RSTART + 2, RLENGTH - 3)
                t = substr(t, RSTART + RLENGTH)
            }
        }' "$1"
}

ruins=0
total=0
for pagina in "${paginas[@]}"; do
    nome=${pagina#"$root"/}
    dir=$(dirname "$pagina")
    while read -r linha alvo; do
        total=$((total + 1))
        case $alvo in http://* | https://* | mailto:*) continue ;; esac
        caminho=${alvo%%#*}
        ancora=
        [ "$caminho" = "$alvo" ] || ancora=${alvo#*#}
        arquivo=$pagina
        [ -z "$caminho" ] || arquivo=$dir/$caminho
        if [ ! -e "$arquivo" ]; then
            fail "$nome:$linha: the link $alvo names no file"
            ruins=$((ruins + 1))
        elif [ -n "$ancora" ] && ! ancoras "$arquivo" | grep -qxF -- "$ancora"; then
            fail "$nome:$linha: the link $alvo names no heading of $(basename "$arquivo")"
            ruins=$((ruins + 1))
        fi
    done < <(ligacoes "$pagina")
done
[ "$ruins" -eq 0 ] && pass "every one of the $total links of README.md and docs/ resolves"

[ "$failures" -eq 0 ]
