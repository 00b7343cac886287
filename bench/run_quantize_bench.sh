#!/usr/bin/env bash
# Whole-process comparison of 256-colour quantization on one uncompressed 24-bit
# TIFF (made here from the JPEG with djpeg and ppm2tiff):
#   quantize-tiff IN OUT                      (ours: median cut, ordered dither)
#   convert IN +dither -colors 256 OUT        (ImageMagick; goal: ours >= 20x faster)
#   tiffmedian -C 256 IN OUT                  (libtiff; goal: ours within 1.5x)
# All three run single-threaded, alternately, in one run; prints mean wall times and
# the ratios.
#
#   bench/run_quantize_bench.sh [BUILD_DIR] [IN.jpg] [RUNS] [MAGICK_RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
jpeg=${2:-bench/data/photo12.jpg}
runs=${3:-10}
magick_runs=${4:-3}
ours=$build/bin/quantize-tiff
export MAGICK_THREAD_LIMIT=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
djpeg -pnm "$jpeg" > "$work/in.ppm"
ppm2tiff "$work/in.ppm" "$work/in.tif"
rm "$work/in.ppm"

# Each must write a 256-colour palette image of the input's size.
"$ours" "$work/in.tif" "$work/ours.tif"
convert "$work/in.tif" +dither -colors 256 "$work/magick.tif"
tiffmedian -C 256 "$work/in.tif" "$work/median.tif"
size=$(tiffinfo "$work/in.tif" 2>/dev/null | grep -m1 'Image Width')
for f in ours median; do
  info=$(tiffinfo "$work/$f.tif" 2>/dev/null)
  if ! grep -q "palette color" <<<"$info" || [ "$(grep -m1 'Image Width' <<<"$info")" != "$size" ]; then
    echo "run_quantize_bench: $f.tif is not a palette image of $size" >&2
    exit 1
  fi
done

now() { date +%s%N; }
time_ns() { local t0; t0=$(now); "$@" > /dev/null; echo $(($(now) - t0)); }
total_ours=0 total_median=0 total_magick=0
for i in $(seq "$runs"); do
  total_ours=$((total_ours + $(time_ns "$ours" "$work/in.tif" "$work/ours.tif")))
  total_median=$((total_median + $(time_ns tiffmedian -C 256 "$work/in.tif" "$work/median.tif")))
  if [ "$i" -le "$magick_runs" ]; then
    total_magick=$((total_magick + $(time_ns convert "$work/in.tif" +dither -colors 256 "$work/magick.tif")))
  fi
done
awk -v o="$total_ours" -v t="$total_median" -v m="$total_magick" -v n="$runs" -v mn="$magick_runs" 'BEGIN {
  ours = o / n; median = t / n; magick = m / mn
  printf "quantize-tiff %.1f ms, tiffmedian %.1f ms (means of %d); convert -colors 256 %.1f ms (mean of %d)\n",
         ours / 1e6, median / 1e6, n, magick / 1e6, mn
  printf "convert / ours: %.1fx faster (goal >= 20)\n", magick / ours
  printf "ours / tiffmedian: %.2f (goal <= 1.5)\n", ours / median
}'
