#!/usr/bin/env bash
# Times the picture options with the viewer's own `--medir`: K x K samples a pixel against one on
# a mesh (default: the bunny subdivided four times) at 640 x 480 and 1920 x 1080, 24 bits and a
# transparent background, and eye-dome lighting against none on a point cloud; with --antes, the
# same one-sample frames of another build of the viewer (today's) beside this one's. In rounds
# that run every case once each, so that other work on the machine falls on all of them alike.
# Prints each round's medians, then a markdown table: the median of the rounds' medians per case,
# its ratio or difference to its base, and the goal.
#   bash scripts/bench_publicar.sh VISUALIZADOR MALHA NUVEM [--antes VISUALIZADOR] [--quadros N]
#                                  [--rodadas K] [--markdown FILE]
# --markdown FILE also writes that table into FILE.
set -euo pipefail

uso="usage: bench_publicar.sh VISUALIZADOR MALHA NUVEM [--antes VISUALIZADOR] [--quadros N] [--rodadas K] [--markdown FILE]"
prog=${1:?$uso}
malha=${2:?$uso}
nuvem=${3:?$uso}
shift 3
antes=""
markdown=/dev/null
quadros=20
rodadas=5
while [ $# -gt 0 ]; do
  case $1 in
    --antes) antes=${2:?--antes needs a program}; shift 2 ;;
    --quadros) quadros=${2:?--quadros needs a number}; shift 2 ;;
    --rodadas) rodadas=${2:?--rodadas needs a number}; shift 2 ;;
    --markdown) markdown=${2:?--markdown needs a file}; shift 2 ;;
    *) echo "bench_publicar: unknown option $1" >&2; exit 2 ;;
  esac
done

# Each case: its name, the program (prog or antes), the file, the options, its base and the goal:
# "x N" for at most N times the base's time, "+ N" for at most N ms more, "< N" for at most N ms.
casos=(
  "1 sample|prog|$malha||1 sample|"
  "aa 2|prog|$malha|--aa 2|1 sample|x 2.5"
  "aa 3|prog|$malha|--aa 3|1 sample|"
  "aa 4|prog|$malha|--aa 4|1 sample|x 6"
  "24 bits|prog|$malha|--bits 24|1 sample|"
  "transparent|prog|$malha|--fundo transparente|1 sample|"
  "1080p|prog|$malha|--tamanho 1920x1080|1080p|"
  "1080p, aa 2|prog|$malha|--tamanho 1920x1080 --aa 2|1080p|< 100"
  "cloud|prog|$nuvem|--ponto 3|cloud|"
  "cloud, edl|prog|$nuvem|--ponto 3 --edl|cloud|+ 5"
  "cloud, discs|prog|$nuvem|--ponto 3 --ponto-forma disco|cloud|"
)
if [ -n "$antes" ]; then
  # Today's one-sample frames: this build's are to be no slower (within the noise).
  casos=("1 sample, before|antes|$malha||1 sample, before|"
         "1080p, before|antes|$malha|--tamanho 1920x1080|1080p, before|"
         "cloud, before|antes|$nuvem|--ponto 3|cloud, before|"
         "${casos[@]}")
  casos=("${casos[@]/#1 sample|prog|$malha||1 sample|/1 sample|prog|$malha||1 sample, before|}")
  casos=("${casos[@]/#1080p|prog|$malha|--tamanho 1920x1080|1080p|/1080p|prog|$malha|--tamanho 1920x1080|1080p, before|}")
  casos=("${casos[@]/#cloud|prog|$nuvem|--ponto 3|cloud|/cloud|prog|$nuvem|--ponto 3|cloud, before|}")
fi

declare -A medianas rapidos
echo "bench_publicar: $(basename "$malha") and $(basename "$nuvem"), $quadros frames per run, $rodadas rounds; load $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= rodadas; r++)); do
  for caso in "${casos[@]}"; do
    IFS='|' read -r nome qual arquivo opcoes _ <<<"$caso"
    programa=$prog
    [ "$qual" = antes ] && programa=$antes
    # shellcheck disable=SC2086  # the options are split on purpose
    linha=$("$programa" "$arquivo" --medir "$quadros" $opcoes | tail -n 1)
    medianas[$nome]+="$(awk '{ print $2 }' <<<"$linha") "
    rapidos[$nome]+="$(awk '{ print $5 }' <<<"$linha") "
    printf '  round %d  %-18s %s\n' "$r" "$nome" "$linha"
  done
done
echo "load at the end $(cut -d' ' -f1-3 /proc/loadavg)"

# The median and the least of a list of numbers.
menor() { tr ' ' '\n' <<<"$1" | grep . | sort -g | head -n 1; }
mediana() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo
{
echo "| case, --medir $quadros | median of $rodadas rounds | against its base | goal | fastest frame | against its base |"
echo "|---|---:|---:|---|---:|---:|"
for caso in "${casos[@]}"; do
  IFS='|' read -r nome _ _ _ base meta <<<"$caso"
  m=$(mediana "${medianas[$nome]}")
  b=$(mediana "${medianas[$base]}")
  f=$(menor "${rapidos[$nome]}")
  fb=$(menor "${rapidos[$base]}")
  awk -v n="$nome" -v m="$m" -v b="$b" -v g="$meta" -v f="$f" -v fb="$fb" 'BEGIN {
    split(g, p, " ")
    if (p[1] == "+") { contra = sprintf("%+.1f ms", m - b); ok = m - b <= p[2] + 1e-9; alvo = sprintf("at most %s ms more", p[2]) }
    else if (p[1] == "<") { contra = sprintf("%.2f×", m / b); ok = m <= p[2] + 1e-9; alvo = sprintf("at most %s ms", p[2]) }
    else { contra = sprintf("%.2f×", m / b); ok = m / b <= p[2] + 1e-9; alvo = sprintf("at most %.2f×", p[2]) }
    goal = g == "" ? "" : sprintf("%s (%s)", alvo, ok ? "met" : "NOT met")
    split(g, q, " ")
    contraRapido = q[1] == "+" ? sprintf("%+.1f ms", f - fb) : sprintf("%.2f×", f / fb)
    printf "| %s | %.1f ms | %s | %s | %.1f ms | %s |\n", n, m, contra, goal, f, contraRapido
  }'
done
} | tee "$markdown"
