#!/usr/bin/env bash
# Times the viewer's whole process, from start to the PNG written, on the large mesh in each
# format: the bunny subdivided four times (940,544 triangles) as a scene file, binary PLY,
# binary STL and OBJ, made in build/ when missing. Run through scripts/bench.sh:
#   bash scripts/bench.sh importacao                    # 7 runs of each, after one warm-up
#   bash scripts/bench.sh importacao --repeticoes 15
#   bash scripts/bench.sh importacao --f3d              # also Debian's f3d, on a private Xvfb
#   bash bench/importacao.sh --markdown FILE            # also the tables as Markdown into FILE
# Prints the machine's load before and after, then one line per format: the median, fastest
# and slowest time, the median processor time, and the peak memory of one run (maximum
# resident set, 10^6 bytes); then the reading alone, with the faster library each format allows
# and with the import library (build/bench/leitura_bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repeticoes=7
f3d=0
markdown=
while [ $# -gt 0 ]; do
  case $1 in
    --repeticoes) repeticoes=$2; shift 2 ;;
    --f3d) f3d=1; shift ;;
    --markdown) markdown=${2:?--markdown needs a file}; shift 2 ;;
    *) echo "importacao: unknown option $1" >&2; exit 2 ;;
  esac
done

prog=$root/build/visualizador
# The import library reads in the child program the build made; build/bench/leitura_bench, which
# does not lie beside it, is told where it is.
export GOURAUD_IMPORTADOR=$root/build/gouraud-importador
base=$root/build/coelho-940k
if [ ! -s "$base.txt" ]; then
  subdividir=$root/../shared/tools/subdividir.py
  [ -f "$subdividir" ] || { echo "importacao: $subdividir is missing: cannot make $base.txt" >&2; exit 1; }
  echo "importacao: making $base.txt (the bunny subdivided four times)"
  python3 "$subdividir" "$root/exemplos/bunny.txt" 4 >"$base.txt.tmp"
  mv "$base.txt.tmp" "$base.txt"
fi
for formato in ply stl obj; do
  if [ ! -s "$base.$formato" ] || [ "$base.$formato" -ot "$base.txt" ]; then
    echo "importacao: making $base.$formato"
    python3 "$root/bench/exportar_malha.py" "$base.txt" "$base" "$formato"
  fi
done

saida=$(mktemp -d)
trap 'rm -rf "$saida"' EXIT

# Runs COMMAND... once for warm-up, then `repeticoes` times; prints the median, fastest and
# slowest wall-clock milliseconds, the median processor time (user and system, both cores added)
# and the peak memory of the last run in 10^6 bytes, and adds the same figures, after the words
# in `registro`, as a line of $saida/resultados (for the Markdown tables).
medir() {
  local i inicio fim
  "$@" >/dev/null 2>&1
  : >"$saida/tempos"
  for ((i = 0; i < repeticoes; i++)); do
    inicio=$(date +%s%N)
    /usr/bin/time -f '%M %U %S' -o "$saida/memoria" "$@" >/dev/null 2>&1
    fim=$(date +%s%N)
    echo "$(( (fim - inicio) / 1000 )) $(tail -n 1 "$saida/memoria")" >>"$saida/tempos"
  done
  awk '
    function mediana(v, n,   i, j, x) {
      for (i = 2; i <= n; i++) { x = v[i]; for (j = i - 1; j > 0 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    { t[NR] = $1 / 1000; c[NR] = ($3 + $4) * 1000; kb = $2 }
    END {
      m = mediana(t, NR)
      printf "median %7.1f ms, fastest %7.1f ms, slowest %7.1f ms, processor %7.1f ms, peak memory %5.1f MB\n",
        m, t[1], t[NR], mediana(c, NR), kb * 1024 / 1e6
      printf "%s %.1f %.1f %.1f %.1f\n", registro, m, t[1], mediana(c, NR), kb * 1024 / 1e6 >>resultados
    }' registro="${registro:-}" resultados="$saida/resultados" "$saida/tempos"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for formato in txt ply stl obj; do
  printf '%-4s %5.1f MB  visualizador  ' "$formato" "$(stat -c %s "$base.$formato" | awk '{ print $1 / 1e6 }')"
  registro="visualizador $formato" medir "$prog" "$base.$formato" --imagem "$saida/quadro.png"
done
if [ "$f3d" = 1 ]; then
  command -v f3d >/dev/null && command -v xvfb-run >/dev/null ||
    { echo "importacao: f3d or xvfb-run is missing" >&2; exit 1; }
  for formato in ply stl obj; do
    printf '%-4s %5.1f MB  f3d           ' "$formato" "$(stat -c %s "$base.$formato" | awk '{ print $1 / 1e6 }')"
    # One virtual X server for all the runs, so that only f3d itself is timed.
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f medir); repeticoes=$repeticoes
      saida=$saida; registro='f3d $formato' medir f3d --output=$saida/f3d.png --resolution=640,480 $base.$formato"
  done
fi
echo "reading alone, the faster library and the import library:"
leitura=()
[ -n "$markdown" ] && leitura=(--markdown "$saida/leitura.md")
"$root/build/bench/leitura_bench" --repeticoes "$repeticoes" "${leitura[@]}" "$base.ply" "$base.stl" "$base.obj"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# The Markdown tables: one row per format with the viewer's figures (and f3d's, when it ran),
# then the reading alone.
if [ -n "$markdown" ]; then
  {
    echo "The bunny subdivided four times ($(basename "$base").*), from start to the PNG written at 640 x 480:" \
      "$repeticoes run(s) of each after a warm-up, the files in the page cache; processor time is user" \
      "and system time, both cores added."
    echo
    awk -v f3d="$f3d" '
      BEGIN { nome["txt"] = "scene file"; nome["ply"] = "binary PLY"; nome["stl"] = "binary STL"; nome["obj"] = "OBJ" }
      FILENAME == ARGV[1] { tamanho[$1] = $2; next }
      { m[$1, $2] = sprintf("%.0f ms (%.0f)", $3, $4); cpu[$1, $2] = sprintf("%.0f ms", $5); mem[$1, $2] = sprintf("%.0f MB", $6) }
      END {
        printf "| file | size | this viewer, median (fastest) | processor | peak memory |"
        if (f3d) printf " f3d, median (fastest) | f3d processor | f3d memory |"
        printf "\n|---|---:|---:|---:|---:|"
        if (f3d) printf "---:|---:|---:|"
        printf "\n"
        split("txt ply stl obj", formatos, " ")
        for (i = 1; i <= 4; i++) {
          f = formatos[i]
          printf "| %s | %.1f MB | %s | %s | %s |", nome[f], tamanho[f], m["visualizador", f], cpu["visualizador", f], mem["visualizador", f]
          if (f3d) {
            if (("f3d", f) in m) printf " %s | %s | %s |", m["f3d", f], cpu["f3d", f], mem["f3d", f]
            else printf " — | — | — |"
          }
          printf "\n"
        }
      }' <(for formato in txt ply stl obj; do echo "$formato $(stat -c %s "$base.$formato" | awk '{ print $1 / 1e6 }')"; done) "$saida/resultados"
    echo
    echo "Reading alone (median wall clock, fastest, and processor time of $repeticoes read(s)):"
    echo
    cat "$saida/leitura.md"
  } >"$markdown"
fi
