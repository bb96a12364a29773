#!/usr/bin/env bash
# The main job on the bundled example section. With a display ($DISPLAY or
# $WAYLAND_DISPLAY, and not under CI=true): build and open the main window on the
# quay-wall backfill section, started in out/ (settings, dumps and hand-off files go there).
# Without a display: build, summarise the section, run its calculation (dump files into
# out/), draw its calculation figure (out/SBPLOT01.VOV and out/quay_backfill.pdf), write it
# back in the current layout and render its report.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
mkdir -p out
if [ "${CI:-}" != "true" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } &&
   [ -x build/keltora-gui ]; then
  cd out
  exec ../build/keltora-gui ../examples/quay_backfill.SDW
fi
build/keltora info examples/quay_backfill.SDW
# Exit code 0 is an OK verdict and 1 an OUT verdict: both are results. 2 is an error.
status=0
build/keltora calc examples/quay_backfill.SDW --workdir out || status=$?
if [ "$status" -ge 2 ]; then
  echo "run-example: the calculation failed (exit code $status)" >&2
  exit "$status"
fi
build/keltora plot examples/quay_backfill.SDW --workdir out -o out/quay_backfill.pdf
build/keltora save examples/quay_backfill.SDW -o out/quay_backfill.SDW
build/keltora report examples/quay_backfill.SDW --workdir out -o out/quay_backfill_report.pdf
