#!/usr/bin/env bash
# The tour played chapter by chapter on a booted device draws what the tour in one process draws: the state
# each chapter leaves is kept by the device between invocations. The scanner's picture alone may differ, as
# the camera's hand moves on in the device's own time.
#   tour-chapters-match.sh SOURCE_DIR ORVANE_SIM PACKAGE.deb
set -euo pipefail
source_dir=$1 sim=$2 package=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-tour-match-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$sim" --screenshots "$work/one-process" --package "$package" >"$work/one-process.log" 2>&1 ||
  { cat "$work/one-process.log"; exit 1; }
"$source_dir/scripts/tour-chapters" "$sim" "$package" "$work/booted" >"$work/booted.log" 2>&1 ||
  { cat "$work/booted.log"; exit 1; }
compared=0
for picture in "$work/one-process"/*.png; do
  name=$(basename "$picture")
  [[ $name == 14-scanner.png ]] && continue
  cmp "$picture" "$work/booted/$name" || { echo "the booted tour drew $name otherwise"; exit 1; }
  compared=$((compared + 1))
done
[[ $compared -ge 20 ]] || { echo "only $compared screenshots to compare"; exit 1; }
echo "the booted tour drew the same $compared screenshots"
