#!/usr/bin/env bash
# Reproduces the benchmark tables in one command: installs the dependencies, builds Release in
# build/ and runs the benchmarks, the loader's (build/bench/gouraud_bench) and the renderer's
# (build/bench/visualizador_bench); the viewer's whole runs on mesh files (bench/importacao.sh)
# only when asked for. A first argument picks one; the rest go to it:
#   bash scripts/bench.sh                                # both, with their defaults
#   bash scripts/bench.sh carga                          # the loader: 1,000,000 points, 2,000,000 triangles
#   bash scripts/bench.sh carga --pontos 100000 --triangulos 200000 --repeticoes 3
#   bash scripts/bench.sh carga --benchmark_filter=carga # Google Benchmark flags work too
#   bash scripts/bench.sh renderizador                   # whole frames against the reference, Allegro 4, Mesa
#   bash scripts/bench.sh renderizador --quadros 50 --rodadas 5 --imagens /tmp/quadros
#   bash scripts/bench.sh escala                         # 0.9, 3.8 and 15 million triangles: time, memory, bytes
#   bash scripts/bench.sh escala dragao.ply dragao-2x.ply --repeticoes 3   # other files, the first the yardstick
#   bash scripts/bench.sh modos                          # flat, Phong, edges and needles against Gouraud
#   bash scripts/bench.sh modos --quadros 20 --rodadas 5
#   bash scripts/bench.sh cores                          # a colour per vertex and a texture against none
#   bash scripts/bench.sh cores --quadros 20 --rodadas 5
#   bash scripts/bench.sh importacao                     # whole runs on the large mesh as PLY, STL, OBJ
#   bash scripts/bench.sh importacao --repeticoes 15 --f3d
#   bash scripts/bench.sh isolamento                     # the import library's child against reading in process
#   bash scripts/bench.sh isolamento --repeticoes 21
#   bash scripts/bench.sh nuvem                          # a 5-million-point cloud against llvmpipe's GL points
#   bash scripts/bench.sh nuvem --quadros 50 --rodadas 5
#   bash scripts/bench.sh publicar                       # --aa, --bits, --fundo, --edl and discs
#   bash scripts/bench.sh publicar --antes OUTRO/visualizador --quadros 10 --rodadas 7
#   bash scripts/bench.sh python                         # the Python module, Open3D and VTK
#   bash scripts/bench.sh python --imagens 50 --quadros 7 --sem-pares
#   bash scripts/bench.sh lote                           # gouraud.lote on 200 small models, local and on a LocalCluster
#   bash scripts/bench.sh lote --modelos 200 --rodadas 5
# Options without a first word go to the loader's benchmark, as they always did:
#   bash scripts/bench.sh --pontos 100000 --triangulos 200000 --repeticoes 3
# --markdown FILE, anywhere on the line, also writes each benchmark's tables as Markdown into FILE,
# between the lines <!-- bench:NAME:inicio --> and <!-- bench:NAME:fim --> (NAME the benchmark's
# word; carga and renderizador for the two of the default run), headed by the command and the
# machine's load: when FILE has those lines the text between them is replaced, otherwise the
# block is added at its end. The word todos runs every benchmark in turn with its defaults:
#   bash scripts/bench.sh --markdown docs/desempenho.md modos --quadros 30 --rodadas 5
#   bash scripts/bench.sh --markdown docs/desempenho.md todos
# The renderer's benchmark needs Mesa's OSMesa (libosmesa6-dev, installed here when missing) and
# the bunny subdivided four times, which is made in build/ when missing (python3, about 3 s);
# the cloud's, a cloud of 5 million coloured points spread over that mesh (build/nuvem-5m.ply,
# made by bench/exportar_primitivas.py when missing, under a minute).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# --markdown FILE (or --markdown=FILE) is this script's own; everything else goes on.
markdown=
argumentos=()
while [ $# -gt 0 ]; do
  case $1 in
    --markdown) markdown=${2:?bench: --markdown needs a file}; shift 2 ;;
    --markdown=*) markdown=${1#--markdown=}; shift ;;
    *) argumentos+=("$1"); shift ;;
  esac
done
set -- "${argumentos[@]+"${argumentos[@]}"}"

