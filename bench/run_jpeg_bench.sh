#!/usr/bin/env bash
# Whole-process comparison: jpegtodib-bmp IN OUT.bmp against Debian's
# djpeg -bmp IN > OUT, run alternately RUNS times each. Checks first that both
# write the same pixels, then prints the total wall times and their ratio.
#
#   bench/run_jpeg_bench.sh [BUILD_DIR] [IN.jpg] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
in=${2:-bench/data/photo12.jpg}
runs=${3:-20}
ours=$build/bin/jpegtodib-bmp
djpeg=$(command -v djpeg)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$ours" "$in" "$work/ours.bmp"
"$djpeg" -bmp "$in" > "$work/djpeg.bmp"
# Pixel arrays: the last biSizeImage bytes (djpeg may fill in the resolution).
size=$(stat -c %s "$work/ours.bmp")
offset=$(od -An -t u4 -j 10 -N 4 "$work/ours.bmp" | tr -d ' ')
if [ "$size" != "$(stat -c %s "$work/djpeg.bmp")" ] ||
   ! cmp -s <(tail -c $((size - offset)) "$work/ours.bmp") <(tail -c $((size - offset)) "$work/djpeg.bmp"); then
  echo "run_jpeg_bench: jpegtodib-bmp and djpeg -bmp disagree on $in" >&2
  exit 1
fi

now() { date +%s%N; }
total_ours=0
total_djpeg=0
for _ in $(seq "$runs"); do
  t0=$(now); "$ours" "$in" "$work/ours.bmp"; t1=$(now)
  "$djpeg" -bmp "$in" > "$work/djpeg.bmp"; t2=$(now)
  total_ours=$((total_ours + t1 - t0))
  total_djpeg=$((total_djpeg + t2 - t1))
done
awk -v o="$total_ours" -v d="$total_djpeg" -v n="$runs" 'BEGIN {
  printf "jpegtodib-bmp %.1f ms, djpeg -bmp %.1f ms (mean of %d); ratio %.3f\n", o / n / 1e6, d / n / 1e6, n, o / d
}'
