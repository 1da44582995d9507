#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, and any further ones
# named as arguments (scripts/bench.sh adds the benchmark's peers), skipping the download when
# every one is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  liballegro4-dev libpng-dev
  libassimp-dev libseccomp-dev libdraco-dev libadmesh-dev libtinyobjloader-dev libstb-dev libjemalloc-dev
  libcli11-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-distributed
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool x11-utils x11-apps imagemagick man-db
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq "${missing[@]}"
