#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite: unit and end-to-end tests,
# the unit tests again under AddressSanitizer and UBSan, and the fuzz targets for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
FUZZ_RESPOSTA_SECONDS=${FUZZ_RESPOSTA_SECONDS:-30}

bash scripts/install-deps.sh

echo "== Release build: program, unit and end-to-end tests"
bash scripts/build.sh "$root/build" -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$(nproc)")

echo "== Fuzzing the scene loader against the stream reference, drawing what loads, and reading mesh-shaped inputs as meshes, for ${FUZZ_SECONDS} s"
CXX=clang++ bash scripts/build.sh "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGOURAUD_FUZZ=ON -DGOURAUD_PROGRAM=OFF -DGOURAUD_TESTS=OFF -DGOURAUD_BENCH=OFF
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
# Crash reproducers land in build-fuzz/ so that a failure leaves its input behind.
# Leaks inside the import library itself (readers that give up on a malformed file) are not ours.
if ! (cd build-fuzz && LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp" \
      ./fuzz/fuzz_cena -max_total_time="$FUZZ_SECONDS" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "$root/fuzz/corpus" "$root/tests/cena/cenas" \
      >fuzz.log 2>&1); then
  tail -n 60 build-fuzz/fuzz.log
  echo "test: the fuzz target failed; its input is in build-fuzz/" >&2
  exit 1
fi
tail -n 6 build-fuzz/fuzz.log

echo "== Fuzzing the parent's reading of the import library's child's answers and the gathering of the models it takes, for ${FUZZ_RESPOSTA_SECONDS} s"
corpus_resposta=$(mktemp -d)
trap 'rm -rf "$corpus" "$corpus_resposta"' EXIT
if ! (cd build-fuzz && ./fuzz/fuzz_resposta -max_total_time="$FUZZ_RESPOSTA_SECONDS" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 "$corpus_resposta" "$root/fuzz/corpus_resposta" \
      >fuzz_resposta.log 2>&1); then
  tail -n 60 build-fuzz/fuzz_resposta.log
  echo "test: the answers' fuzz target failed; its input is in build-fuzz/" >&2
  exit 1
fi
tail -n 6 build-fuzz/fuzz_resposta.log

echo "== Unit tests under AddressSanitizer, UBSan and LeakSanitizer"
bash scripts/build.sh "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGOURAUD_SANITIZE=ON \
  -DGOURAUD_PROGRAM=OFF -DGOURAUD_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j "$(nproc)")
