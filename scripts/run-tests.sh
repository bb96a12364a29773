#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the normal build (with the Qt parts), the
# Debian package installed into a scratch folder and run from there, the core and command line
# again under AddressSanitizer + UndefinedBehaviorSanitizer, and a short run of every fuzz
# target (clang/libFuzzer).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh build -DKELTORA_WERROR=ON
(cd build && ctest --output-on-failure -j"$jobs")

echo "== packaging: Debian package, installed programs, desktop files"
scripts/check-package.sh build

echo "== sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKELTORA_SANITIZE=ON -DKELTORA_BUILD_GUI=OFF -DKELTORA_WERROR=ON \
  -DCMAKE_CXX_FLAGS=-O1 >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
   UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j"$jobs")

echo "== fuzz smoke runs"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELTORA_FUZZ=ON -DKELTORA_BUILD_TESTS=OFF -DKELTORA_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs"
(cd build-fuzz && ctest --output-on-failure -j"$jobs")
