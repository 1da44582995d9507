#!/usr/bin/env bash
# Writes the lists of docs/visualizador.md that the tables of options and keys make (between
# <!-- opcoes:inicio --> and <!-- opcoes:fim -->, and the same for teclas) from a build
# (default: build/), after an option or a key was added or changed; the e2e_manual test fails
# until they agree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
doc="$build/src/gouraud_documentacao"
[ -x "$doc" ] || { echo "docs: build first: no $doc" >&2; exit 1; }
pagina="$root/docs/visualizador.md"
for lista in opcoes teclas; do
    novo=$(mktemp)
    "$doc" "$lista.md" >"$novo.lista"
    awk -v inicio="<!-- $lista:inicio -->" -v fim="<!-- $lista:fim -->" -v lista="$novo.lista" '
        $0 == inicio { print; while ((getline linha < lista) > 0) print linha; dentro = 1; next }
        $0 == fim { dentro = 0 }
        !dentro { print }' "$pagina" >"$novo"
    mv "$novo" "$pagina"
    rm -f "$novo.lista"
done
echo "docs: $pagina updated"
