#!/usr/bin/env bash
# The web build's matched view against the native one: the 12-megapixel photo with an
# Adobe RGB profile in JFXX segments, matched to sRGB, full page: nphost (whole process)
# and Chromium's viewer page (navigation to the image drawn, module load included),
# alternating, medians of RUNS. Goal: web / native <= 2.
#
#   bench/run_web_view_bench.sh [NATIVE_BUILD_DIR] [WEB_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
web=$(realpath "${2:-build/wasm/web}")
runs=${3:-5}
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/zirn" "$work/windows"
export ZIRN_HOME=$work/zirn
printf 'sRGB\n' > "$work/zirn/monitor"
"$bin/jfxx-embed" --app2 --profile /usr/share/color/icc/colord/AdobeRGB1998.icc \
  bench/data/photo12.jpg "$work/photo.jpg"

median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for _ in $(seq "$runs"); do
  /usr/bin/time -f "%e" -a -o "$work/native.times" "$bin/nphost" --windir "$work/windows" \
    --messages "$work/messages.json" "$work/photo.jpg" > /dev/null 2>&1
  node bench/web_view_bench.mjs "$web" "$work/photo.jpg" 1 >> "$work/web.times"
done
if [ -s "$work/messages.json" ]; then
  echo "run_web_view_bench: nphost said:" >&2
  cat "$work/messages.json" >&2
  exit 1
fi
native=$(median < "$work/native.times")
webtime=$(median < "$work/web.times")
awk -v n="$native" -v w="$webtime" -v r="$runs" 'BEGIN {
  printf "medians of %d runs: nphost %.3f s, Chromium %.3f s; web / native %.2f (goal <= 2)\n", r, n, w, w / n }'