if [ "${1:-}" = todos ]; then
  [ $# -eq 1 ] || { echo "bench: todos takes no options (each benchmark runs with its defaults)" >&2; exit 2; }
  for qual in carga renderizador escala nuvem modos cores importacao; do
    bash "$0" ${markdown:+--markdown "$markdown"} "$qual"
  done
  exit 0
fi

qual=ambos
case "${1:-}" in
  carga|renderizador|escala|modos|cores|importacao|isolamento|nuvem|publicar|python|lote) qual=$1; shift ;;
  "") ;;
  *) qual=carga ;;
esac
# The command as the Markdown's heading names it.
comando="scripts/bench.sh"
[ "$qual" = ambos ] || comando+=" $qual${*:+ $*}"

extras=()
if [ "$qual" = isolamento ]; then
  extras+=(assimp-utils)
elif [ "$qual" = python ]; then
  # The renderers a Python user would pick instead, and a display for them to try.
  extras+=(python3-open3d python3-vtk9 xvfb xauth)
elif [ "$qual" = importacao ]; then
  [ -x /usr/bin/time ] || extras+=(time)
  for a in "$@"; do [ "$a" = --f3d ] && extras+=(f3d xvfb); done
elif [ "$qual" = renderizador ] || [ "$qual" = ambos ] || [ "$qual" = nuvem ]; then
  extras+=(libosmesa6-dev)
  [ -x /usr/bin/time ] || extras+=(time)
fi
if [ "$qual" != carga ]; then
  command -v python3 >/dev/null || extras+=(python3)
fi
bash "$root/scripts/install-deps.sh" "${extras[@]}"
bash "$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release -DGOURAUD_BENCH=ON
# The benchmarks in build/bench/ find the import library's child program where the build put it.
export GOURAUD_IMPORTADOR=$root/build/gouraud-importador

# The Markdown a benchmark writes goes into a folder of its own, then into $markdown.
md=
if [ -n "$markdown" ]; then
  md=$(mktemp -d)
  trap 'rm -rf "$md"' EXIT
fi
# md_opcao NAME: sets `mdo` to the option that has a benchmark write its Markdown for block NAME,
# when Markdown was asked for, and notes the load before it runs.
mdo=()
carga_antes=
md_opcao() {
  mdo=()
  [ -n "$md" ] || return 0
  mdo=(--markdown "$md/$1.md")
  carga_antes=$(cut -d' ' -f1-3 /proc/loadavg)
}

# bloco NAME: puts the Markdown of block NAME into $markdown, headed by the command that made it,
# the day and the machine.
bloco() {
  local nome=$1 texto=$md/$1.md saida
  [ -s "$texto" ] || { echo "bench: the $nome benchmark wrote no Markdown" >&2; return 1; }
  {
    echo "<!-- bench:$nome:inicio -->"
    local processador
    processador=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
    echo "Made by \`$comando\` on $(date -u +%Y-%m-%d): ${processador:-a processor}," \
      "$(nproc) cores, g++ $(g++ -dumpfullversion 2>/dev/null); load average (1, 5, 15 min)" \
      "$carga_antes before, $(cut -d' ' -f1-3 /proc/loadavg) after."
    echo
    cat "$texto"
    echo "<!-- bench:$nome:fim -->"
  } >"$md/$nome.bloco"
  saida=$md/saida.md
  if [ -f "$markdown" ] && grep -qxF "<!-- bench:$nome:inicio -->" "$markdown" &&
     grep -qxF "<!-- bench:$nome:fim -->" "$markdown"; then
    awk -v inicio="<!-- bench:$nome:inicio -->" -v fim="<!-- bench:$nome:fim -->" -v bloco="$md/$nome.bloco" '
      $0 == inicio { while ((getline linha < bloco) > 0) print linha; dentro = 1; next }
      dentro && $0 == fim { dentro = 0; next }
      !dentro' "$markdown" >"$saida"
  else
    { [ ! -s "$markdown" ] || { cat "$markdown"; echo; }; cat "$md/$nome.bloco"; } >"$saida"
  fi
  cat "$saida" >"$markdown"
  echo "bench: the $nome tables are in $markdown"
}

if [ "$qual" = carga ]; then
  md_opcao carga
  "$root/build/bench/gouraud_bench" "$@" "${mdo[@]}"
  [ -z "$md" ] || bloco carga
  exit 0
fi
if [ "$qual" = importacao ]; then
  md_opcao importacao
  bash "$root/bench/importacao.sh" "$@" "${mdo[@]}"
  [ -z "$md" ] || bloco importacao
  exit 0
