#!/usr/bin/env bash
# The main job on the bundled example section: build, summarise the quay-wall backfill
# section, run its calculation (dump files into out/), then write it back in the current
# layout.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
mkdir -p out
build/keltora info examples/quay_backfill.SDW
# Exit code 0 is an OK verdict and 1 an OUT verdict: both are results. 2 is an error.
status=0
build/keltora calc examples/quay_backfill.SDW --workdir out || status=$?
if [ "$status" -ge 2 ]; then
  echo "run-example: the calculation failed (exit code $status)" >&2
  exit "$status"
fi
build/keltora save examples/quay_backfill.SDW -o out/quay_backfill.SDW
build/keltora report examples/quay_backfill.SDW --workdir out -o out/quay_backfill_report.pdf
