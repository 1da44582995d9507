#!/usr/bin/env bash
# Times the file's colours against the same mesh without them, on a scene file's mesh (default:
# the bunny subdivided four times): the mesh as a binary PLY, the same PLY with a colour per
# vertex, and the same mesh with a texture over it as a glb, made beside the scene file by
# bench/exportar_malha.py and bench/exemplos_cores.py when missing. In rounds that run every case
# once each (so that other work on the machine falls on all of them alike): the viewer's own
# `--medir N` in each mode, and the whole run that opens the file and draws it into a PNG. Prints
# each round's times, then a markdown table: the median of the rounds per case, its ratio to the
# plain PLY's, and the goal; with --markdown FILE the table is also written into FILE.
#   bash scripts/bench_cores.sh VISUALIZADOR CENA.txt [--quadros N] [--rodadas K] [--markdown FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

uso="usage: bench_cores.sh VISUALIZADOR CENA.txt [--quadros N] [--rodadas K] [--markdown FILE]"
prog=${1:?$uso}
cena=${2:?$uso}
shift 2
quadros=20
rodadas=5
markdown=/dev/null
while [ $# -gt 0 ]; do
  case $1 in
    --quadros) quadros=${2:?--quadros needs a number}; shift 2 ;;
    --rodadas) rodadas=${2:?--rodadas needs a number}; shift 2 ;;
    --markdown) markdown=${2:?--markdown needs a file}; shift 2 ;;
    *) echo "bench_cores: unknown option $1" >&2; exit 2 ;;
  esac
done

base=${cena%.txt}
simples=$base.ply
cores=$base-cores.ply
textura=$base-textura.glb
[ -s "$simples" ] || python3 "$root/bench/exportar_malha.py" "$cena" "$base" ply
[ -s "$cores" ] || python3 "$root/bench/exemplos_cores.py" ply "$cena" "$cores"
[ -s "$textura" ] || python3 "$root/bench/exemplos_cores.py" gltf "$cena" "$textura"
saida=$(mktemp -d)
trap 'rm -rf "$saida"' EXIT

# Each case: its name, the file, the viewer's options, the case it is compared with, the goal
# as the largest ratio to it. "abrir" cases time the whole run into a PNG, the others --medir.
casos=(
  "gouraud, plain|$simples|||"
  "gouraud, colour per vertex|$cores||gouraud, plain|1.15"
  "gouraud, textured|$textura||gouraud, plain|1.60"
  "plano, plain|$simples|--modo plano||"
  "plano, colour per vertex|$cores|--modo plano|plano, plain|"
  "phong, plain|$simples|--modo phong||"
  "phong, colour per vertex|$cores|--modo phong|phong, plain|"
  "phong, textured|$textura|--modo phong|phong, plain|"
  "abrir: open and draw into a PNG, plain|$simples|||"
  "abrir: open and draw into a PNG, colour per vertex|$cores||abrir: open and draw into a PNG, plain|1.20"
  "abrir: open and draw into a PNG, textured|$textura||abrir: open and draw into a PNG, plain|"
)

declare -A tempos
echo "bench_cores: $(basename "$cena"), $quadros frames per run, $rodadas rounds; load $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= rodadas; r++)); do
  for caso in "${casos[@]}"; do
    IFS='|' read -r nome arquivo opcoes _ <<<"$caso"
    if [[ $nome == abrir:* ]]; then
      inicio=$(date +%s%N)
      # shellcheck disable=SC2086  # the options are split on purpose
      "$prog" "$arquivo" $opcoes --imagem "$saida/quadro.png" >/dev/null
      tempo=$(awk -v a="$inicio" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
      linha="$tempo ms"
    else
      # shellcheck disable=SC2086  # the options are split on purpose
      linha=$("$prog" "$arquivo" --medir "$quadros" $opcoes | tail -n 1)
      tempo=$(awk '{ print $2 }' <<<"$linha")
    fi
    tempos[$nome]+="$tempo "
    printf '  round %d  %-52s %s\n' "$r" "$nome" "$linha"
  done
done

# The median of a list of numbers.
mediana() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo
# The table, on standard output and into the Markdown file.
{
  echo "| $(basename "$cena"), --medir $quadros or a whole run | median of $rodadas rounds | ratio | goal |"
  echo "|---|---:|---:|---|"
  for caso in "${casos[@]}"; do
    IFS='|' read -r nome _ _ comparado meta <<<"$caso"
    m=$(mediana "${tempos[$nome]}")
    b=$m
    [ -n "$comparado" ] && b=$(mediana "${tempos[$comparado]}")
    awk -v n="${nome#abrir: }" -v m="$m" -v b="$b" -v g="$meta" -v c="${comparado#abrir: }" 'BEGIN {
      goal = g == "" ? "" : sprintf("at most %.2f× (%s)", g, m / b <= g + 1e-9 ? "met" : "NOT met")
      ratio = c == "" ? "" : sprintf("%.2f× %s", m / b, c)
      printf "| %s | %.1f ms | %s | %s |\n", n, m, ratio, goal
    }'
  done
} | tee "$markdown"
