#!/usr/bin/env bash
# The main job on the bundled example section: build, load and summarise the quay-wall
# backfill section, then write it back in the current layout.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
mkdir -p out
build/keltora info examples/quay_backfill.SDW
build/keltora save examples/quay_backfill.SDW -o out/quay_backfill.SDW
