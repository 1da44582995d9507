#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite: unit and end-to-end tests,
# the unit tests again under AddressSanitizer and UBSan, and the fuzz targets for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
FUZZ_SECONDS=${FUZZ_SECONDS:-45}
FUZZ_RESPOSTA_SECONDS=${FUZZ_RESPOSTA_SECONDS:-30}
FUZZ_TEXTURA_SECONDS=${FUZZ_TEXTURA_SECONDS:-20}

bash scripts/install-deps.sh

echo "== Release build: program, unit and end-to-end tests"
bash scripts/build.sh "$root/build" -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$(nproc)")

CXX=clang++ bash scripts/build.sh "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGOURAUD_FUZZ=ON -DGOURAUD_PROGRAM=OFF -DGOURAUD_TESTS=OFF -DGOURAUD_BENCH=OFF
corpora=$(mktemp -d)
trap 'rm -rf "$corpora"' EXIT
# fuzzar NAME SECONDS WHAT SEEDS...: runs the fuzz target NAME for SECONDS from a fresh corpus and
# the seed folders. Crash reproducers land in build-fuzz/, so that a failure leaves its input
# behind. Leaks inside the import library itself (readers that give up on a malformed file) are
# not ours.
fuzzar() {
  local nome=$1 segundos=$2 oque=$3
  shift 3
  echo "== Fuzzing $oque, for $segundos s"
  mkdir -p "$corpora/$nome"
  if ! (cd build-fuzz && LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp" \
        "./fuzz/$nome" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpora/$nome" "$@" >"$nome.log" 2>&1); then
    tail -n 60 "build-fuzz/$nome.log"
    echo "test: the fuzz target $nome failed; its input is in build-fuzz/" >&2
    exit 1
  fi
  tail -n 6 "build-fuzz/$nome.log"
}
fuzzar fuzz_cena "$FUZZ_SECONDS" \
  "the scene loader against the stream reference, drawing what loads, and reading mesh-shaped inputs as meshes" \
  "$root/fuzz/corpus" "$root/tests/cena/cenas"
fuzzar fuzz_resposta "$FUZZ_RESPOSTA_SECONDS" \
  "the parent's reading of the import library's child's answers and the gathering of the models it takes" \
  "$root/fuzz/corpus_resposta"
fuzzar fuzz_textura "$FUZZ_TEXTURA_SECONDS" "the texture decoder on any bytes" \
  "$root/tests/arquivos/texturas"

# The Python module is left out: python3 itself is not built with the sanitizers' runtime.
echo "== Unit tests under AddressSanitizer, UBSan and LeakSanitizer"
bash scripts/build.sh "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGOURAUD_SANITIZE=ON \
  -DGOURAUD_PROGRAM=OFF -DGOURAUD_BENCH=OFF -DGOURAUD_PYTHON=OFF
(cd build-asan && ctest --output-on-failure -j "$(nproc)")
