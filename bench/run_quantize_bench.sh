#!/usr/bin/env bash
# Whole-process comparison of 256-colour quantization on one uncompressed 24-bit
# TIFF (made here from the JPEG with djpeg and ppm2tiff):
#   quantize-tiff IN OUT                      (ours: median cut, ordered dither)
#   convert IN +dither -colors 256 OUT        (ImageMagick; goal: ours >= 20x faster)
#   tiffmedian -C 256 IN OUT                  (libtiff; goal: ours within 1.5x)
# All three run single-threaded, alternately, in one run; prints mean wall and CPU
# times and the ratios.
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

# Wall and CPU (user + system) time of one run, in ms; on a shared machine the CPU
# times are the steadier comparison.
measure() { /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" > /dev/null; awk '{ print $1 * 1000, ($2 + $3) * 1000 }' "$work/time"; }
declare -A wall cpu
for tool in ours median magick; do wall[$tool]=0; cpu[$tool]=0; done
add() { local w c; read -r w c < <(measure "${@:2}"); wall[$1]=$(awk -v a="${wall[$1]}" -v b="$w" 'BEGIN { print a + b }');
        cpu[$1]=$(awk -v a="${cpu[$1]}" -v b="$c" 'BEGIN { print a + b }'); }
for i in $(seq "$runs"); do
  add ours "$ours" "$work/in.tif" "$work/ours.tif"
  add median tiffmedian -C 256 "$work/in.tif" "$work/median.tif"
  if [ "$i" -le "$magick_runs" ]; then add magick convert "$work/in.tif" +dither -colors 256 "$work/magick.tif"; fi
done
awk -v ow="${wall[ours]}" -v oc="${cpu[ours]}" -v tw="${wall[median]}" -v tc="${cpu[median]}" \
    -v mw="${wall[magick]}" -v mc="${cpu[magick]}" -v n="$runs" -v mn="$magick_runs" 'BEGIN {
  ow /= n; oc /= n; tw /= n; tc /= n; mw /= mn; mc /= mn
  printf "mean wall (cpu) ms: quantize-tiff %.0f (%.0f), tiffmedian %.0f (%.0f) over %d runs; convert %.0f (%.0f) over %d\n",
         ow, oc, tw, tc, n, mw, mc, mn
  printf "convert / ours: %.1fx faster by wall time, %.1fx by cpu time (goal >= 20)\n", mw / ow, mc / oc
  printf "ours / tiffmedian: %.2f by wall time, %.2f by cpu time (goal <= 1.5)\n", ow / tw, oc / tc
}'
