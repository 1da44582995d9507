#!/usr/bin/env bash
# What reading through the confined child process costs: the viewer's whole run, from start to
# the PNG written, on files the import library reads, through the child (the default) and in
# process (--sem-isolamento), interleaved (child, in process, in process, child, ...) so that a
# change of the machine's load falls on both alike. The files: the bunny subdivided four times
# (940,544 triangles) as a glb and as a Collada file, made in the build folder when missing (the
# glb and the .dae by the import library's own exporter, Debian's assimp-utils), and two small
# samples. Run through scripts/bench.sh, or alone on a build folder:
#   bash scripts/bench.sh isolamento                    # 15 runs of each, after one warm-up
#   bash bench/isolamento.sh --pasta build-rel --repeticoes 21
# Prints the machine's load before and after, then one line per file: the median, fastest and
# slowest time of each way, and the median's ratio and difference.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repeticoes=15
pasta=$root/build
while [ $# -gt 0 ]; do
  case $1 in
    --repeticoes) repeticoes=$2; shift 2 ;;
    --pasta) pasta=$(realpath "$2"); shift 2 ;;
    *) echo "isolamento: unknown option $1" >&2; exit 2 ;;
  esac
done
prog=$pasta/visualizador
[ -x "$prog" ] || { echo "isolamento: $prog is missing" >&2; exit 1; }
command -v assimp >/dev/null || { echo "isolamento: the assimp command (assimp-utils) is missing" >&2; exit 1; }

base=$pasta/coelho-940k
if [ ! -s "$base.txt" ]; then
  subdividir=$root/../shared/tools/subdividir.py
  [ -f "$subdividir" ] || { echo "isolamento: $subdividir is missing: cannot make $base.txt" >&2; exit 1; }
  echo "isolamento: making $base.txt (the bunny subdivided four times)"
  python3 "$subdividir" "$root/exemplos/bunny.txt" 4 >"$base.txt.tmp"
  mv "$base.txt.tmp" "$base.txt"
fi
if [ ! -s "$base.gltf" ] || [ "$base.gltf" -ot "$base.txt" ]; then
  echo "isolamento: making $base.gltf"
  python3 "$root/bench/exportar_malha.py" "$base.txt" "$base" gltf
fi
for formato in glb2:glb collada:dae; do
  if [ ! -s "$base.${formato#*:}" ] || [ "$base.${formato#*:}" -ot "$base.gltf" ]; then
    echo "isolamento: making $base.${formato#*:}"
    assimp export "$base.gltf" "$base.${formato#*:}" -f"${formato%:*}" >/dev/null
  fi
done

saida=$(mktemp -d)
trap 'rm -rf "$saida"' EXIT

# The wall-clock milliseconds of one run of the viewer with ARGS.
vez() {
  local inicio
  inicio=$(date +%s%N)
  "$prog" "$@" --imagem "$saida/quadro.png" >/dev/null 2>&1 || { echo "isolamento: $prog $* failed" >&2; exit 1; }
  echo $(( ($(date +%s%N) - inicio) / 1000 ))
}

# Times FILE `repeticoes` times each way, interleaved, after a warm-up of each.
medir() {
  local arquivo=$1 i
  vez "$arquivo" >/dev/null
  vez "$arquivo" --sem-isolamento >/dev/null
  : >"$saida/filho"
  : >"$saida/proprio"
  for ((i = 0; i < repeticoes; i++)); do
    if ((i % 2 == 0)); then
      vez "$arquivo" >>"$saida/filho"
      vez "$arquivo" --sem-isolamento >>"$saida/proprio"
    else
      vez "$arquivo" --sem-isolamento >>"$saida/proprio"
      vez "$arquivo" >>"$saida/filho"
    fi
  done
  paste "$saida/filho" "$saida/proprio" | awk -v nome="$(basename "$arquivo")" '
    function mediana(v, n,   i, j, x) {
      for (i = 2; i <= n; i++) { x = v[i]; for (j = i - 1; j > 0 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    { f[NR] = $1 / 1000; p[NR] = $2 / 1000 }
    END {
      mf = mediana(f, NR); mp = mediana(p, NR)
      printf "%-22s child %8.1f ms (%7.1f..%7.1f)  in process %8.1f ms (%7.1f..%7.1f)  %.3fx  %+.1f ms\n",
        nome, mf, f[1], f[NR], mp, p[1], p[NR], mf / mp, mf - mp
    }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for arquivo in "$root/exemplos/cubo.gltf" "$root/exemplos/toro-linhas.gltf" "$base.glb" "$base.dae"; do
  medir "$arquivo"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
