#!/bin/sh
# Runs the preparation benchmark at 1, 2, 4 and 8 MB, each in its own process so the peak
# memory of each size is its own. Usage: bench/prep_scaling.sh BUILD_DIR
set -eu
build=${1:?usage: prep_scaling.sh BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for mb in 1 2 4 8; do
  "$build/q2_make_text" $((mb * 1048576)) "$work/text$mb.txt"
  "$build/q2_prep_bench" "$work/text$mb.txt" 3
done
