#!/usr/bin/env bash
# Whole-process comparison of a matched view: nphost showing the photo full-page with an
# Adobe RGB profile and an sRGB monitor (decode, match, draw, close) against peer tools
# doing the same decode and matching from the command line:
#   nphost photo.jpg      against  jpgicc -t0 (decode, match, re-encode)  goal <= 1.0
#                         and      djpeg -bmp (decode only)
#   nphost photo.tif      against  tificc -t0 (LZW TIFF in and out)       goal <= 0.6
# The JPEG carries the profile in JFXX segments (jfxx-embed); the TIFF is the decoded
# photo as LZW strips with the profile in its tag, made with libtiff's and LittleCMS's
# tools. All run alternately in one invocation; prints median wall, user and system
# times, peak memory and the ratios.
#
#   bench/run_view_bench.sh [BUILD_DIR] [IN.jpg] [RUNS]
set -euo pipefail
# Off-screen like its peers, even in a desktop session, where nphost and SCRNPICK would
# open windows and wait for a person.
unset DISPLAY WAYLAND_DISPLAY
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
jpeg=${2:-bench/data/photo12.jpg}
runs=${3:-11}
bin=$build/bin
source_profile=/usr/share/color/icc/colord/AdobeRGB1998.icc
# The file the engine lists first under the name "sRGB" (top-level files come first).
monitor_profile=/usr/share/color/icc/sRGB.icc

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/zirn" "$work/windows"
export ZIRN_HOME=$work/zirn

# sRGB as the monitor profile, chosen with SCRNPICK as a person does.
entry=$(printf 'cancel\n' | "$bin/SCRNPICK" | sed -n 's/^[ *]*\([0-9][0-9]*\)  sRGB$/\1/p' | head -n 1)
[ -n "$entry" ] || { echo "run_view_bench: the engine lists no sRGB profile" >&2; exit 1; }
printf '%s\nok\n' "$entry" | "$bin/SCRNPICK" > /dev/null

"$bin/jfxx-embed" --app2 --profile "$source_profile" "$jpeg" "$work/photo.jpg"
# The TIFF: the decoded pixels, tagged by a LittleCMS identity transform that embeds the
# profile (checked to leave every sample alone), then LZW-compressed by tiffcp.
djpeg -pnm "$jpeg" > "$work/photo.ppm"
ppm2tiff -c none -r 16 "$work/photo.ppm" "$work/plain.tif"
if ! tificc -c0 -t0 "-i$source_profile" "-o$source_profile" -e "$work/plain.tif" "$work/tagged.tif" \
    > "$work/tificc.log" 2>&1; then
  cat "$work/tificc.log" >&2
  exit 1
fi
if [ -n "$(tiffcmp "$work/plain.tif" "$work/tagged.tif")" ]; then
  echo "run_view_bench: embedding the profile changed the TIFF's pixels" >&2
  exit 1
fi
tiffcp -c lzw "$work/tagged.tif" "$work/photo.tif"
rm "$work/photo.ppm" "$work/plain.tif" "$work/tagged.tif"

declare -A cmd
cmd[view_jpeg]="$bin/nphost --windir $work/windows --messages $work/messages.json $work/photo.jpg"
cmd[jpgicc]="jpgicc -i$source_profile -o$monitor_profile -t0 $work/photo.jpg $work/out.jpg"
cmd[djpeg]="djpeg -bmp -outfile $work/out.bmp $work/photo.jpg"
cmd[view_tiff]="$bin/nphost --windir $work/windows --messages $work/messages.json $work/photo.tif"
cmd[tificc]="tificc -i$source_profile -o$monitor_profile -t0 $work/photo.tif $work/out.tif"
order=(view_jpeg jpgicc djpeg view_tiff tificc)

# Each view must open without a message (a refused image would be fast and wrong).
for view in view_jpeg view_tiff; do
  ${cmd[$view]}
  if [ -s "$work/messages.json" ]; then
    echo "run_view_bench: $view said:" >&2
    cat "$work/messages.json" >&2
    exit 1
  fi
done

# One line a run: wall, user and system seconds, peak resident KiB.
for _ in $(seq "$runs"); do
  for tool in "${order[@]}"; do
    /usr/bin/time -f "%e %U %S %M" -a -o "$work/$tool.times" ${cmd[$tool]} > /dev/null 2>&1
  done
done

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
declare -A wall user sys peak
for tool in "${order[@]}"; do
  wall[$tool]=$(awk '{ print $1 }' "$work/$tool.times" | median)
  user[$tool]=$(awk '{ print $2 }' "$work/$tool.times" | median)
  sys[$tool]=$(awk '{ print $3 }' "$work/$tool.times" | median)
  peak[$tool]=$(awk '{ print $4 }' "$work/$tool.times" | median)
done
echo "medians of $runs alternating runs (wall / user / system s, peak MiB):"
for tool in "${order[@]}"; do
  awk -v t="$tool" -v w="${wall[$tool]}" -v u="${user[$tool]}" -v s="${sys[$tool]}" -v p="${peak[$tool]}" \
    'BEGIN { printf "  %-10s %6.3f  %6.3f  %6.3f  %6.1f\n", t, w, u, s, p / 1024 }'
done
ratio() {
  awk -v a="${wall[$1]}" -v b="${wall[$2]}" -v ac="$(awk -v u="${user[$1]}" -v s="${sys[$1]}" 'BEGIN { print u + s }')" \
      -v bc="$(awk -v u="${user[$2]}" -v s="${sys[$2]}" 'BEGIN { print u + s }')" -v l="$3" \
    'BEGIN { printf "%s: %.2f by wall time, %.2f by cpu time\n", l, a / b, (bc > 0 ? ac / bc : 0) }'
}
ratio view_jpeg jpgicc "JPEG view / jpgicc -t0 (goal <= 1.0)"
ratio view_jpeg djpeg "JPEG view / djpeg -bmp"
ratio view_tiff tificc "TIFF view / tificc -t0 (goal <= 0.6)"