fi
if [ "$qual" = isolamento ]; then
  exec bash "$root/bench/isolamento.sh" "$@"
fi
if [ "$qual" = lote ]; then
  [ -d "$root/build/python/gouraud" ] ||
    { echo "bench: no Python module in $root/build/python (pybind11-dev, python3-dev)" >&2; exit 1; }
  md_opcao lote
  PYTHONPATH=$root/build/python${PYTHONPATH:+:$PYTHONPATH} /usr/bin/python3 "$root/bench/lote.py" \
    --pasta "$root/build" "$@" "${mdo[@]}"
  [ -z "$md" ] || bloco lote
  exit 0
fi
if [ "$qual" = ambos ]; then
  md_opcao carga
  "$root/build/bench/gouraud_bench" "${mdo[@]}"
  [ -z "$md" ] || bloco carga
  echo
fi

malha="$root/build/coelho-940k.txt"
if [ ! -s "$malha" ]; then
  subdividir="$root/../shared/tools/subdividir.py"
  [ -f "$subdividir" ] || { echo "bench: $subdividir is missing: cannot make $malha" >&2; exit 1; }
  echo "bench: making $malha (the bunny subdivided four times, 940,544 triangles)"
  python3 "$subdividir" "$root/exemplos/bunny.txt" 4 >"$malha.tmp"
  mv "$malha.tmp" "$malha"
fi
case $qual in
  modos)
    md_opcao modos
    bash "$root/scripts/bench_modos.sh" "$root/build/visualizador" "$malha" "$@" "${mdo[@]}" ;;
  cores)
    md_opcao cores
    bash "$root/scripts/bench_cores.sh" "$root/build/visualizador" "$malha" "$@" "${mdo[@]}" ;;
  python)
    # The same mesh as a PLY file, which Open3D and VTK read too.
    ply="$root/build/coelho-940k.ply"
    if [ ! -s "$ply" ]; then
      echo "bench: making $ply"
      python3 "$root/bench/exportar_malha.py" "$malha" "$root/build/coelho-940k" ply
    fi
    md_opcao python
    bash "$root/scripts/bench_python.sh" "$root/build" "$ply" "$@" "${mdo[@]}" ;;
  escala)
    # The files given, or the bunny subdivided four, five and six times (940,544, 3,762,176 and
    # 15,048,704 triangles) as binary PLY files, made in build/ when missing (about 30 s).
    arquivos=()
    opcoes=()
    # Arguments that name files are the files; the others go to the benchmark.
    for a in "$@"; do
      if [ -f "$a" ]; then arquivos+=("$a"); else opcoes+=("$a"); fi
    done
    if [ ${#arquivos[@]} -eq 0 ]; then
      for n in 4:940k 5:3m 6:15m; do
        arquivo="$root/build/coelho-${n#*:}.ply"
        if [ ! -s "$arquivo" ]; then
          echo "bench: making $arquivo (the bunny subdivided ${n%%:*} times)"
          /usr/bin/python3 "$root/bench/subdividir_ply.py" "$root/exemplos/bunny.txt" "${n%%:*}" "$arquivo"
        fi
        arquivos+=("$arquivo")
      done
    fi
    escalas=()
    for a in "${arquivos[@]}"; do escalas+=(--escala "$a"); done
    md_opcao escala
    "$root/build/bench/visualizador_bench" --somente-escala "${escalas[@]}" "${opcoes[@]}" "${mdo[@]}" ;;
  nuvem|publicar)
    nuvem="$root/build/nuvem-5m.ply"
    if [ ! -s "$nuvem" ]; then
      echo "bench: making $nuvem (5,000,000 coloured points over $(basename "$malha"))"
      python3 "$root/bench/exportar_primitivas.py" nuvem "$malha" "$nuvem.tmp" --pontos 5000000
      mv "$nuvem.tmp" "$nuvem"
    fi
    md_opcao "$qual"
    if [ "$qual" = publicar ]; then
      bash "$root/scripts/bench_publicar.sh" "$root/build/visualizador" "$malha" "$nuvem" "$@" \
        "${mdo[@]}"
    else
      "$root/build/bench/visualizador_bench" --nuvem "$nuvem" "$@" "${mdo[@]}"
    fi ;;
  *)
    qual=renderizador
    md_opcao renderizador
    "$root/build/bench/visualizador_bench" --malha "$malha" "$@" "${mdo[@]}" ;;
esac
[ -z "$md" ] || bloco "$qual"
