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
#   bash bench/isolamento.sh --antes /tmp/antigo/build/visualizador   # and a viewer of before
# With --antes, a viewer built before the child existed is timed too, in the same rounds, as
# "before" (its own reading, in process). Prints the machine's load before and after, then one
# line per file and way: the median, fastest and slowest time, and the median's ratio to the
# child's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repeticoes=15
pasta=$root/build
antes=""
while [ $# -gt 0 ]; do
  case $1 in
    --repeticoes) repeticoes=$2; shift 2 ;;
    --pasta) pasta=$(realpath "$2"); shift 2 ;;
    --antes) antes=$(realpath "$2"); shift 2 ;;
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

# The wall-clock microseconds of one run of PROGRAM with ARGS.
vez() {
  local programa=$1 inicio
  shift
  inicio=$(date +%s%N)
  "$programa" "$@" --imagem "$saida/quadro.png" >/dev/null 2>&1 ||
    { echo "isolamento: $programa $* failed" >&2; exit 1; }
  echo $(( ($(date +%s%N) - inicio) / 1000 ))
}

# One round of every way on FILE, in the order given, each time appended to its own list.
rodada() {
  local arquivo=$1 forma
  shift
  for forma in "$@"; do
    case $forma in
      filho) vez "$prog" "$arquivo" >>"$saida/filho" ;;
      proprio) vez "$prog" "$arquivo" --sem-isolamento >>"$saida/proprio" ;;
      antes) vez "$antes" "$arquivo" >>"$saida/antes" ;;
    esac
  done
}

# Times FILE `repeticoes` times each way, the order of the ways turned every round, after a
# warm-up round.
medir() {
  local arquivo=$1 i formas=(filho proprio)
  [ -z "$antes" ] || formas+=(antes)
  rodada "$arquivo" "${formas[@]}"
  for forma in "${formas[@]}"; do : >"$saida/$forma"; done
  for ((i = 0; i < repeticoes; i++)); do
    local k=$((i % ${#formas[@]})) ordem=()
    ordem=("${formas[@]:k}" "${formas[@]:0:k}")
    ((i % 2 == 0)) || ordem=($(printf '%s\n' "${ordem[@]}" | tac))
    rodada "$arquivo" "${ordem[@]}"
  done
  for forma in "${formas[@]}"; do
    sort -n "$saida/$forma" | awk -v nome="$(basename "$arquivo")" -v forma="$forma" \
        -v filho="$(sort -n "$saida/filho" | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')" '
      { v[NR] = $1 / 1000 }
      END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        rotulo = forma == "filho" ? "through the child" : forma == "proprio" ? "in process" : "before"
        printf "%-22s %-18s median %8.1f ms, fastest %8.1f, slowest %8.1f; the child %.3fx of it, %+.1f ms\n",
          nome, rotulo, m, v[1], v[NR], filho / 1000 / m, filho / 1000 - m
      }'
  done
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for arquivo in "$root/exemplos/cubo.gltf" "$root/exemplos/toro-linhas.gltf" "$base.glb" "$base.dae"; do
  medir "$arquivo"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
