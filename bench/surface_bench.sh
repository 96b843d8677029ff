#!/bin/sh
# Runs the printer surface benchmark three times each on the deterministic 4 MB text and on
# a text of 80,000 short lines.
# Usage: bench/surface_bench.sh BUILD_DIR
set -eu
build=${1:?usage: surface_bench.sh BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/q2_make_text" 4194304 "$work/text4.txt"
"$build/q2_surface_bench" "$work/text4.txt" 3
# 80,000 short lines: 2000 pages of 40.
"$build/q2_make_text" pages:2000 "$work/lines80k.txt"
"$build/q2_surface_bench" "$work/lines80k.txt" 3
