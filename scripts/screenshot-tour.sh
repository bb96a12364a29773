#!/usr/bin/env bash
# Screenshot tour of the main window: opens every example section under a virtual X
# display and saves a picture of the window with the input display and, after the
# calculation, with the result display into docs/screenshots/. Look at every picture.
# Usage: scripts/screenshot-tour.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
gui="$root/$build/keltora-gui"
[ -x "$gui" ] || { echo "screenshot-tour: $gui not built" >&2; exit 2; }
if ! command -v xvfb-run >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null
fi
out="$root/docs/screenshots"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" # the start directory: settings and dump files stay out of the tree

shot() { # name, then the program's arguments
  local name=$1; shift
  timeout 300 xvfb-run -a -s "-screen 0 1400x900x24" \
    "$gui" --size 1280x800 --screenshot "$out/$name.png" "$@" 2>/dev/null
  echo "  $out/$name.png"
}

for sdw in "$root"/examples/*.SDW; do
  name=$(basename "$sdw" .SDW)
  echo "$name"
  shot "$name-input" "$sdw"
  shot "$name-result" --calculate "$sdw"
done
shot "empty" 
shot "quay_backfill-zoom" --action ZoomIn --action ZoomIn "$root/examples/quay_backfill.SDW"
