#!/usr/bin/env bash
# End-to-end test of the installed library, run as:
#   bash tests/e2e/biblioteca_test.sh BUILD_FOLDER C++_COMPILER CMAKE [PROGRAM.cpp]
#
# Installs the build into a fresh prefix, builds a copy of exemplos/desenhar.cpp (or of
# PROGRAM.cpp, such as the README's example, which takes the same MODEL OUT.png arguments)
# outside the source tree with nothing but what pkg-config says of the installed gouraud.pc, and
# checks that it writes the very PNG bytes the installed viewer writes, for a scene file and mesh
# files, one of them read by the import library in the installed child program, which both find
# where the install put it (and which they need: moved away, it is missing). Both programs run as
# installed, without LD_LIBRARY_PATH. Prints one line per case; exits 0 only if every case
# passed, and keeps the work folder on failure.
set -u -o pipefail

[ $# -eq 3 ] || [ $# -eq 4 ] ||
    { echo "usage: biblioteca_test.sh BUILD_FOLDER C++_COMPILER CMAKE [PROGRAM.cpp]" >&2; exit 2; }
build=$(realpath "$1")
cxx=$2
cmake=$3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
programa=${4:-$root/exemplos/desenhar.cpp}

# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/biblioteca-e2e.XXXXXX") || exit 1
# shellcheck disable=SC2317  # called from the EXIT trap
finish() {
    if [ "$failures" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "biblioteca_test: $failures case(s) failed; output kept in $work"
    fi
}
trap finish EXIT

prefix=$work/P
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fatal "cmake --install: $(tail -n 3 "$work/install.log")"
pass "cmake --install into a fresh prefix"

cp "$programa" "$work/desenhar.cpp" || fatal "cannot copy $programa"
flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs gouraud) ||
    fatal "pkg-config does not find the installed gouraud.pc"
case $flags in
    *"$root"* | *"$build"*) fatal "the installed gouraud.pc names the source or build tree: $flags" ;;
esac
# shellcheck disable=SC2086  # the flags are words
(cd "$work" && "$cxx" -std=c++20 desenhar.cpp $flags -o desenhar) >"$work/compilar.log" 2>&1 ||
    fatal "the example does not build against the installed files: $(tail -n 5 "$work/compilar.log")"
pass "the example builds against the installed files"

# run NAME PROGRAM ARGS...: runs an installed program in $work without LD_LIBRARY_PATH, its
# standard error in $work/NAME.err; sets rc.
rc=0
run() {
    local nome=$1
    shift
    (cd "$work" && exec env -u LD_LIBRARY_PATH -u GOURAUD_IMPORTADOR "$@") >/dev/null 2>"$work/$nome.err"
    rc=$?
}

importador=$prefix/libexec/gouraud/gouraud-importador
[ -x "$importador" ] || fatal "cmake --install put no child program at $importador"
n=0
for modelo in bunny.txt bunny.ply cubo.gltf; do
    n=$((n + 1))
    run exemplo "$work/desenhar" "$root/exemplos/$modelo" "$work/api-$modelo.png"
    [ "$rc" -eq 0 ] || problem "the example ended with $rc: $(cat "$work/exemplo.err")"
    run visualizador "$prefix/bin/visualizador" "$root/exemplos/$modelo" \
        --imagem "$work/visualizador-$modelo.png"
    [ "$rc" -eq 0 ] || problem "the installed viewer ended with $rc: $(cat "$work/visualizador.err")"
    cmp -s "$work/api-$modelo.png" "$work/visualizador-$modelo.png" ||
        problem "the PNG files differ"
    verdict "$modelo: the example's PNG is byte for byte the installed viewer's"
done

# Without its child program, neither reads a file the import library reads.
n=$((n + 1))
mv "$importador" "$importador.fora"
run exemplo "$work/desenhar" "$root/exemplos/cubo.gltf" "$work/sem.png"
[ "$rc" -eq 1 ] && grep -q "the import library's program is missing" "$work/exemplo.err" ||
    problem "the example without the child: status $rc, $(cat "$work/exemplo.err")"
run visualizador "$prefix/bin/visualizador" "$root/exemplos/cubo.gltf" --imagem "$work/sem.png"
[ "$rc" -eq 1 ] && grep -q "the import library's program is missing" "$work/visualizador.err" ||
    problem "the viewer without the child: status $rc, $(cat "$work/visualizador.err")"
mv "$importador.fora" "$importador"
verdict "without the installed child program, both refuse the glTF file: $(cat "$work/exemplo.err")"

[ "$failures" -eq 0 ]
