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
#   bash scripts/bench.sh modos                          # flat, Phong, edges and needles against Gouraud
#   bash scripts/bench.sh modos --quadros 20 --rodadas 5
#   bash scripts/bench.sh cores                          # a colour per vertex and a texture against none
#   bash scripts/bench.sh cores --quadros 20 --rodadas 5
#   bash scripts/bench.sh importacao                     # whole runs on the large mesh as PLY, STL, OBJ
#   bash scripts/bench.sh importacao --repeticoes 15 --f3d
#   bash scripts/bench.sh nuvem                          # a 5-million-point cloud against llvmpipe's GL points
#   bash scripts/bench.sh nuvem --quadros 50 --rodadas 5
#   bash scripts/bench.sh publicar                       # --aa, --bits, --fundo, --edl and discs
#   bash scripts/bench.sh publicar --antes OUTRO/visualizador --quadros 10 --rodadas 7
# Options without a first word go to the loader's benchmark, as they always did:
#   bash scripts/bench.sh --pontos 100000 --triangulos 200000 --repeticoes 3
# The renderer's benchmark needs Mesa's OSMesa (libosmesa6-dev, installed here when missing) and
# the bunny subdivided four times, which is made in build/ when missing (python3, about 3 s);
# the cloud's, a cloud of 5 million coloured points spread over that mesh (build/nuvem-5m.ply,
# made by bench/exportar_primitivas.py when missing, under a minute).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

qual=ambos
case "${1:-}" in
  carga|renderizador|modos|cores|importacao|nuvem|publicar) qual=$1; shift ;;
  "") ;;
  *) qual=carga ;;
esac

extras=()
if [ "$qual" = importacao ]; then
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

if [ "$qual" = carga ]; then
  exec "$root/build/bench/gouraud_bench" "$@"
fi
if [ "$qual" = importacao ]; then
  exec bash "$root/bench/importacao.sh" "$@"
fi
if [ "$qual" = ambos ]; then
  "$root/build/bench/gouraud_bench"
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
if [ "$qual" = modos ]; then
  exec bash "$root/scripts/bench_modos.sh" "$root/build/visualizador" "$malha" "$@"
fi
if [ "$qual" = cores ]; then
  exec bash "$root/scripts/bench_cores.sh" "$root/build/visualizador" "$malha" "$@"
fi
if [ "$qual" = nuvem ] || [ "$qual" = publicar ]; then
  nuvem="$root/build/nuvem-5m.ply"
  if [ ! -s "$nuvem" ]; then
    echo "bench: making $nuvem (5,000,000 coloured points over $(basename "$malha"))"
    python3 "$root/bench/exportar_primitivas.py" nuvem "$malha" "$nuvem.tmp" --pontos 5000000
    mv "$nuvem.tmp" "$nuvem"
  fi
  if [ "$qual" = publicar ]; then
    exec bash "$root/scripts/bench_publicar.sh" "$root/build/visualizador" "$malha" "$nuvem" "$@"
  fi
  exec "$root/build/bench/visualizador_bench" --nuvem "$nuvem" "$@"
fi
exec "$root/build/bench/visualizador_bench" --malha "$malha" "$@"
