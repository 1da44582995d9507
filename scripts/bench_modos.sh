#!/usr/bin/env bash
# Times the shading modes, the edges and the needles against plain Gouraud shading with the
# viewer's own `--medir` on a mesh (default: the bunny subdivided four times), in rounds that
# run every case once each, so that other work on the machine falls on all of them alike. Prints
# each round's medians, then a markdown table: the median of the rounds' medians per case and
# its ratio to Gouraud's, with the goal for each; with --markdown FILE the table is also written
# into FILE.
#   bash scripts/bench_modos.sh VISUALIZADOR MALHA [--quadros N] [--rodadas K] [--markdown FILE]
set -euo pipefail

prog=${1:?usage: bench_modos.sh VISUALIZADOR MALHA [--quadros N] [--rodadas K] [--markdown FILE]}
malha=${2:?usage: bench_modos.sh VISUALIZADOR MALHA [--quadros N] [--rodadas K] [--markdown FILE]}
shift 2
quadros=20
rodadas=5
markdown=/dev/null
while [ $# -gt 0 ]; do
  case $1 in
    --quadros) quadros=${2:?--quadros needs a number}; shift 2 ;;
    --rodadas) rodadas=${2:?--rodadas needs a number}; shift 2 ;;
    --markdown) markdown=${2:?--markdown needs a file}; shift 2 ;;
    *) echo "bench_modos: unknown option $1" >&2; exit 2 ;;
  esac
done

# Each case: its name, the viewer's options, and the goal as the largest ratio to Gouraud.
casos=(
  "gouraud||1.00"
  "plano|--modo plano|1.10"
  "phong|--modo phong|2.00"
  "gouraud, edges|--arestas|"
  "gouraud, needles|--normais|"
  "gouraud, edges and needles|--arestas --normais|1.30"
)

declare -A medianas
echo "bench_modos: $(basename "$malha"), $quadros frames per run, $rodadas rounds; load $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= rodadas; r++)); do
  for caso in "${casos[@]}"; do
    IFS='|' read -r nome opcoes _ <<<"$caso"
    # shellcheck disable=SC2086  # the options are split on purpose
    linha=$("$prog" "$malha" --medir "$quadros" $opcoes | tail -n 1)
    mediana=$(awk '{ print $2 }' <<<"$linha")
    medianas[$nome]+="$mediana "
    printf '  round %d  %-28s %s\n' "$r" "$nome" "$linha"
  done
done

# The median of a list of numbers.
mediana() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
base=$(mediana "${medianas[gouraud]}")
echo
# The table, on standard output and into the Markdown file.
{
  echo "| $(basename "$malha"), --medir $quadros | median of $rodadas rounds | ratio to gouraud | goal |"
  echo "|---|---:|---:|---|"
  for caso in "${casos[@]}"; do
    IFS='|' read -r nome _ meta <<<"$caso"
    m=$(mediana "${medianas[$nome]}")
    awk -v n="$nome" -v m="$m" -v b="$base" -v g="$meta" 'BEGIN {
      r = m / b
      goal = g == "" ? "" : sprintf("at most %.2f× (%s)", g, r <= g + 1e-9 ? "met" : "NOT met")
      if (n == "gouraud") goal = "today'"'"'s time"
      printf "| %s | %.1f ms | %.2f× | %s |\n", n, m, r, goal
    }'
  done
} | tee "$markdown"
