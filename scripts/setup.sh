#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root) when it is missing, then configures
# and builds. Idempotent: a second run only rebuilds what changed.
# Usage: scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ make cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
          qt6-base-dev qt6-svg-dev libgl-dev fonts-ipafont-gothic poppler-utils
          dpkg-dev file cmark-gfm desktop-file-utils libxml2-utils shared-mime-info groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${1:-build}
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELTORA_BUILD_BENCH=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
